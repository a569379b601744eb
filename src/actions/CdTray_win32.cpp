// The tray requests through the media control interface.
#include "actions/CdTray.h"

#include "base/SystemLibrary.h"
#include "base/WinText.h"

#include <windows.h>
#include <mmsystem.h>

namespace keyvane {
namespace {

// winmm is loaded the first time a tray moves, from the system folder.
MCIERROR SendMci(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR parameters) {
    static const auto send =
        SystemFunction<decltype(mciSendCommandW)>(L"winmm.dll", "mciSendCommandW");
    return send ? send(device, message, flags, parameters) : MCIERR_DEVICE_NOT_INSTALLED;
}

class MciCdTray : public CdTrayPlatform {
  public:
    std::optional<DeviceId> OpenDevice(const std::u16string& element) override {
        const std::wstring name = ToWide(element);
        MCI_OPEN_PARMSW open{};
        open.lpstrDeviceType = L"CDAudio";
        open.lpstrElementName = name.c_str();
        if (SendMci(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                    reinterpret_cast<DWORD_PTR>(&open)) != 0)
            return std::nullopt;
        return open.wDeviceID;
    }

    void SetDoor(DeviceId device, TrayDoor door) override {
        SendMci(MCIDEVICEID(device), MCI_SET,
                door == TrayDoor::Open ? MCI_SET_DOOR_OPEN : MCI_SET_DOOR_CLOSED, 0);
    }

    void CloseDevice(DeviceId device) override {
        MCI_GENERIC_PARMS close{};
        SendMci(MCIDEVICEID(device), MCI_CLOSE, 0, reinterpret_cast<DWORD_PTR>(&close));
    }
};

} // namespace

CdTrayPlatform& SystemCdTray() {
    static MciCdTray tray;
    return tray;
}

} // namespace keyvane
