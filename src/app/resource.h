// Resource and control ids, shared by keyvane.rc and the window code.
// Only ids live here; the program's texts are in AppInfo.h and the .rc.
#pragma once

// The program icon is the named resource MAINICON (keyvane.rc).

// Dialogs.
#define IDD_FORM2 100 // task editor, "Add task"
#define IDD_FORM3 101 // About box

// Task editor (Form2).
#define IDC_FORM2_GROUPBOX1 1001
#define IDC_FORM2_BITBTN4 1002 // "OK"
#define IDC_FORM2_BITBTN2 1003 // "Close"

// About box (Form3).
#define IDC_FORM3_LABEL1 1101
#define IDC_FORM3_BITBTN1 1102 // "OK"
