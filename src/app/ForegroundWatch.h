// The window in front, as the core needs to know it: the file name of its
// program and whether it fills its screen. Windows tells of every change
// (ForegroundWatch_win32.cpp); the tests call the core directly.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace keyvane {

struct ForegroundProgram {
    // The program file's name without its folder, as the system reports it;
    // empty when it cannot be known (no window in front, a process we may
    // not ask).
    std::u16string fileName;
    // The window covers its whole monitor (a game, a presentation, a film),
    // and is not the desktop.
    bool fullScreen = false;
};

class ForegroundWatch {
  public:
    virtual ~ForegroundWatch() = default;
    // The window in front now.
    virtual ForegroundProgram Current() = 0;
};

// Windows only: tells onChange of every change of the window in front, on
// the thread that makes it, from its message loop, until destroyed.
std::unique_ptr<ForegroundWatch>
MakeSystemForegroundWatch(std::function<void(const ForegroundProgram&)> onChange);

} // namespace keyvane
