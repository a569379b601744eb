// Who may give the running copy orders. A window of an elevated process
// hears a program of a lower integrity level only in the messages it lets
// through (ChangeWindowMessageFilterEx), and the folder's instance key is
// no secret: an elevated copy lets nothing through that gives orders (the
// command line's request, a drop, copied data), so no program of lower
// rights can make it run a task elevated, end it, or read a file of its
// choosing. A start with a switch talks only to the copy whose executable
// is its own file.
#pragma once

#include "app/CommandLine.h"

#include <string>
#include <string_view>
#include <vector>

namespace keyvane {

// The messages a window of ours may let through from a lower integrity level.
enum class GuardedMessage {
    TaskbarCreated, // the shell restarted: add the tray icon again
    TrayCallback,   // clicks on the tray icon
    Command,        // a second start's request
    DropFiles,      // WM_DROPFILES
    CopyGlobalData, // 0x0049: the shell hands the dropped names over with it
    CopyData,       // WM_COPYDATA
};

struct MessagePlan {
    // Let through from lower integrity levels; none when not elevated,
    // where the shell and a second start share our level and need no
    // opening, and an opening would admit low-integrity programs.
    std::vector<GuardedMessage> opened;
    // Files dropped from the shell open the editor. An elevated copy takes
    // no drops when the shell runs at a lower level: its drop would have to
    // be let through, and any program of that level could then drop a file
    // of its choosing. With the shell as elevated (no split administrator
    // token, or Wine, which runs everything elevated) drops come from our
    // own level.
    bool acceptDrops = false;
};

// shellElevated: the process of the shell's window runs elevated; false
// when there is no shell window.
MessagePlan PlanMessages(bool elevated, bool shellElevated);

// A start with a switch that is not elevated, finding a copy that is, does
// not ask it (the copy would not hear it) and ends with this exit code and
// reason. False, leaving both alone, when the copy may be asked.
bool RefusedByElevatedCopy(bool startElevated, bool copyElevated, int& exitCode,
                           NotDoneReason& reason);

// Whether a process image is the program file of ours: the same full path,
// letter case and the system's long-path prefix aside. Empty paths are
// nobody's.
bool SameProgramFile(std::u16string_view ours, std::u16string_view theirs);

// Whether this process runs elevated (TokenElevation), whether the process
// with this id does, and the shell's (RunningCopy_win32.cpp). One whose
// token cannot be read is taken as elevated: a program of lower rights may
// not read it.
bool ThisProcessElevated();
bool ProcessElevated(unsigned long processId);
bool ShellElevated();
// The full path of the process's executable; empty when it cannot be read.
std::u16string ProcessImagePath(unsigned long processId);

} // namespace keyvane
