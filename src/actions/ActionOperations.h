// The operations a hotkey press can perform, one per action of the task
// table. The dispatcher calls them through this interface so its walk over
// the table is tested with a recording fake; Windows implements them.
#pragma once

#include "hotkeys/HotKeyText.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace keyvane {

enum class SpecialFolder { MyComputer, MyDocuments };

// A failure an operation tells in the program's own words (UTF-8), such as a
// program the shell could not start. The press tells it without a box that
// waits for the user, and goes on with its next task.
class ActionFailure : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class ActionOperations {
  public:
    virtual ~ActionOperations() = default;

    // Runs just before power off, reboot or log off asks the system to end
    // the session: the owner writes what it keeps, since other programs may
    // end it first. An exception from it cancels the request.
    void setBeforeSessionEnds(std::function<void()> save) { beforeSessionEnds_ = std::move(save); }
    const std::function<void()>& beforeSessionEnds() const { return beforeSessionEnds_; }

    // Where the failures operations throw as ActionFailure are told (the
    // core queues them for the window, which shows them once the action
    // has returned). Unset, they stay errors of the press.
    void setFailureListener(std::function<void(std::u16string)> told) {
        failureTold_ = std::move(told);
    }
    const std::function<void(std::u16string)>& failureListener() const { return failureTold_; }

    // Power and session.
    virtual void PowerOffComputer() = 0;
    virtual void RebootComputer() = 0;
    virtual void HibernateComputer() = 0;
    virtual void StandByComputer() = 0;
    virtual void LogOffComputer() = 0;

    // CD tray and desktop. drive is the destination as stored, not split.
    virtual void OpenCDTray(const std::u16string& drive) = 0;
    virtual void CloseCDTray(const std::u16string& drive) = 0;
    virtual void ToggleMinimizeAll() = 0;

    // Programs, folders and addresses. showCode is the window-show command
    // (0 hide, 1 normal, 3 maximized, 6 minimized).
    virtual void RunSelectedProgram(const std::u16string& program, const std::u16string& parameters,
                                    int showCode) = 0;
    // The same for a task that brings a running copy of its program up
    // instead of starting another (toggle: or minimizes it when it is in
    // front already); without a copy it starts one as above.
    virtual void BringProgramToFront(const std::u16string& program,
                                     const std::u16string& parameters, int showCode, bool toggle) {
        RunSelectedProgram(program, parameters, showCode);
    }
    virtual void OpenSpecialFolder(SpecialFolder folder, int showCode) = 0;
    virtual void CloseProgramByName(const std::u16string& fileName) = 0;
    virtual void OpenWebsite(const std::u16string& address, int showCode) = 0;
    // program is the file name of one of the system's own programs.
    virtual void RunFixedProgram(const std::u16string& program, int showCode) = 0;

    // Typing into the program in front. text is the destination decoded
    // (line breaks CR LF); keys are the combinations of a key sequence, in
    // order. Both return at once: the keys go out as the user lets go of
    // the hotkey's modifiers, and a failure is told through the listener.
    virtual void TypeText(const std::u16string& text) = 0;
    virtual void SendKeys(const std::vector<HotKeyCode>& keys) = 0;

  private:
    std::function<void()> beforeSessionEnds_;
    std::function<void(std::u16string)> failureTold_;
};

} // namespace keyvane
