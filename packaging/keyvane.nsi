; Per-user setup of Keyvane, built by scripts/release.sh:
;   makensis /V2 /DVERSION=1.4.0 /DSTAGE=<folder with keyvane.exe, README.txt,
;            LICENSE.txt> /DICON=<keyvane.ico> /DMAIN_CAPTION=<main window caption>
;            /DMAIN_CLASS=<main window class>
;            /DOUTFILE=<setup.exe> packaging/keyvane.nsi
; No administrator rights: everything goes under the user's own profile and
; HKCU. The task list lives beside the program, so the folder must stay
; writable: never Program Files.

; 64-bit, as the program: the installer then runs where keyvane.exe runs,
; also on a Wine without its 32-bit half.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!ifndef VERSION | STAGE | ICON | MAIN_CAPTION | MAIN_CLASS | OUTFILE
  !error "scripts/release.sh gives VERSION, STAGE, ICON, MAIN_CAPTION, MAIN_CLASS and OUTFILE"
!endif

!define PRODUCT "Keyvane"
!define PUBLISHER "The Keyvane authors"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Keyvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Keyvane's main window, found by its class and caption (MAIN_CLASS and
; MAIN_CAPTION, from the program's own texts), is how setup reaches a running copy.

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Keyvane"
; An update goes where the last install went.
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; A checkbox on the last page; silent setup shows no page, so starts nothing.
!define MUI_FINISHPAGE_RUN "$INSTDIR\keyvane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Keyvane"

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Closes every running Keyvane the way Windows does at log-off or with
; taskkill: WM_CLOSE to its main window, which saves the task list and the
; options and ends. Waits for the process itself, since it still writes its
; files after the window is gone. One that does not end is reported (Retry
; or Cancel; silent mode cancels) and the setup stops before touching a file.
!macro CloseKeyvane
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 0 ; how many copies were closed, so a window that comes back cannot loop forever
  ${Do}
    FindWindow $0 "${MAIN_CLASS}" "${MAIN_CAPTION}"
    ${IfThen} $0 = 0 ${|} ${ExitDo} ${|}
    ${If} $3 >= 20
      MessageBox MB_OK|MB_ICONSTOP "Keyvane keeps running. Exit it (tray icon > Exit) and start this again." /SD IDOK
      Abort
    ${EndIf}
    IntOp $3 $3 + 1
    DetailPrint "Closing the running Keyvane..."
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1)'
    ; SYNCHRONIZE: enough to wait for the process to end.
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r2'
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    ${If} $2 <> 0
      System::Call 'kernel32::WaitForSingleObject(p r2, i 10000) i .r1'
      System::Call 'kernel32::CloseHandle(p r2)'
    ${Else}
      ; The process could not be opened: wait for the window instead.
      StrCpy $2 0
      ${Do}
        System::Call 'user32::IsWindow(p r0) i .r1'
        ${If} $1 = 0
        ${OrIf} $2 >= 100
          ${ExitDo}
        ${EndIf}
        Sleep 100
        IntOp $2 $2 + 1
      ${Loop}
    ${EndIf}
    ; $1 is not 0 while Keyvane still runs.
    ${If} $1 <> 0
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Keyvane is still running and did not close.$\r$\n$\r$\nExit it (tray icon > Exit), then click Retry." /SD IDCANCEL IDRETRY +2
      Abort
    ${EndIf}
  ${Loop}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
!macroend

Section "-Keyvane" SecProgram
  SetShellVarContext current
  !insertmacro CloseKeyvane
  SetOutPath "$INSTDIR"
  ; data\ is never part of the package: an update leaves the task list alone.
  File "${STAGE}\keyvane.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Keyvane.lnk" "$INSTDIR\keyvane.exe" "" "$INSTDIR\keyvane.exe" 0

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\keyvane.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ; In KiB, as "Apps & features" reads it: the files above and the uninstaller.
  SectionGetSize ${SecProgram} $0
  IntOp $0 $0 + 100
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section "-un.Keyvane" UnSecProgram
  SetShellVarContext current
  ; Before anything goes: Keyvane writes its autostart value again as it exits.
  !insertmacro CloseKeyvane
  Delete "$INSTDIR\keyvane.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Keyvane.lnk"
  ; Only this copy's value: a portable copy elsewhere keeps its autostart.
  ReadRegStr $0 HKCU "${RUN_KEY}" "Keyvane"
  ${If} $0 == ""
  ${OrIf} $0 == "$INSTDIR\keyvane.exe"
  ${OrIf} $0 == '"$INSTDIR\keyvane.exe"'
    DeleteRegValue HKCU "${RUN_KEY}" "Keyvane"
  ${EndIf}
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd

; Unticked by default, and so kept by a silent uninstall.
Section /o "un.Remove my tasks and settings" UnSecData
  RMDir /r "$INSTDIR\data"
SectionEnd

Section "-un.Folder"
  ; Only when empty: a kept data folder keeps its parent.
  RMDir "$INSTDIR"
SectionEnd

; The components page adds up the sections' sizes, which NSIS counts from
; the files a section installs: 0 KB for every uninstaller section. Each
; part is given the size of what it removes, as found on the disk.
!macro AddSizeOf NAME
  ${GetSize} "$INSTDIR" "/M=${NAME} /S=0B /G=0" $0 $1 $2
  IntOp $R0 $R0 + $0
!macroend

Function un.onInit
  StrCpy $R0 0
  !insertmacro AddSizeOf "keyvane.exe"
  !insertmacro AddSizeOf "README.txt"
  !insertmacro AddSizeOf "LICENSE.txt"
  !insertmacro AddSizeOf "uninstall.exe"
  ; In KiB, as SectionSetSize takes it; a started KiB counts.
  IntOp $R0 $R0 + 1023
  IntOp $R0 $R0 / 1024
  SectionSetSize ${UnSecProgram} $R0
  StrCpy $R0 0
  ${GetSize} "$INSTDIR\data" "/S=0B" $R0 $1 $2
  IntOp $R0 $R0 + 1023
  IntOp $R0 $R0 / 1024
  SectionSetSize ${UnSecData} $R0
  ClearErrors ; no data folder is no error
FunctionEnd
