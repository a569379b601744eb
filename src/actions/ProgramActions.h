// Starting and stopping programs: the portable part is how a running process
// is matched by name and the walk that ends every match; the Windows half
// hands programs, folders and addresses to the shell and ends processes.
#pragma once

#include "actions/ActionOperations.h"

#include <cstdint>
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
    // Ends the process outright with exit code 0; failures are dropped.
    virtual void Terminate(std::uint32_t id) = 0;
};

// Ends every running process of the program name; returns how many it tried.
int CloseMatchingProcesses(ProcessControl& processes, std::u16string_view name);

// Windows only (ProgramActions_win32.cpp). ownerWindow is an HWND or null.
// Every result of the system is dropped: the program reports none of these.
void ShellRunProgram(void* ownerWindow, const std::u16string& program,
                     const std::u16string& parameters, int showCode);
void ShellOpenAddress(void* ownerWindow, const std::u16string& address, int showCode);
void ShellOpenSpecialFolder(SpecialFolder folder, int showCode);
// Starts a program found by the system's search for programs and returns
// once it waits for input, or after 30 s at most.
void StartProgram(const std::u16string& commandLine, int showCode);
void CloseProcessesByName(const std::u16string& fileName);

} // namespace keyvane
