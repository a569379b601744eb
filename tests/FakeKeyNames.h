// A fixed, Windows-like keyboard layout for the hotkey text routines, shared
// by the unit tests, the benchmark and the fuzz target. Counts the names it
// is asked for, so a test can see the table is built once per layout.
#pragma once

#include "hotkeys/HotKeyText.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace keyvane::test {

class FakeKeyNames final : public KeyNameSource {
  public:
    // An English layout: names as the system gives them for US keyboards.
    static std::map<int, std::u16string> EnglishNames() {
        std::map<int, std::u16string> n = {
            {8, u"Backspace"},
            {9, u"Tab"},
            {13, u"Enter"},
            {0x10, u"Shift"},
            {0x11, u"Ctrl"},
            {0x12, u"Alt"},
            {0x13, u"Pause"},
            {0x14, u"Caps Lock"},
            {27, u"Esc"},
            {32, u"Space"},
            {0x5B, u"Left Windows"},
            {106, u"Num *"},
            {107, u"Num +"},
            {109, u"Num -"},
            {110, u"Num Del"},
            {111, u"/"},
            {0x90, u"Pause"},
            /* Num Lock without the extended flag */ {0x91, u"Scroll Lock"},
            {0xA0, u"Shift"},
            {0xA1, u"Right Shift"},
            {0xA2, u"Ctrl"},
            {0xBA, u";"},
            {0xBB, u"="},
            {0xBC, u","},
            {0xBD, u"-"},
            {0xBE, u"."},
            {0xBF, u"/"},
            {0xC0, u"`"},
            {0xDB, u"["},
            {0xDC, u"\\"},
            {0xDD, u"]"},
            {0xDE, u"'"},
            {0xB3, u"P"}, // a one-letter name: the media fallback wins
        };
        for (int k = '0'; k <= '9'; ++k)
            n[k] = std::u16string(1, char16_t(k));
        for (int k = 'A'; k <= 'Z'; ++k)
            n[k] = std::u16string(1, char16_t(k));
        for (int k = 0; k < 10; ++k)
            n[96 + k] = u"Num " + std::u16string(1, char16_t(u'0' + k));
        for (int k = 1; k <= 12; ++k) {
            std::u16string f = u"F";
            for (char c : std::to_string(k))
                f += char16_t(c);
            n[111 + k] = f;
        }
        return n;
    }

    FakeKeyNames() : names(EnglishNames()) {}

    std::u16string KeyName(std::uint8_t key, bool extended) const override {
        ++asked;
        if (const auto s = navigation.find(key); s != navigation.end())
            return extended ? s->second.first : s->second.second;
        if (const auto e = extendedNames.find(key); extended && e != extendedNames.end())
            return e->second;
        const auto it = names.find(key);
        return it == names.end() ? std::u16string() : it->second;
    }

    bool IsExtendedKey(std::uint8_t key) const override { return extendedKeys.count(key) != 0; }

    std::u16string TypedText(std::uint8_t key, std::uint16_t flags) const override {
        const auto it = typed.find({key, flags});
        return it == typed.end() ? std::u16string() : it->second;
    }

    std::uintptr_t LayoutId() const override { return layout; }

    std::vector<std::uintptr_t> InstalledLayouts() const override {
        std::vector<std::uintptr_t> layouts = {layout};
        for (const auto& entry : characters)
            if (entry.first != layout) layouts.push_back(entry.first);
        return layouts;
    }

    std::u16string CharacterKeyName(std::uint8_t key, std::uintptr_t id) const override {
        const auto keys = characters.find(id);
        if (keys == characters.end()) return {};
        const auto it = keys->second.find(key);
        return it == keys->second.end() ? std::u16string() : it->second;
    }

    // Installs a Russian layout (0x0419) beside the English one: letters
    // where the English layout has Latin ones, and on ";".
    void InstallRussian() {
        for (const auto& [key, name] : EnglishNames())
            if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z') || key == 0xBA)
                characters[0x0409][key] = name;
        characters[0x0419] = {{'Q', u"Й"}, {'W', u"Ц"}, {'E', u"У"}, {'R', u"К"},
                              {'N', u"Т"}, {'M', u"Ь"}, {'1', u"1"}, {0xBA, u"Ж"}};
    }
    // Makes an installed layout the one in use, as a switch does.
    void Activate(std::uintptr_t id) {
        layout = id;
        for (const auto& [key, name] : characters.at(id))
            names[key] = name;
    }

    std::map<int, std::u16string> names;
    // The navigation block shares its scan codes with the numeric keypad:
    // without the extended flag the system names the keypad key (extended
    // name, plain name).
    std::map<int, std::pair<std::u16string, std::u16string>> navigation = {
        {33, {u"Page Up", u"Num 9"}},  {34, {u"Page Down", u"Num 3"}}, {35, {u"End", u"Num 1"}},
        {36, {u"Home", u"Num 7"}},     {37, {u"Left", u"Num 4"}},      {38, {u"Up", u"Num 8"}},
        {39, {u"Right", u"Num 6"}},    {40, {u"Down", u"Num 2"}},      {45, {u"Insert", u"Num 0"}},
        {46, {u"Delete", u"Num Del"}},
    };
    // The names of extended scan codes that differ from the plain code's.
    std::map<int, std::u16string> extendedNames = {
        {13, u"Num Enter"},  {0x2C, u"Prnt Scrn"},  {0x5D, u"Application"}, {0x6F, u"Num /"},
        {0x90, u"Num Lock"}, {0xA3, u"Right Ctrl"}, {0xA5, u"Right Alt"},
    };
    // The keys the layout maps to extended scan codes. Wine reports none of
    // the keypad's; the Windows key and the menu key are not in the system's
    // documented list.
    std::set<int> extendedKeys = {0x5B, 0x5C, 0x5D};
    // What a key types with modifier flags (MOD_SHIFT 4, MOD_CONTROL 2,
    // MOD_ALT 1); an English layout types nothing with AltGr.
    std::map<std::pair<int, std::uint16_t>, std::u16string> typed;
    std::uintptr_t layout = 0x0409;
    // The character keys' names of each installed layout, by layout id;
    // none: the one layout in use.
    std::map<std::uintptr_t, std::map<int, std::u16string>> characters;
    mutable int asked = 0;
};

// A fake layout and the names the program would set up from it at start.
// After a change to the fake's names, Restart takes them up as a new start
// with that layout would.
class FakeLayout {
  public:
    FakeLayout() = default;
    FakeLayout(const FakeLayout&) = delete;
    FakeLayout& operator=(const FakeLayout&) = delete;
    void Restart() { names = HotKeyNames(source); }

    FakeKeyNames source;
    HotKeyNames names{source};
};

} // namespace keyvane::test
