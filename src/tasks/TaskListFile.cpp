#include "tasks/TaskListFile.h"

#include "tasks/TaskTable.h"

#include <string>
#include <string_view>

namespace keyvane {
namespace {

void PutField(std::u16string& out, std::u16string_view text) {
    bool quoted = false, changed = false;
    for (char16_t c : text) {
        quoted |= c == kFieldSeparator || c == kQuoteMark;
        changed |= c == kQuoteMark || c == u'\r' || c == u'\n';
    }
    if (quoted) out += kQuoteMark;
    if (!changed) {
        out += text; // most fields: copied whole
    } else {
        for (char16_t c : text) {
            if (c == kQuoteMark) {
                out += kQuoteMark;
                out += kQuoteMark;
            } else if (c == u'\r') {
                out += kLineBreakMark;
            } else if (c != u'\n') {
                out += c;
            }
        }
    }
    if (quoted) out += kQuoteMark;
}

// The reading state of one pass over the file's characters.
class Reader {
  public:
    explicit Reader(TaskTable& table) : table_(table) {}

    void feed(char16_t ch) {
        switch (ch) {
        case kFieldSeparator:
            if (quotes_ % 2 == 1)
                field_ += ch;
            else
                endField(false);
            break;
        case kLineBreakMark:
            field_ += u"\r\n";
            break;
        case kQuoteMark:
            ++quotes_;
            if (quotes_ % 2 == 1 && (!field_.empty() || quotes_ == 3)) field_ += ch;
            break;
        case u'\r':
            break;
        case u'\n':
            endField(true);
            break;
        default:
            field_ += ch;
        }
    }

    void finish() {
        if (!field_.empty()) endField(true);
    }

  private:
    void endField(bool endsRecord) {
        quotes_ = 0;
        if (newRecord_) {
            newRecord_ = false;
            if (table_.taskCount() >= kMaxTasks)
                throw IoError("It holds more than " + std::to_string(kMaxTasks) + " tasks.");
            row_ = table_.appendTasks(1);
            column_ = -1;
        }
        ++column_;
        if (column_ < kColumnCount) {
            try {
                table_.setCellText(static_cast<Column>(column_), row_, field_);
            } catch (const ConversionError&) {
                // A damaged icon number keeps the cell's 0 and the load goes on:
                // stopping here would drop every later task at the next save.
            }
        }
        field_.clear();
        if (endsRecord) newRecord_ = true;
    }

    TaskTable& table_;
    std::u16string field_;
    unsigned quotes_ = 0;
    bool newRecord_ = true;
    int row_ = -1;
    int column_ = -1;
};

} // namespace

std::vector<std::uint8_t> EncodeTaskList(const TaskTable& table) {
    std::u16string text;
    text.reserve(static_cast<std::size_t>(table.taskCount()) * 96);
    for (int r = 0; r < table.taskCount(); ++r) {
        for (int c = 0; c < kColumnCount; ++c) {
            const auto column = static_cast<Column>(c);
            if (kColumns[c].kind == CellKind::Text)
                PutField(text, table.textCell(column, r)); // no copy of the stored text
            else
                PutField(text, table.cellText(column, r));
            text += c + 1 < kColumnCount ? u"," : u"\r\n";
        }
    }
    std::vector<std::uint8_t> out(2 + text.size() * 2);
    out[0] = 0xFF;
    out[1] = 0xFE;
    std::uint8_t* p = out.data() + 2;
    for (char16_t c : text) {
        *p++ = static_cast<std::uint8_t>(c & 0xFF);
        *p++ = static_cast<std::uint8_t>(c >> 8);
    }
    return out;
}

void DecodeTaskList(std::span<const std::uint8_t> bytes, TaskTable& table) {
    Reader reader(table);
    const bool littleEndian = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    const bool bigEndian = bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
    if (littleEndian || bigEndian) {
        // A last odd byte is not half of a character; it is dropped.
        for (std::size_t i = 2; bytes.size() - i >= 2; i += 2) {
            const unsigned lo = littleEndian ? bytes[i] : bytes[i + 1];
            const unsigned hi = littleEndian ? bytes[i + 1] : bytes[i];
            reader.feed(static_cast<char16_t>(lo | (hi << 8)));
        }
    } else {
        // Single-byte text: each byte is the character of that code.
        for (std::uint8_t b : bytes)
            reader.feed(static_cast<char16_t>(b));
    }
    reader.finish();
}

} // namespace keyvane
