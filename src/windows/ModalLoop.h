// Modal windows of the program: the editor and the About box are made once
// and shown modally by a loop of our own; message boxes and file dialogs
// run the system's. While any of them is open, the tray and a second start
// only bring it to the front, and an exit closes it first.
#pragma once

#include <windows.h>

#include <string>

namespace keyvane {

// Counts the open modal windows for as long as it lives.
class ModalScope {
  public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
};

bool ModalOpen();

// Shows a dialog that already exists as a modal window of owner and
// returns when done becomes true (its handlers set it) or the program
// quits. The owner is disabled meanwhile.
void RunModal(HWND dialog, HWND owner, const bool& done);

// The innermost open modal window of this thread, or null.
HWND FindOpenModal();
// Brings the open modal window to the front; false when none is open.
bool FrontOpenModal();
// Asks the innermost open modal window to close, as Escape would.
void CloseOpenModal();

// The system's open-file dialog as a modal window of owner. path: the file
// name it starts with; the chosen file's full path when the user confirms
// (true). filter: pairs of label and patterns, each ending in a zero.
bool AskOpenFile(HWND owner, const wchar_t* filter, std::u16string& path);

// A message box owned by owner that counts as a modal window.
int ModalMessageBox(HWND owner, const wchar_t* text, UINT flags);

} // namespace keyvane
