// Drive names from task drive texts, and the requests of one tray operation.
#include "actions/CdTray.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace keyvane {
namespace {

TEST(CdDriveName, NormalisesEveryStoredForm) {
    struct Case {
        std::u16string text;
        std::optional<std::u16string> name;
    } cases[] = {
        {u"d", u"d:"},
        {u"D", u"d:"},
        {u"d:", u"d:"},
        {u"D:", u"d:"},   // as the task editor stores a found drive
        {u"d:\\", u"d:"}, // never "d::" or "d:\:"
        {u"E:/", u"e:"},
        {u" e: ", u"e:"},
        {u"", std::nullopt},
        {u"   ", std::nullopt},
        {u":", std::nullopt},
        {u"d::", std::nullopt},
        {u"dd", std::nullopt},
        {u"cd", std::nullopt},
        {u"1:", std::nullopt},
        {u"d:\\music", std::nullopt},
        {u"\\\\.\\d:", std::nullopt},
        {u"\u00e4:", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CdDriveName(c.text), c.name)
            << std::string(c.text.begin(), c.text.end()) << " (" << c.text.size() << " units)";
    }
}

class FakeCdTray : public CdTrayPlatform {
  public:
    bool opens = true;
    std::vector<std::string> calls;

    std::optional<DeviceId> OpenDevice(const std::u16string& element) override {
        calls.push_back("open " + std::string(element.begin(), element.end()));
        if (!opens) return std::nullopt;
        return DeviceId{9};
    }
    void SetDoor(DeviceId device, TrayDoor door) override {
        calls.push_back("door " + std::to_string(device) +
                        (door == TrayDoor::Open ? " open" : " closed"));
    }
    void CloseDevice(DeviceId device) override {
        calls.push_back("close " + std::to_string(device));
    }
};

TEST(MoveCdTrayDoor, OpensSetsDoorAndClosesTheSameDevice) {
    FakeCdTray open;
    MoveCdTrayDoor(open, u"E", TrayDoor::Open);
    EXPECT_EQ(open.calls, (std::vector<std::string>{"open e:", "door 9 open", "close 9"}));

    FakeCdTray close;
    MoveCdTrayDoor(close, u"d:", TrayDoor::Closed);
    EXPECT_EQ(close.calls, (std::vector<std::string>{"open d:", "door 9 closed", "close 9"}));
}

TEST(MoveCdTrayDoor, FailedOpenSendsNothingElse) {
    FakeCdTray platform;
    platform.opens = false;
    MoveCdTrayDoor(platform, u"z:", TrayDoor::Open);
    EXPECT_EQ(platform.calls, std::vector<std::string>{"open z:"});
}

TEST(MoveCdTrayDoor, TextNamingNoDriveSendsNothing) {
    FakeCdTray platform;
    MoveCdTrayDoor(platform, u"", TrayDoor::Open);
    MoveCdTrayDoor(platform, u"c:\\tools\\app.exe", TrayDoor::Closed);
    EXPECT_TRUE(platform.calls.empty());
}

} // namespace
} // namespace keyvane
