// Writer and quote-counting reader of the task list file.
//
// Both sides size their output before writing it: the writer makes one
// byte vector of the exact length, the reader gives each field one string of
// the exact length. A file of line-break marks grows fourfold on reading; a
// string grown by doubling would, at its peak, hold its old and new buffers.
#include "tasks/TaskListFile.h"

#include "base/Errors.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <string_view>

namespace keyvane {
namespace {

// ---- Writer ---------------------------------------------------------------

// What the field encoding does to one cell text.
struct FieldShape {
    bool quoted = false;   // holds ',' or '"': written between quote marks
    bool changed = false;  // holds '"', CR or LF: not written as it stands
    std::size_t units = 0; // characters written, quote marks included
};

FieldShape Measure(std::u16string_view text) {
    std::size_t separators = 0, quotes = 0, lineFeeds = 0, returns = 0;
    for (char16_t c : text) {
        separators += c == kFieldSeparator;
        quotes += c == kQuoteMark;
        lineFeeds += c == u'\n';
        returns += c == u'\r';
    }
    FieldShape shape;
    shape.quoted = separators + quotes > 0;
    shape.changed = quotes + lineFeeds + returns > 0;
    // A quote mark is written twice, an LF not at all, a CR as one '|'.
    shape.units = text.size() + quotes - lineFeeds + (shape.quoted ? 2 : 0);
    return shape;
}

inline std::uint8_t* PutUnit(std::uint8_t* p, char16_t c) {
    p[0] = static_cast<std::uint8_t>(c & 0xFF);
    p[1] = static_cast<std::uint8_t>(c >> 8);
    return p + 2;
}

std::uint8_t* PutField(std::uint8_t* p, std::u16string_view text, const FieldShape& shape) {
    if (shape.quoted) p = PutUnit(p, kQuoteMark);
    if (!shape.changed) {
        // Most fields: copied whole, already in the file's byte order.
        if constexpr (std::endian::native == std::endian::little) {
            if (!text.empty()) std::memcpy(p, text.data(), text.size() * 2);
            p += text.size() * 2;
        } else {
            for (char16_t c : text)
                p = PutUnit(p, c);
        }
    } else {
        for (char16_t c : text) {
            if (c == kQuoteMark) {
                p = PutUnit(PutUnit(p, kQuoteMark), kQuoteMark);
            } else if (c == u'\r') {
                p = PutUnit(p, kLineBreakMark);
            } else if (c != u'\n') {
                p = PutUnit(p, c);
            }
        }
    }
    if (shape.quoted) p = PutUnit(p, kQuoteMark);
    return p;
}

// Records of either kind: their fields are strings or views of strings.
template <class Record> std::vector<std::uint8_t> Encode(std::span<const Record> records) {
    std::size_t units = 0;
    for (const Record& record : records)
        for (std::u16string_view field : record.fields)
            units += Measure(field).units + 1; // and its ',' (the last: CR)
    units += records.size();                   // the LF of each CR LF

    std::vector<std::uint8_t> out(2 + 2 * units);
    std::uint8_t* p = out.data();
    *p++ = 0xFF;
    *p++ = 0xFE;
    for (const Record& record : records) {
        for (int c = 0; c < kTaskFieldCount; ++c) {
            const std::u16string_view field = record.fields[static_cast<std::size_t>(c)];
            p = PutField(p, field, Measure(field));
            if (c + 1 < kTaskFieldCount) {
                p = PutUnit(p, kFieldSeparator);
            } else {
                p = PutUnit(PutUnit(p, u'\r'), u'\n');
            }
        }
    }
    return out;
}

// ---- Reader ---------------------------------------------------------------

// The file's characters, by index, in each of the three encodings.
struct SingleByteText {
    const std::uint8_t* bytes;
    std::size_t size;
    char16_t operator[](std::size_t i) const { return bytes[i]; }
};
struct Utf16LeText {
    const std::uint8_t* bytes; // after the byte order mark
    std::size_t size;          // in characters; a last odd byte is not one
    char16_t operator[](std::size_t i) const {
        return static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
};
struct Utf16BeText {
    const std::uint8_t* bytes;
    std::size_t size;
    char16_t operator[](std::size_t i) const {
        return static_cast<char16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
    }
};

// Field text sinks for the two passes over a field: one counts, one writes.
struct CountingSink {
    std::size_t size = 0;
    void put(char16_t) { ++size; }
};
struct WritingSink {
    char16_t* out;
    std::size_t size = 0;
    void put(char16_t c) { out[size++] = c; }
};

enum class FieldEnd { Separator, LineFeed, EndOfText };

// Reads one field from index i to its end, giving its text to the sink;
// returns how it ended and leaves i on the character after that end.
template <class Text, class Sink> FieldEnd ReadField(const Text& text, std::size_t& i, Sink& sink) {
    unsigned quotes = 0;
    while (i < text.size) {
        const char16_t ch = text[i++];
        switch (ch) {
        case kFieldSeparator:
            if (quotes % 2 == 0) return FieldEnd::Separator;
            sink.put(ch);
            break;
        case kLineBreakMark:
            sink.put(u'\r');
            sink.put(u'\n');
            break;
        case kQuoteMark:
            ++quotes;
            if (quotes % 2 == 1 && (sink.size != 0 || quotes == 3)) sink.put(ch);
            break;
        case u'\r':
            break;
        case u'\n':
            return FieldEnd::LineFeed;
        default:
            sink.put(ch);
        }
    }
    return FieldEnd::EndOfText;
}

[[noreturn]] void ThrowTooMany() {
    throw IoError("It holds more than " + std::to_string(kMaxTasks) + " tasks.");
}

template <class Text> std::vector<TaskRecord> Decode(const Text& text) {
    // Every record but a last unended one ends at an LF: counting them first
    // refuses a hostile file before anything is built and sizes the list once.
    std::size_t lineFeeds = 0;
    for (std::size_t i = 0; i < text.size; ++i)
        lineFeeds += text[i] == u'\n';
    if (lineFeeds > static_cast<std::size_t>(kMaxTasks)) ThrowTooMany();

    std::vector<TaskRecord> records;
    records.reserve(std::min(lineFeeds + 1, static_cast<std::size_t>(kMaxTasks)));
    bool newRecord = true;
    std::size_t i = 0;
    while (i < text.size) {
        // First pass: where the field ends and how long its text is.
        const std::size_t start = i;
        CountingSink count;
        const FieldEnd end = ReadField(text, i, count);
        // At the end of the file an empty field text is no field.
        if (end == FieldEnd::EndOfText && count.size == 0) break;

        if (newRecord) {
            newRecord = false;
            if (records.size() >= static_cast<std::size_t>(kMaxTasks)) ThrowTooMany();
            records.emplace_back().fieldCount = 0;
        }
        TaskRecord& record = records.back();
        if (record.fieldCount < kTaskFieldCount) {
            // Second pass: the text itself, into a string of the right size.
            std::u16string& field = record.fields[static_cast<std::size_t>(record.fieldCount++)];
            field.resize(count.size);
            WritingSink write{field.data()};
            std::size_t again = start;
            ReadField(text, again, write);
        } // a field past the seventh is dropped
        if (end != FieldEnd::Separator) newRecord = true;
    }
    return records;
}

} // namespace

std::vector<std::uint8_t> EncodeTaskList(std::span<const TaskRecordView> records) {
    return Encode(records);
}

std::vector<std::uint8_t> EncodeTaskList(std::span<const TaskRecord> records) {
    return Encode(records);
}

std::vector<TaskRecord> DecodeTaskList(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return Decode(Utf16LeText{bytes.data() + 2, (bytes.size() - 2) / 2});
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return Decode(Utf16BeText{bytes.data() + 2, (bytes.size() - 2) / 2});
    // Single-byte text: each byte is the character of that code.
    return Decode(SingleByteText{bytes.data(), bytes.size()});
}

} // namespace keyvane
