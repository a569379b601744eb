// The Windows action operations: each forwards to the module that performs it.
#include "actions/SystemActions.h"

#include "actions/CdTray.h"
#include "actions/KeyTyping.h"
#include "actions/MinimizeAll.h"
#include "actions/Power.h"
#include "actions/ProgramActions.h"
#include "tasks/TaskVocabulary.h"

namespace keyvane {

namespace {

class SystemActions final : public ActionOperations {
  public:
    explicit SystemActions(void* ownerWindow)
        : owner_(ownerWindow), minimizeAll_(MakeSystemMinimizeAll()),
          typist_(MakeSystemTypist([this](std::u16string text) {
              // Typing ends after the press has returned: its failures are
              // told as the press's are.
              if (failureListener()) failureListener()(std::move(text));
          })) {}

    // ---- Power and session ---------------------------------------------
    void PowerOffComputer() override {
        keyvane::PowerOffComputer(SystemPowerPlatform(), beforeSessionEnds());
    }
    void RebootComputer() override {
        keyvane::RebootComputer(SystemPowerPlatform(), beforeSessionEnds());
    }
    void HibernateComputer() override { keyvane::HibernateComputer(SystemPowerPlatform()); }
    void StandByComputer() override { keyvane::StandByComputer(SystemPowerPlatform()); }
    void LogOffComputer() override {
        keyvane::LogOffComputer(SystemPowerPlatform(), beforeSessionEnds());
    }

    // ---- CD tray ---------------------------------------------------------
    void OpenCDTray(const std::u16string& drive) override {
        MoveCdTrayDoor(SystemCdTray(), drive, TrayDoor::Open);
    }
    void CloseCDTray(const std::u16string& drive) override {
        MoveCdTrayDoor(SystemCdTray(), drive, TrayDoor::Closed);
    }

    // ---- Desktop ---------------------------------------------------------
    // Errors from the shell are left to the caller's error report.
    void ToggleMinimizeAll() override { minimizeAll_->Toggle(); }

    // ---- Programs, folders and addresses --------------------------------
    void RunSelectedProgram(const std::u16string& program, const std::u16string& parameters,
                            int showCode) override {
        ShellRunProgram(owner_, program, parameters, showCode);
    }
    void BringProgramToFront(const std::u16string& program, const std::u16string& parameters,
                             int showCode, bool toggle) override {
        BringUpProgram(owner_, program, parameters, showCode, toggle);
    }
    void OpenSpecialFolder(SpecialFolder folder, int showCode) override {
        ShellOpenSpecialFolder(folder, showCode);
    }
    void CloseProgramByName(const std::u16string& fileName) override {
        CloseProcessesByName(fileName);
    }
    void OpenWebsite(const std::u16string& address, int showCode) override {
        ShellOpenAddress(owner_, address, showCode);
    }
    void RunFixedProgram(const std::u16string& program, int showCode) override {
        StartSystemProgram(program, showCode);
    }

    // ---- Typing ------------------------------------------------------------
    void TypeText(const std::u16string& text) override {
        typist_->Type(TextKeyInput(text), std::u16string(ActionName(Action::TypeText)));
    }
    void SendKeys(const std::vector<HotKeyCode>& keys) override {
        typist_->Type(SequenceKeyInput(keys), std::u16string(ActionName(Action::SendKeys)));
    }

  private:
    void* owner_;
    // The one AllMinimized flag and the shell connection, for as long as
    // this object lives.
    std::unique_ptr<MinimizeAllToggle> minimizeAll_;
    std::unique_ptr<Typist> typist_;
};

} // namespace

std::unique_ptr<ActionOperations> MakeSystemActions(void* ownerWindow) {
    return std::make_unique<SystemActions>(ownerWindow);
}

} // namespace keyvane
