// The platform-free half of the file services.
#include "base/FileIO.h"

#include <algorithm>

namespace keyvane {

bool IsLeftoverTempName(std::u16string_view fileName, std::u16string_view name) {
    // "<fileName>.<pid>.tmp", as WriteFileAtomically names its temporary file.
    constexpr std::u16string_view kSuffix = u".tmp";
    if (name.size() <= fileName.size() + 1 + kSuffix.size()) return false;
    if (!name.starts_with(fileName) || name[fileName.size()] != u'.' || !name.ends_with(kSuffix))
        return false;
    const auto digits =
        name.substr(fileName.size() + 1, name.size() - fileName.size() - 1 - kSuffix.size());
    return std::all_of(digits.begin(), digits.end(),
                       [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

} // namespace keyvane
