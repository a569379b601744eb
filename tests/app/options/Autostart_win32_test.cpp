// The registry half of the autostart value, under a key of the test's own.
#include "app/options/Autostart.h"

#include "base/WinText.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

namespace keyvane {
namespace {

constexpr wchar_t kTestKey[] = L"Software\\KeyvaneTest\\Run";

// The value's type and data, or nothing when there is no such value.
std::optional<std::pair<DWORD, std::wstring>> ReadValue(const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0, bytes = 0;
    std::optional<std::pair<DWORD, std::wstring>> out;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS) {
        std::wstring data(bytes / sizeof(wchar_t), L'\0');
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes);
        out.emplace(type, data);
    }
    RegCloseKey(key);
    return out;
}

TEST(RegistryAutostartStore, WritesAStringWithItsTerminatingZeroAndKeepsAnEmptyOne) {
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KeyvaneTest");
    auto store = MakeRegistryAutostartStore(FromWide(kTestKey), u"Keyvane");

    const std::u16string quoted = AutostartRunValue(true, u"C:\\Program Files\\Kv\\keyvane.exe");
    store->WriteRunValue(quoted); // the key does not exist yet: it is made
    auto value = ReadValue(L"Keyvane");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->first, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value->second, ToWide(quoted) + L'\0');

    store->WriteRunValue(AutostartRunValue(false, u"C:\\kv.exe"));
    value = ReadValue(L"Keyvane");
    ASSERT_TRUE(value) << "a cleared option leaves an empty value, not none";
    EXPECT_EQ(value->second, std::wstring(1, L'\0'));

    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KeyvaneTest"), ERROR_SUCCESS);
}

} // namespace
} // namespace keyvane
