// Starting and stopping programs: the portable part is how a running process
// is matched by name, the walk that ends every match and what it tells the
// user, and the folder a chosen program starts in; the Windows half hands
// programs, folders and addresses to the shell and ends processes.
#pragma once

#include "actions/ActionOperations.h"
#include "actions/WindowChoice.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keyvane {

// The text after the last backslash or colon; the whole text without either.
std::u16string_view FileNamePart(std::u16string_view text);

// Whether a process whose system-reported executable is exeFile (a bare name
// or a full path) is the program name: its file-name part or the whole text
// equals the name, ASCII letter case aside. An empty name matches nothing.
bool ProcessNameMatches(std::u16string_view exeFile, std::u16string_view name);

struct ProcessEntry {
    std::uint32_t id;
    std::u16string exeFile;
};

// The running processes and the means to end one.
class ProcessControl {
  public:
    virtual ~ProcessControl() = default;
    virtual std::vector<ProcessEntry> RunningProcesses() = 0;
    // Ends the process outright with exit code 0. Returns the system's error
    // code when it could not be ended, nothing when it was (or had already
    // ended by itself).
    virtual std::optional<std::uint32_t> Terminate(std::uint32_t id) = 0;
};

struct CloseFailure {
    std::uint32_t id;
    std::uint32_t error; // the system's error code
};

struct CloseResult {
    int tried = 0; // matching processes
    std::vector<CloseFailure> failures;
};

// Ends every running process of the program name; says how many it tried
// and which of them it could not end.
CloseResult CloseMatchingProcesses(ProcessControl& processes, std::u16string_view name);

// The one message that tells the user which processes of the program name
// stayed, with the system's reason for each distinct error; empty when
// nothing failed.
std::u16string CloseFailureMessage(std::u16string_view name, const CloseResult& result);

// The working folder a chosen program starts in, as a shortcut's default:
// the folder of a full path (drive or network) to an .exe, .bat or .com,
// quotes dropped; empty, which keeps the shell's default, for anything else
// (a bare or relative name, a document, a web address).
std::u16string ProgramStartFolder(std::u16string_view program);

// Whether a process whose program file is imagePath (a full path, as the
// system reports it) is a copy of a task's program: a program given by its
// full path (quotes aside) is that file, letter case aside; one given by a
// bare or relative name is any file of that name.
bool IsCopyOfProgram(std::u16string_view imagePath, std::u16string_view program);

// Windows only (ProgramActions_win32.cpp). ownerWindow is an HWND or null.
// The starts drop the system's results: the program reports none of them.
void ShellRunProgram(void* ownerWindow, const std::u16string& program,
                     const std::u16string& parameters, int showCode);
// Brings up the window of a running copy (PlanRaise), or starts one. Never
// waits for another program: the calls to its windows are queued to it.
void BringUpProgram(void* ownerWindow, const std::u16string& program,
                    const std::u16string& parameters, int showCode, bool toggle);
// The file names of the programs that show a window in the task switcher
// now, letter case as the system reports them, sorted, each once; for the
// editor's pick.
std::vector<std::u16string> RunningWindowPrograms();
// The full path of a process's program file; empty when the system does
// not tell.
std::u16string ProcessImagePath(std::uint32_t processId);
void ShellOpenAddress(void* ownerWindow, const std::u16string& address, int showCode);
void ShellOpenSpecialFolder(SpecialFolder folder, int showCode);
// Starts the program of this file name from the system folder, never from a
// search, and returns once it waits for input, or after a moment at most.
void StartSystemProgram(const std::u16string& fileName, int showCode);
// Ends every process of the name; one message box tells about those that
// could not be ended.
void CloseProcessesByName(const std::u16string& fileName);

} // namespace keyvane
