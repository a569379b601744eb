// Resource and control ids, shared by keyvane.rc and the window code. Only
// ids live here. The controls' and menus' words are in keyvane.rc; captions,
// page names, addresses and the About text in base/AppInfo.h, which the
// windows set at run time. Control ids carry their window: MAIN the main
// window, EDITOR the task editor, ABOUT the About box.
#pragma once

// The program icon is the named resource MAINICON (keyvane.rc); the other
// pictures' ids are in art_ids.h.
#include "art_ids.h"

// Menus.
#define IDR_MAIN_MENU 50         // "File", "Edit" (undo, redo), "Help"
#define IDR_TRAY_MENU 51         // the tray menu
#define IDR_MAIN_ACCELERATORS 52 // Ctrl+Z, Ctrl+Y

// Menu commands.
#define IDM_MAIN_EXIT 40001  // main menu "Exit"
#define IDM_MAIN_ABOUT 40002 // main menu "About..."
#define IDM_TRAY_SHOW 40003  // tray "Show Main Window"
#define IDM_TRAY_ABOUT 40004 // tray "About..."
#define IDM_TRAY_EXIT 40005  // tray "Exit"
#define IDM_EDIT_UNDO 40006  // "Edit" > "Undo ..." (Ctrl+Z)
#define IDM_EDIT_REDO 40007  // "Edit" > "Redo ..." (Ctrl+Y)
#define IDM_TRAY_PAUSE 40008 // tray "Pause hotkeys"
// The grid's right-click menu, on the current row.
#define IDR_GRID_MENU 56
#define IDM_GRID_EDIT 40050
#define IDM_GRID_RUN_NOW 40051
#define IDM_GRID_ENABLE 40052 // "Enable" or "Disable", as the row is
#define IDM_GRID_DELETE 40053

// Dialogs.
#define IDD_MAIN_PAGES 99   // the main window's pages (a child of the main window)
#define IDD_TASK_EDITOR 100 // task editor, "Add task"
#define IDD_ABOUT 101       // About box

// Main window.
#define IDC_MAIN_TABS 900
#define IDC_MAIN_HOTKEYS_GROUP 901 // "Hot Keys"
#define IDC_MAIN_GRID 902
#define IDC_MAIN_ADD 903               // "Add"
#define IDC_MAIN_EDIT 904              // "Edit"
#define IDC_MAIN_DELETE 905            // "Delete"
#define IDC_MAIN_DELETE_ALL 906        // "Delete All"
#define IDC_MAIN_MOVE_DOWN 907         // "Move down"
#define IDC_MAIN_MOVE_UP 908           // "Move up"
#define IDC_MAIN_GENERAL_GROUP 910     // "General"
#define IDC_MAIN_AUTOSTART 911         // "Auto start with Windows "
#define IDC_MAIN_TRAY_ONLY 912         // "Always start in system tray only"
#define IDC_MAIN_IMPORT_LABEL 913      // "Import hotkeys from v1.2"
#define IDC_MAIN_IMPORT 914            // "Import"
#define IDC_MAIN_SAVE 915              // "Save"
#define IDC_MAIN_FILTER 916            // the search box above the grid
#define IDC_MAIN_PAUSED 917            // beside it, while the hotkeys are paused
#define IDC_MAIN_PAUSE_LABEL 920       // "Pause hotkey:"
#define IDC_MAIN_PAUSE_HOTKEY 921      // the field that captures the pause hotkey
#define IDC_MAIN_PAUSE_NOTE 922        // why a combination was not taken
#define IDC_MAIN_PAUSE_FULL_SCREEN 930 // "Pause while a full-screen program is in front"
#define IDC_MAIN_SAVED 931             // beside "Save" for a moment after a save

// Task editor. OK and Close are IDOK and IDCANCEL, so Enter and
// Escape work as the dialog manager gives them.
#define IDC_EDITOR_GROUP 1001
#define IDC_EDITOR_OK IDOK          // "OK"
#define IDC_EDITOR_CLOSE IDCANCEL   // "Close"
#define IDC_EDITOR_HOTKEY 1004      // the field that captures the keys pressed in it
#define IDC_EDITOR_ACTION 1005      // Action
#define IDC_EDITOR_DESTINATION 1006 // Destination
#define IDC_EDITOR_RUN_TYPE 1007    // Type of run
#define IDC_EDITOR_BROWSE 1008      // "Browse"
#define IDC_EDITOR_HOTKEY_LABEL 1009
#define IDC_EDITOR_ACTION_LABEL 1010
#define IDC_EDITOR_DESTINATION_LABEL 1011
#define IDC_EDITOR_RUN_TYPE_LABEL 1012
#define IDC_EDITOR_HOTKEY_WARNING 1013 // what the editor says of the hotkey
#define IDC_EDITOR_PROGRAMS_LABEL 1014
#define IDC_EDITOR_SCOPE 1015            // All programs / Only in / Not in
#define IDC_EDITOR_PROGRAMS 1016         // the names, separated by ';'
#define IDC_EDITOR_PROGRAMS_BROWSE 1017  // adds a program file's name
#define IDC_EDITOR_PROGRAMS_RUNNING 1018 // adds a running program's name
#define IDC_EDITOR_PROGRAMS_ERROR 1019   // why the names cannot be stored
#define IDC_EDITOR_IF_RUNNING_LABEL 1020
#define IDC_EDITOR_IF_RUNNING 1021
// The Destination line's other forms. "Type text...": a multi-line box in
// place of Destination, with the count of characters under it. "Send
// keys...": under Destination, a line that says why the keys cannot be read,
// and a field that captures a combination and adds it to Destination.
#define IDC_EDITOR_TEXT 1022             // the text to type
#define IDC_EDITOR_TEXT_COUNT 1023       // "12 characters"
#define IDC_EDITOR_DESTINATION_NOTE 1024 // why the keys cannot be read or added
#define IDC_EDITOR_KEYS_LABEL 1025       // "Add &keys:"
#define IDC_EDITOR_KEYS 1026             // captures a combination to add

// About box.
#define IDC_ABOUT_TEXT 1101
#define IDC_ABOUT_OK IDOK // "OK"
#define IDC_ABOUT_PICTURE 1103
#define IDC_ABOUT_WEB_LINK 1104      // web page link
#define IDC_ABOUT_FEEDBACK_LINK 1105 // feedback link
