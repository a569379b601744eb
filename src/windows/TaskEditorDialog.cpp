// The task editor dialog: its fields, Browse, OK and Close.
#include "windows/TaskEditorDialog.h"

#include "actions/ProgramActions.h"
#include "app/AppPaths.h"
#include "base/AppInfo.h"
#include "base/ErrorReport.h"
#include "base/Text.h"
#include "base/WinText.h"
#include "tasks/TaskVocabulary.h"
#include "windows/DestinationLine.h"
#include "windows/DialogHost.h"
#include "windows/HotKeyField.h"
#include "windows/ModalLoop.h"
#include "windows/Scaling.h"
#include "windows/resource.h"

#include <commctrl.h>

#include <stdexcept>
#include <utility>
#include <vector>

namespace keyvane {

namespace {

int RunTypeIndex(std::u16string_view text) {
    for (std::size_t i = 0; i < kRunTypes.size(); ++i)
        if (kRunTypes[i].name == text) return static_cast<int>(i);
    return 0; // "Normal"
}

} // namespace

TaskEditorDialog::TaskEditorDialog(HINSTANCE instance, HWND owner, AppCore& core)
    : owner_(owner), core_(core) {
    // Owned by the main window, so it has no taskbar button of its own.
    if (!CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_TASK_EDITOR), owner,
                            &ForwardingDialogProc<TaskEditorDialog>,
                            reinterpret_cast<LPARAM>(this)))
        throw std::runtime_error("CreateDialogParamW failed for the task editor");
}

TaskEditorDialog::~TaskEditorDialog() {
    destination_.reset();
    hotKeyField_.reset();
    if (handle_) DestroyWindow(handle_);
}

void TaskEditorDialog::SetUpControls() {
    SetWindowTextW(handle_, ToWide(kEditorCaption).c_str());
    HWND actions = GetDlgItem(handle_, IDC_EDITOR_ACTION);
    for (auto name : kActionNames)
        SendMessageW(actions, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(name).c_str()));
    SendMessageW(actions, CB_SETMINVISIBLE, static_cast<WPARAM>(kActionNames.size()), 0);
    SendMessageW(actions, CB_SETCURSEL, static_cast<WPARAM>(Action::RunSelectedProgram), 0);
    HWND runTypes = GetDlgItem(handle_, IDC_EDITOR_RUN_TYPE);
    for (const RunType& type : kRunTypes)
        SendMessageW(runTypes, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(ToWide(type.name).c_str()));
    SendMessageW(runTypes, CB_SETCURSEL, 0, 0);
    for (int id : {IDC_EDITOR_SCOPE, IDC_EDITOR_IF_RUNNING}) {
        HWND list = GetDlgItem(handle_, id);
        const auto add = [&](std::u16string_view text) {
            SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(text).c_str()));
        };
        if (id == IDC_EDITOR_SCOPE)
            for (auto text : kScopeChoices)
                add(text);
        else
            for (auto text : kIfRunningChoices)
                add(text);
        SendMessageW(list, CB_SETCURSEL, 0, 0);
    }
    SendDlgItemMessageW(handle_, IDC_EDITOR_PROGRAMS, EM_SETCUEBANNER, TRUE,
                        reinterpret_cast<LPARAM>(L"notepad.exe; code.exe"));
    EnableProgramsLine();
    hotKeyField_ = std::make_unique<HotKeyField>(
        GetDlgItem(handle_, IDC_EDITOR_HOTKEY), core_.hotKeyNames(),
        [this](HotKeyCode code) { Guarded([&] { OnHotKeyPressed(code); }); });
    destination_ = std::make_unique<DestinationLine>(handle_, core_.hotKeyNames());
    SetGlyphs();
}

void TaskEditorDialog::SetGlyphs() {
    // At the dialog's current dpi: called again when it moves to a monitor
    // of another scaling.
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    SetButtonGlyph(GetDlgItem(handle_, IDC_EDITOR_OK), instance, IDI_OK);
    SetButtonGlyph(GetDlgItem(handle_, IDC_EDITOR_CLOSE), instance, IDI_CLOSE);
    SetButtonGlyph(GetDlgItem(handle_, IDC_EDITOR_BROWSE), instance, IDI_BROWSE);
}

void TaskEditorDialog::CentreOnOwner() {
    // The dialog is made once and kept: each opening puts it over its owner
    // again (or the monitor of the pointer while the owner is hidden), so it
    // opens where the user works, not where it was made. A move to another
    // monitor's scaling rescales it there (WM_DPICHANGED).
    RECT over{};
    if (owner_ && IsWindowVisible(owner_) && !IsIconic(owner_)) {
        GetWindowRect(owner_, &over);
    } else {
        POINT cursor{};
        GetCursorPos(&cursor);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (!GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor)) return;
        over = monitor.rcWork;
    }
    CentreWithinWorkArea(handle_, over);
}

void TaskEditorDialog::Run(bool adding, const TaskFields* filled) {
    if (filled) {
        // Shown as an Edit shows a row; OK appends all the same.
        PresetForEdit(core_.BeginAdd(*filled));
    } else if (adding) {
        core_.BeginAdd();
        PresetForAdd();
    } else if (const auto preset = core_.BeginEdit()) {
        PresetForEdit(*preset);
    } // else no row to read: the fields keep what they held, and OK appends

    ShowHotKeyWarning();
    CentreOnOwner();
    done_ = false;
    SetFocus(GetDlgItem(handle_, IDC_EDITOR_HOTKEY));
    RunModal(handle_, owner_, done_);
    // Hidden, the field may keep the focus; the keys go back to everyone.
    hotKeyField_->StopCapture();
    destination_->StopCapture();
    // Closed without OK: the hotkeys come back all the same.
    Guarded([&] { core_.EndEdit(); });
}

void TaskEditorDialog::PresetForAdd() {
    SendDlgItemMessageW(handle_, IDC_EDITOR_ACTION, CB_SETCURSEL, 0, 0);
    SendDlgItemMessageW(handle_, IDC_EDITOR_RUN_TYPE, CB_SETCURSEL, 0, 0);
    destination_->SetText(u"");
    SendDlgItemMessageW(handle_, IDC_EDITOR_SCOPE, CB_SETCURSEL, 0, 0);
    SetDlgItemTextW(handle_, IDC_EDITOR_PROGRAMS, L"");
    SendDlgItemMessageW(handle_, IDC_EDITOR_IF_RUNNING, CB_SETCURSEL, 0, 0);
    SetDlgItemTextW(handle_, IDC_EDITOR_PROGRAMS_ERROR, L"");
    EnableProgramsLine();
    EnableActionFields();
    // A new task starts without a hotkey: the last edit's would be shared.
    SetHotKeyField(0);
}

void TaskEditorDialog::PresetForEdit(const EditPreset& preset) {
    const TaskFields& f = preset.fields;
    fileName_ = f.destination;
    SendDlgItemMessageW(handle_, IDC_EDITOR_ACTION, CB_SETCURSEL,
                        f.action ? static_cast<WPARAM>(*f.action) : static_cast<WPARAM>(-1), 0);
    SetHotKeyField(f.hotKey);
    destination_->SetText(f.destination);
    SendDlgItemMessageW(handle_, IDC_EDITOR_RUN_TYPE, CB_SETCURSEL,
                        static_cast<WPARAM>(RunTypeIndex(f.runType)), 0);
    SendDlgItemMessageW(handle_, IDC_EDITOR_SCOPE, CB_SETCURSEL, static_cast<WPARAM>(f.scope), 0);
    SetDlgItemTextW(handle_, IDC_EDITOR_PROGRAMS, W(f.programs));
    SendDlgItemMessageW(handle_, IDC_EDITOR_IF_RUNNING, CB_SETCURSEL,
                        static_cast<WPARAM>(f.ifRunning), 0);
    SetDlgItemTextW(handle_, IDC_EDITOR_PROGRAMS_ERROR, L"");
    EnableProgramsLine();
    EnableActionFields();
}

void TaskEditorDialog::EnableActionFields() {
    const int index = ActionField();
    const std::optional<Action> action = index >= 0 && index < kActionCount
                                             ? std::optional(static_cast<Action>(index))
                                             : std::nullopt;
    const FieldsInUse used = FieldsUsedBy(action);
    const std::pair<int, bool> fields[] = {{IDC_EDITOR_DESTINATION_LABEL, used.destination},
                                           {IDC_EDITOR_DESTINATION, used.destination},
                                           {IDC_EDITOR_BROWSE, used.browse},
                                           {IDC_EDITOR_RUN_TYPE_LABEL, used.runType},
                                           {IDC_EDITOR_RUN_TYPE, used.runType},
                                           {IDC_EDITOR_IF_RUNNING_LABEL, used.ifRunning},
                                           {IDC_EDITOR_IF_RUNNING, used.ifRunning}};
    for (const auto& [id, enabled] : fields)
        EnableWindow(GetDlgItem(handle_, id), enabled);
    destination_->Show(action);
}

void TaskEditorDialog::EnableProgramsLine() {
    const bool some = SendDlgItemMessageW(handle_, IDC_EDITOR_SCOPE, CB_GETCURSEL, 0, 0) > 0;
    for (int id : {IDC_EDITOR_PROGRAMS, IDC_EDITOR_PROGRAMS_BROWSE, IDC_EDITOR_PROGRAMS_RUNNING})
        EnableWindow(GetDlgItem(handle_, id), some);
}

void TaskEditorDialog::AddProgramName(std::u16string_view name) {
    if (name.empty()) return;
    std::u16string text = WindowText(GetDlgItem(handle_, IDC_EDITOR_PROGRAMS));
    while (!text.empty() && (text.back() == u' ' || text.back() == u';'))
        text.pop_back();
    text += (text.empty() ? u"" : u"; ") + std::u16string(name);
    SetDlgItemTextW(handle_, IDC_EDITOR_PROGRAMS, W(text));
}

void TaskEditorDialog::OnBrowsePrograms() {
    std::u16string path;
    if (!AskOpenFile(handle_, L"Programs (*.exe)\0*.exe\0", path)) return;
    AddProgramName(FileNamePart(path));
}

void TaskEditorDialog::OnRunningPrograms() {
    const std::vector<std::u16string> names = RunningWindowPrograms();
    HMENU menu = CreatePopupMenu();
    for (std::size_t i = 0; i < names.size(); ++i)
        AppendMenuW(menu, MF_STRING, i + 1, W(names[i]));
    RECT button{};
    GetWindowRect(GetDlgItem(handle_, IDC_EDITOR_PROGRAMS_RUNNING), &button);
    const UINT picked = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_NONOTIFY, button.left, button.bottom, 0, handle_, nullptr));
    DestroyMenu(menu);
    if (picked >= 1 && picked <= names.size()) AddProgramName(names[picked - 1]);
}

void TaskEditorDialog::SetHotKeyField(HotKeyCode value) {
    hotKeyField_->SetValue(value);
}

HotKeyCode TaskEditorDialog::HotKeyFieldValue() const {
    return hotKeyField_->value();
}

void TaskEditorDialog::OnHotKeyPressed(HotKeyCode code) {
    const HotKeyAdvice advice = core_.AdviseEditorHotKey(code);
    if (!advice.refused) SetHotKeyField(code);
    SetDlgItemTextW(handle_, IDC_EDITOR_HOTKEY_WARNING, W(advice.text));
}

void TaskEditorDialog::ShowHotKeyWarning() {
    const HotKeyAdvice advice = core_.AdviseEditorHotKey(HotKeyFieldValue());
    SetDlgItemTextW(handle_, IDC_EDITOR_HOTKEY_WARNING, W(advice.text));
}

int TaskEditorDialog::ActionField() const {
    return static_cast<int>(SendDlgItemMessageW(handle_, IDC_EDITOR_ACTION, CB_GETCURSEL, 0, 0));
}

TaskFields TaskEditorDialog::ReadFields() const {
    TaskFields f;
    const int action = ActionField();
    if (action >= 0 && action < kActionCount) f.action = static_cast<Action>(action);
    f.hotKey = HotKeyFieldValue();
    f.destination = destination_->Text();
    const auto runType = SendDlgItemMessageW(handle_, IDC_EDITOR_RUN_TYPE, CB_GETCURSEL, 0, 0);
    if (runType >= 0 && runType < static_cast<LRESULT>(kRunTypes.size()))
        f.runType = kRunTypes[static_cast<std::size_t>(runType)].name;
    const auto scope = SendDlgItemMessageW(handle_, IDC_EDITOR_SCOPE, CB_GETCURSEL, 0, 0);
    if (scope > 0 && scope <= 2) f.scope = static_cast<ScopeKind>(scope);
    f.programs = WindowText(GetDlgItem(handle_, IDC_EDITOR_PROGRAMS));
    const auto ifRunning = SendDlgItemMessageW(handle_, IDC_EDITOR_IF_RUNNING, CB_GETCURSEL, 0, 0);
    if (ifRunning > 0 && ifRunning < kIfRunningCount)
        f.ifRunning = static_cast<IfRunning>(ifRunning);
    return f;
}

bool TaskEditorDialog::AskProgramFile(std::u16string& path) {
    path = fileName_;
    if (!AskOpenFile(handle_, L"All (*.exe, *.bat, *.com)\0*.exe;*.bat;*.com\0", path))
        return false;
    fileName_ = path;
    return true;
}

std::u16string TaskEditorDialog::FirstCdDrive() const {
    return keyvane::FirstCdDrive(GetLogicalDrives(), [](char16_t letter) {
        const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
        return static_cast<unsigned>(GetDriveTypeW(root));
    });
}

void TaskEditorDialog::OnBrowse() {
    fileName_ = ExecutablePath();
    std::u16string path;
    if (AskProgramFile(path)) destination_->SetText(path);
}

void TaskEditorDialog::OnOk() {
    TaskFields fields = ReadFields();
    // A row of an action this version does not know shows none: OK waits
    // for one, rather than keep a task whose hotkey does nothing.
    if (!fields.action) {
        SetDlgItemTextW(handle_, IDC_EDITOR_HOTKEY_WARNING, ToWide(kChooseActionText).c_str());
        SetFocus(GetDlgItem(handle_, IDC_EDITOR_ACTION));
        return;
    }
    // Keys that cannot be read are told under them; the editor stays open.
    if (!destination_->ReadyForOk()) return;
    // A list that cannot be stored is told under it; the editor stays open.
    const std::u16string programsError = ProgramsFieldError(fields);
    SetDlgItemTextW(handle_, IDC_EDITOR_PROGRAMS_ERROR, W(programsError));
    if (!programsError.empty()) {
        SetFocus(GetDlgItem(handle_, IDC_EDITOR_PROGRAMS));
        return;
    }
    if (fields.destination.empty()) {
        switch (DestinationFillFor(fields.action)) {
        case DestinationFill::AskForProgram: {
            std::u16string path;
            // A cancelled dialog leaves the destination empty: its last file
            // name may be this program's own path.
            if (AskProgramFile(path)) fields.destination = path;
            break;
        }
        case DestinationFill::FirstCdDrive:
            fields.destination = FirstCdDrive() + u":";
            break;
        case DestinationFill::None:
            break;
        }
        destination_->SetText(fields.destination);
    }
    // A failed save throws from here: the dialog stays open, the row stays.
    core_.CommitEdit(fields);
    // The hotkeys work again before the editor has gone from the screen.
    core_.EndEdit();
    done_ = true;
}

void TaskEditorDialog::OnClose() {
    done_ = true;
}

INT_PTR TaskEditorDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        Guarded([&] { SetUpControls(); });
        return FALSE; // the focus is set when the editor is shown
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_EDITOR_OK:
            Guarded([&] { OnOk(); });
            return TRUE;
        case IDC_EDITOR_CLOSE:
            Guarded([&] { OnClose(); });
            return TRUE;
        case IDC_EDITOR_BROWSE:
            Guarded([&] { OnBrowse(); });
            return TRUE;
        case IDC_EDITOR_SCOPE:
            if (HIWORD(wParam) == CBN_SELCHANGE) EnableProgramsLine();
            return TRUE;
        case IDC_EDITOR_ACTION:
            if (HIWORD(wParam) == CBN_SELCHANGE) EnableActionFields();
            return TRUE;
        case IDC_EDITOR_PROGRAMS_BROWSE:
            Guarded([&] { OnBrowsePrograms(); });
            return TRUE;
        case IDC_EDITOR_PROGRAMS_RUNNING:
            Guarded([&] { OnRunningPrograms(); });
            return TRUE;
        default:
            if (destination_ && destination_->OnCommand(LOWORD(wParam), HIWORD(wParam)))
                return TRUE;
            break;
        }
        break;
    case WM_CTLCOLORSTATIC:
        // The hotkey and keys fields are read-only only to keep typing out;
        // they look like fields the user fills.
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(handle_, IDC_EDITOR_HOTKEY) ||
            reinterpret_cast<HWND>(lParam) == GetDlgItem(handle_, IDC_EDITOR_KEYS)) {
            SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    case WM_INPUTLANGCHANGE:
        Guarded([&] { ShowHotKeyWarning(); });
        break;
    case WM_DPICHANGED:
        // The dialog manager scales the font and the controls; the glyphs
        // are the dialog's own. The default handling still applies.
        SetGlyphs();
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace keyvane
