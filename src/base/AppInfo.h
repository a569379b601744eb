// The program's own names and addresses, in one place: the window captions,
// the error report and the About box all take them from here.
#pragma once

#include "Version.h"

#include <string_view>

namespace keyvane {

inline constexpr std::u16string_view kApplicationTitle = u"Keyvane";
inline constexpr std::u16string_view kWebAddress = u"http://keyvane.example.org";
// The main window's caption: the title, two blanks, a dash, two blanks, the address.
inline constexpr std::u16string_view kMainWindowCaption = u"Keyvane  -  http://keyvane.example.org";
static_assert(kMainWindowCaption.starts_with(kApplicationTitle) &&
              kMainWindowCaption.ends_with(kWebAddress));

// The About box's links: the product's page and the feedback mail.
inline constexpr std::u16string_view kProductPage = u"http://keyvane.example.org/#hk=1";
inline constexpr std::u16string_view kFeedbackMail =
    u"mailto:support@keyvane.example.org?subject=Feedback - Keyvane";

// The About box's three lines; the version is the project's.
inline constexpr std::u16string_view kAboutText =
    u"Keyvane\nVersion"
    u" " KEYVANE_VERSION_SHORT u"\nKeyvane \u2013 this is a manager hotkeys for Windows. ";

// The dialogs' captions (their templates carry none) and the main window's
// page names.
inline constexpr std::u16string_view kEditorCaption = u"Add task";
inline constexpr std::u16string_view kAboutCaption = u"About...";
inline constexpr std::u16string_view kHotKeyPageName = u"HotKey View";
inline constexpr std::u16string_view kOptionsPageName = u"Options";

// The Edit menu's items; the name of the change they undo or redo follows.
inline constexpr std::u16string_view kUndoItem = u"&Undo";
inline constexpr std::u16string_view kRedoItem = u"&Redo";
// The tray icon's tooltip while the hotkeys are paused.
inline constexpr std::u16string_view kPausedTrayTip = u"Keyvane (paused)";

// The program's own messages.
// The grid when its filter hides every row; the main window while the
// hotkeys are paused.
inline constexpr std::u16string_view kNoTaskMatchesText = u"No task matches";
// The grid of an empty list, with no search typed.
inline constexpr std::u16string_view kNoTasksYetText =
    u"No tasks yet: click Add (Alt+A) or drop a program here";
inline constexpr std::u16string_view kPausedNoteText =
    u"The hotkeys are paused; the tray menu resumes them.";
// The same with a pause hotkey set: %1 is its text.
inline constexpr std::u16string_view kPausedNoteHotKeyText =
    u"The hotkeys are paused; %1 or the tray menu resumes them.";
// Beside "Save" for a moment after it kept everything.
inline constexpr std::u16string_view kOptionsSavedText = u"Saved.";
inline constexpr std::u16string_view kHeldElsewhereText =
    u"This hotkey is in use by another program";
inline constexpr std::u16string_view kImportFailedText = u"Error!";
// An Internet shortcut dropped on the main window that names no address
// (its path goes between the two).
inline constexpr std::u16string_view kNoAddressBefore = u"The Internet shortcut \"";
inline constexpr std::u16string_view kNoAddressAfter = u"\" holds no web address.";
// The grid's right-click menu: the item that switches the row's box.
inline constexpr std::u16string_view kEnableItem = u"E&nable";
inline constexpr std::u16string_view kDisableItem = u"Disa&ble";
// What the editor says of a captured combination; the hotkey's text or the
// character goes between the two halves.
inline constexpr std::u16string_view kNotTakenPrefix = u"Not taken: ";
// "Send keys..." with a destination that names a key no layout has.
inline constexpr std::u16string_view kUnreadableKeysText =
    u"Keyvane cannot read these keys: press them in the field below";
inline constexpr std::u16string_view kTypingKeyAfter =
    u" is needed for typing; add Ctrl, Alt or Win";
inline constexpr std::u16string_view kWindowsNeedsAfter = u" belongs to Windows in every program";
inline constexpr std::u16string_view kOwnShortcutAfter = u" is this window's own shortcut";
// The editor's keys field, for a key whose name does not read back.
inline constexpr std::u16string_view kUnnamedKeyText =
    u"Not taken: this key has no name Keyvane can read back";
// Under the Options page's pause field once it took a combination.
inline constexpr std::u16string_view kPauseActsAtOnceText =
    u"Acts from now on; \"Save\" keeps it for the next start";
inline constexpr std::u16string_view kAltGrBefore = u"Takes the character ";
inline constexpr std::u16string_view kAltGrAfter = u" that AltGr types";
// The grid's tooltip of a marked hotkey (with kHeldElsewhereText).
inline constexpr std::u16string_view kUnreadableHotKeyTip =
    u"Keyvane cannot read this hotkey on any of your keyboard layouts";
// A row whose action field names none of the actions: its hotkey does nothing.
inline constexpr std::u16string_view kUnknownActionTip = u"Keyvane knows no action named ";
// Under the editor's hotkey field when OK finds no action chosen.
inline constexpr std::u16string_view kChooseActionText =
    u"Choose an action: the task does nothing without one";
inline constexpr std::u16string_view kAltGrTipBefore = u"This hotkey takes the character ";
inline constexpr std::u16string_view kAltGrTipAfter = u" that AltGr types on your keyboard layout";
// Why a stand by or hibernate cannot run.
inline constexpr std::u16string_view kNoStandByText =
    u"Stand by is not possible: this computer has no stand-by sleep state (S3).";
inline constexpr std::u16string_view kNoHibernateText =
    u"Hibernate is not possible: this computer has no hibernation state (S4).";
inline constexpr std::u16string_view kHibernateOffText =
    u"Hibernate is not possible: hibernation is switched off on this computer.";
// After the reason a task list could not be read at start: moved aside at
// the next save (the rescue path goes between the two), or read again then.
inline constexpr std::u16string_view kUnreadableListBefore =
    u"\n\nKeyvane starts without these tasks. The file is not overwritten: it will be kept as \"";
inline constexpr std::u16string_view kUnreadableListAfter = u"\" when the task list is next saved.";
inline constexpr std::u16string_view kUnopenedListNote =
    u"\n\nKeyvane starts without these tasks. The file is left as it is and read again before "
    u"the task list is next saved.";

// The editor's lines for a task's programs and a running copy, and what it
// says of a list of programs it cannot store (the name follows the colon).
inline constexpr std::u16string_view kScopeChoices[] = {u"All programs", u"Only in", u"Not in"};
inline constexpr std::u16string_view kIfRunningLabel = u"If it is running:";
inline constexpr std::u16string_view kIfRunningChoices[] = {
    u"Start another copy", u"Bring it to the front",
    u"Bring it to the front, or minimize it if it is in front"};
inline constexpr std::u16string_view kNoProgramsText = u"Name a program, or choose All programs";
inline constexpr std::u16string_view kEmptyProgramText = u"An empty name: remove the extra \";\"";
inline constexpr std::u16string_view kProgramPathText = u"A file name without its folder: ";
inline constexpr std::u16string_view kProgramCharacterText = u"No \" < > | ? * or leading ! in: ";
inline constexpr std::u16string_view kTooManyProgramsText = u"At most 100 programs per task";
// The grid's tooltip on a task for some programs, and on a field this
// version cannot read (the field's text follows).
inline constexpr std::u16string_view kOnlyInTip = u"Only in: ";
inline constexpr std::u16string_view kNotInTip = u"Not in: ";
inline constexpr std::u16string_view kUnreadableProgramsTip =
    u"Programs not understood, so it works in all programs: ";
inline constexpr std::u16string_view kUnreadableIfRunningTip =
    u"If it is running: not understood, so it starts another copy: ";
// The Options page's check box.
inline constexpr std::u16string_view kPauseFullScreenOption =
    u"Pause while a full-screen program is in front";

// After "Not taken: " and a combination, in the editor: a task cannot have
// the pause hotkey.
inline constexpr std::u16string_view kIsPauseHotKeyText =
    u" pauses and resumes the hotkeys (Options page)";

// The command line: a second start asks the running copy of its folder.
inline constexpr std::u16string_view kCommandLineUsage =
    u"Keyvane takes one of these switches:\n\n"
    u"  /pause      pause every hotkey\n"
    u"  /resume     resume the hotkeys\n"
    u"  /show       show the main window (starts Keyvane when it does not run)\n"
    u"  /exit       end Keyvane\n"
    u"  /run N      run the action of task N, as its hotkey would\n"
    u"  /?          show these switches (also -h, --help)\n\n"
    u"They act on the copy of Keyvane that runs from this folder. Exit codes: 0 done, "
    u"1 Keyvane does not run from this folder, 2 unknown switch, 3 not done.";
inline constexpr std::u16string_view kUnknownSwitchBefore = u"Unknown switch: ";
// /run without a number; what was given instead follows the second.
inline constexpr std::u16string_view kRunNeedsNumberText =
    u"/run needs a task number, as the grid's # column shows it: /run 2";
inline constexpr std::u16string_view kNotATaskNumberBefore = u"\nNot a task number: ";
inline constexpr std::u16string_view kNotRunningText = u"Keyvane does not run from this folder.";
inline constexpr std::u16string_view kNoSuchTaskText = u"There is no task ";
inline constexpr std::u16string_view kTaskDisabledText = u" is disabled: nothing was run.";
inline constexpr std::u16string_view kTaskWithoutActionText = u" names no action: nothing was run.";
inline constexpr std::u16string_view kDidNotEndText =
    u"Keyvane did not end within 10 seconds (a message of it may be waiting for an answer).";
inline constexpr std::u16string_view kRunsAsAdministratorText =
    u"Keyvane runs as administrator: give the switch from a command prompt that runs as "
    u"administrator.";

// The main window's class. Setup and the uninstaller find a running copy by
// it (release.sh hands it to them), older versions included, so it keeps
// the name it has always had.
inline constexpr std::u16string_view kMainWindowClass = u"TForm1";

} // namespace keyvane
