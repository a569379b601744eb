// An ActionOperations fake that records every operation as a short text,
// and may run a step inside each one, as an action's own message loop lets
// other messages run.
#pragma once

#include "actions/ActionOperations.h"
#include "base/Text.h"

#include <cstdio>

#include <functional>
#include <string>
#include <vector>

namespace keyvane::test {

using Calls = std::vector<std::string>;

class RecordingActions final : public ActionOperations {
  public:
    std::vector<std::string> calls;
    std::function<void()> onCall; // runs inside each operation

    void PowerOffComputer() override { Record("PowerOff"); }
    void RebootComputer() override { Record("Reboot"); }
    void HibernateComputer() override { Record("Hibernate"); }
    void StandByComputer() override { Record("StandBy"); }
    void LogOffComputer() override { Record("LogOff"); }
    void OpenCDTray(const std::u16string& drive) override { Record("OpenCD|" + ToUtf8(drive)); }
    void CloseCDTray(const std::u16string& drive) override { Record("CloseCD|" + ToUtf8(drive)); }
    void ToggleMinimizeAll() override { Record("MinimizeAll"); }
    void RunSelectedProgram(const std::u16string& program, const std::u16string& parameters,
                            int showCode) override {
        Record("Run|" + ToUtf8(program) + "|" + ToUtf8(parameters) + "|" +
               std::to_string(showCode));
    }
    void OpenSpecialFolder(SpecialFolder folder, int showCode) override {
        Record(std::string(folder == SpecialFolder::MyComputer ? "MyComputer|" : "MyDocuments|") +
               std::to_string(showCode));
    }
    void CloseProgramByName(const std::u16string& fileName) override {
        Record("Close|" + ToUtf8(fileName));
    }
    void OpenWebsite(const std::u16string& address, int showCode) override {
        Record("Web|" + ToUtf8(address) + "|" + std::to_string(showCode));
    }
    void RunFixedProgram(const std::u16string& program, int showCode) override {
        Record("Fixed|" + ToUtf8(program) + "|" + std::to_string(showCode));
    }
    void TypeText(const std::u16string& text) override { Record("Type|" + ToUtf8(text)); }
    void SendKeys(const std::vector<HotKeyCode>& keys) override {
        std::string call = "Keys";
        for (HotKeyCode key : keys) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "|%X", static_cast<unsigned>(key));
            call += hex;
        }
        Record(call);
    }

  private:
    void Record(std::string call) {
        calls.push_back(std::move(call));
        if (onCall) onCall();
    }
};

} // namespace keyvane::test
