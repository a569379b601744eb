#include "tasks/DestinationText.h"

namespace keyvane {

namespace {

constexpr std::u16string_view kCellPipe = u"{\r\n}";
constexpr std::u16string_view kCellBrace = u"{\r\n\r\n}";

} // namespace

std::u16string DestinationFromCell(std::u16string_view cell) {
    std::u16string text;
    text.reserve(cell.size());
    for (std::size_t i = 0; i < cell.size();) {
        const std::u16string_view rest = cell.substr(i);
        if (rest.starts_with(kCellPipe)) {
            text += u'|';
            i += kCellPipe.size();
        } else if (rest.starts_with(kCellBrace)) {
            text += u'{';
            i += kCellBrace.size();
        } else {
            text += cell[i++];
        }
    }
    return text;
}

std::u16string CellFromDestination(std::u16string_view text) {
    std::u16string cell;
    cell.reserve(text.size() + text.size() / 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const char16_t next = i + 1 < text.size() ? text[i + 1] : u'\0';
        if (c == u'|') {
            cell += kCellPipe;
        } else if (c == u'{' && (next == u'|' || next == u'\r' || next == u'\n')) {
            // A bare '{' here would run into the next character's CR LF and
            // read back as one of the marks.
            cell += kCellBrace;
        } else if (c == u'\r' || c == u'\n') {
            cell += u"\r\n";
            if (c == u'\r' && next == u'\n') ++i;
        } else {
            cell += c;
        }
    }
    return cell;
}

std::u16string_view FirstLine(std::u16string_view text) {
    return text.substr(0, text.find_first_of(u"\r\n"));
}

} // namespace keyvane
