// Any bytes must read as an Internet shortcut without a crash or a sanitizer
// report. The address found is one line, and written into a file of the
// shell's own form it reads back the same, in each encoding the reader takes
// that can carry it.
#include "app/DroppedFile.h"
#include "base/Text.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

std::string Utf16File(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::u16string ShellForm(std::u16string_view value) {
    return u"[InternetShortcut]\r\nURL=" + std::u16string(value) + u"\r\n";
}

bool Blank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string address = keyvane::InternetShortcutAddress(bytes);
    if (address.empty()) return 0;
    if (address.find(u'\n') != std::u16string::npos) std::abort();

    // In quotes any address is kept whole; the shell's own form, without
    // them, carries one that neither a blank nor a quote encloses.
    const std::u16string value = u"\"" + address + u"\"";
    const bool enclosed = address.size() >= 2 && address.front() == address.back() &&
                          (address.front() == u'"' || address.front() == u'\'');
    if (!Blank(address.front()) && !Blank(address.back()) && !enclosed) {
        if (keyvane::InternetShortcutAddress(Utf16File(ShellForm(address))) != address)
            std::abort();
    }
    const std::u16string file = ShellForm(value);
    if (keyvane::InternetShortcutAddress(Utf16File(file)) != address) std::abort();
    // UTF-8 with its byte order mark carries what it can encode.
    const std::string utf8 = keyvane::ToUtf8(file);
    if (keyvane::FromUtf8(utf8) == file &&
        keyvane::InternetShortcutAddress("\xEF\xBB\xBF" + utf8) != address)
        std::abort();
    return 0;
}
