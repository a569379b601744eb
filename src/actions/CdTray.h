// Opening and closing a CD drive's tray. The drive text of a task is turned
// into one drive name here; CdTray_win32.cpp talks to the media control
// interface.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace keyvane {

enum class TrayDoor { Open, Closed };

// The media control requests one tray operation sends.
class CdTrayPlatform {
  public:
    using DeviceId = std::uint32_t;

    virtual ~CdTrayPlatform() = default;

    // Opens a CD audio device on the element (a drive name such as "d:");
    // nullopt when the open fails.
    virtual std::optional<DeviceId> OpenDevice(const std::u16string& element) = 0;
    virtual void SetDoor(DeviceId device, TrayDoor door) = 0;
    virtual void CloseDevice(DeviceId device) = 0;
};

// The drive name of a task's drive text: the letter followed by ":", lower
// case. Accepts the letter alone and the letter followed by ":" or ":\" (or
// ":/"), in either case, with blanks around; nullopt for anything else.
std::optional<std::u16string> CdDriveName(std::u16string_view driveText);

// Opens the device of the drive, moves the door and closes the device again.
// Every failure is silent: a text that names no drive, or a drive the device
// cannot be opened on, sends nothing further.
void MoveCdTrayDoor(CdTrayPlatform& platform, std::u16string_view driveText, TrayDoor door);

// The media control interface. Defined by the Windows build only.
CdTrayPlatform& SystemCdTray();

} // namespace keyvane
