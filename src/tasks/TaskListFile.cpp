// Writer and quote-counting reader of the task list file.
#include "tasks/TaskListFile.h"

#include "base/Errors.h"

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
    std::vector<TaskRecord> records;

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
            if (records.size() >= static_cast<std::size_t>(kMaxTasks))
                throw IoError("It holds more than " + std::to_string(kMaxTasks) + " tasks.");
            records.emplace_back().fieldCount = 0;
        }
        TaskRecord& record = records.back();
        if (record.fieldCount < kTaskFieldCount)
            record.fields[static_cast<std::size_t>(record.fieldCount++)] = std::move(field_);
        field_.clear();
        if (endsRecord) newRecord_ = true;
    }

    std::u16string field_;
    unsigned quotes_ = 0;
    bool newRecord_ = true;
};

} // namespace

std::vector<std::uint8_t> EncodeTaskList(std::span<const TaskRecord> records) {
    std::u16string text;
    text.reserve(records.size() * 96);
    for (const TaskRecord& record : records) {
        for (int c = 0; c < kTaskFieldCount; ++c) {
            PutField(text, record.fields[static_cast<std::size_t>(c)]);
            text += c + 1 < kTaskFieldCount ? u"," : u"\r\n";
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

std::vector<TaskRecord> DecodeTaskList(std::span<const std::uint8_t> bytes) {
    Reader reader;
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
    return std::move(reader.records);
}

} // namespace keyvane
