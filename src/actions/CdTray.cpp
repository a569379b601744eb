// Drive-text normalisation and the request order of a tray operation.
#include "actions/CdTray.h"

namespace keyvane {

std::optional<std::u16string> CdDriveName(std::u16string_view driveText) {
    auto first = driveText.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) return std::nullopt;
    auto last = driveText.find_last_not_of(u' ');
    std::u16string_view text = driveText.substr(first, last - first + 1);

    char16_t letter = text[0];
    if (letter >= u'A' && letter <= u'Z') letter = static_cast<char16_t>(letter - u'A' + u'a');
    if (letter < u'a' || letter > u'z') return std::nullopt;

    std::u16string_view rest = text.substr(1);
    if (!(rest.empty() || rest == u":" || rest == u":\\" || rest == u":/")) return std::nullopt;
    return std::u16string{letter, u':'};
}

void MoveCdTrayDoor(CdTrayPlatform& platform, std::u16string_view driveText, TrayDoor door) {
    auto name = CdDriveName(driveText);
    if (!name) return;
    auto device = platform.OpenDevice(*name);
    if (!device) return;
    platform.SetDoor(*device, door);
    // Closed whatever the door request answered: nothing stays open.
    platform.CloseDevice(*device);
}

} // namespace keyvane
