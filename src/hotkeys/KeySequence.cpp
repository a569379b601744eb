#include "hotkeys/KeySequence.h"

#include <algorithm>

namespace keyvane {

namespace {

// "Ctrl+Shift+Alt+Win+" and the longest key name, with room for blanks.
constexpr std::size_t kLongestCombination = 96;

std::u16string_view Trimmed(std::u16string_view text) {
    while (!text.empty() && text.front() == u' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == u' ')
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<std::vector<HotKeyCode>> ReadKeySequence(const HotKeyNames& names,
                                                       std::u16string_view text) {
    // A ',' may end a combination or be its key, so the text is cut where
    // every piece reads. Cuts lie after a ',' and at the end (n + 1); for
    // each cut reached, from[] is where its last piece starts and codeAt[]
    // what that piece reads as, by the first way found.
    const std::size_t n = text.size();
    std::vector<long> from(n + 2, -2); // start of the last piece; -2: not reached
    std::vector<HotKeyCode> codeAt(n + 2, 0);
    from[0] = -1;
    // Cut points: after each ',' (the separator) and the text's end.
    auto tryPiece = [&](std::size_t start, std::size_t end, std::size_t next) {
        if (from[next] != -2) return;
        const HotKeyCode code = TextToHotKeyCode(names, Trimmed(text.substr(start, end - start)));
        if (code == 0) return;
        from[next] = static_cast<long>(start);
        codeAt[next] = code;
    };
    for (std::size_t start = 0; start <= n; ++start) {
        if (from[start] == -2) continue;
        // No combination is longer than this, which keeps a text of many
        // commas from costing the square of its length.
        const std::size_t last = std::min(n, start + kLongestCombination);
        for (std::size_t end = start; end < last; ++end)
            if (text[end] == u',') tryPiece(start, end, end + 1);
        if (n - start <= kLongestCombination) tryPiece(start, n, n + 1);
    }
    if (from[n + 1] == -2) return std::nullopt;
    std::vector<HotKeyCode> keys;
    for (std::size_t at = n + 1; at != 0;) {
        keys.insert(keys.begin(), codeAt[at]);
        at = static_cast<std::size_t>(from[at]);
    }
    return keys;
}

std::u16string WriteKeySequence(const HotKeyNames& names, std::span<const HotKeyCode> keys) {
    std::u16string text;
    for (HotKeyCode key : keys) {
        if (!text.empty()) text += u", ";
        text += HotKeyCodeToText(names, key);
    }
    return text;
}

} // namespace keyvane
