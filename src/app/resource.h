// Resource and control ids, shared by keyvane.rc and the window code. Only
// ids live here; the program's texts are in the .rc and base/AppInfo.h.
// Control ids carry their window: FORM1 the main window, FORM2 the task
// editor, FORM3 the About box.
#pragma once

// The program icon is the named resource MAINICON (keyvane.rc); the other
// pictures' ids are in art_ids.h.
#include "art_ids.h"

// Menus.
#define IDR_FORM1_MAINMENU 50   // "File" > "Exit", "Help" > "About..."
#define IDR_FORM1_POPUPMENU1 51 // the tray menu

// Menu commands.
#define IDM_FORM1_EXIT2 40001  // main menu "Exit"
#define IDM_FORM1_ABOUT1 40002 // main menu "About..."
#define IDM_FORM1_FILE1 40003  // tray "Show Main Window"
#define IDM_FORM1_ABOUT2 40004 // tray "About..."
#define IDM_FORM1_EXIT1 40005  // tray "Exit"

// Dialogs.
#define IDD_FORM1 99  // the main window's pages (a child of the main window)
#define IDD_FORM2 100 // task editor, "Add task"
#define IDD_FORM3 101 // About box

// Main window (Form1).
#define IDC_FORM1_PAGECONTROL1 900
#define IDC_FORM1_GROUPBOX1 901 // "Hot Keys"
#define IDC_FORM1_NEXTGRID1 902
#define IDC_FORM1_BITBTN1 903   // "Add"
#define IDC_FORM1_BITBTN2 904   // "Edit"
#define IDC_FORM1_BITBTN3 905   // "Delete"
#define IDC_FORM1_BITBTN5 906   // "Delete All"
#define IDC_FORM1_BITBTN7 907   // "Move down"
#define IDC_FORM1_BITBTN8 908   // "Move up"
#define IDC_FORM1_GROUPBOX2 910 // "General"
#define IDC_FORM1_CHECKBOX1 911 // "Auto start with Windows "
#define IDC_FORM1_CHECKBOX2 912 // "Always start in system tray only"
#define IDC_FORM1_LABEL1 913    // "Import hotkeys from v1.2"
#define IDC_FORM1_BITBTN6 914   // "Import"
#define IDC_FORM1_BITBTN4 915   // "Save"

// Task editor (Form2). OK and Close are IDOK and IDCANCEL, so Enter and
// Escape work as the dialog manager gives them.
#define IDC_FORM2_GROUPBOX1 1001
#define IDC_FORM2_BITBTN4 IDOK     // "OK"
#define IDC_FORM2_BITBTN2 IDCANCEL // "Close"
#define IDC_FORM2_HOTKEY1 1004
#define IDC_FORM2_COMBOBOX1 1005 // Action
#define IDC_FORM2_COMBOBOX2 1006 // Destination
#define IDC_FORM2_COMBOBOX3 1007 // Type of run
#define IDC_FORM2_BITBTN3 1008   // "Browse"
#define IDC_FORM2_LABEL1 1009
#define IDC_FORM2_LABEL2 1010
#define IDC_FORM2_LABEL3 1011
#define IDC_FORM2_LABEL4 1012

// About box (Form3).
#define IDC_FORM3_LABEL1 1101
#define IDC_FORM3_BITBTN1 IDOK // "OK"
#define IDC_FORM3_IMAGE1 1103
#define IDC_FORM3_LABEL2 1104 // web page link
#define IDC_FORM3_LABEL3 1105 // feedback link
