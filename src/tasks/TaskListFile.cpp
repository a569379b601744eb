// Writer of the task list file (the reader is TaskListReader.cpp).
//
// Both sides size their output before writing it: the writer makes one
// byte vector of the exact length, the reader gives each field one string of
// the exact length. A file of line-break marks grows fourfold on reading; a
// string grown by doubling would, at its peak, hold its old and new buffers.
#include "tasks/TaskListFile.h"

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

// The classic seven fields, and the later ones up to the last not empty.
template <class Record> int WrittenFields(const Record& record) {
    int written = kTaskFieldCount;
    while (written > kClassicFieldCount &&
           std::u16string_view(record.fields[static_cast<std::size_t>(written - 1)]).empty())
        --written;
    return written;
}

// Records of either kind: their fields are strings or views of strings.
template <class Record> std::vector<std::uint8_t> Encode(std::span<const Record> records) {
    std::size_t units = 0;
    for (const Record& record : records) {
        const int written = WrittenFields(record);
        for (int c = 0; c < written; ++c) // each with its ',' (the last: CR)
            units += Measure(record.fields[static_cast<std::size_t>(c)]).units + 1;
    }
    units += records.size(); // the LF of each CR LF

    std::vector<std::uint8_t> out(2 + 2 * units);
    std::uint8_t* p = out.data();
    *p++ = 0xFF;
    *p++ = 0xFE;
    for (const Record& record : records) {
        const int written = WrittenFields(record);
        for (int c = 0; c < written; ++c) {
            const std::u16string_view field = record.fields[static_cast<std::size_t>(c)];
            p = PutField(p, field, Measure(field));
            if (c + 1 < written) {
                p = PutUnit(p, kFieldSeparator);
            } else {
                p = PutUnit(PutUnit(p, u'\r'), u'\n');
            }
        }
    }
    return out;
}

} // namespace

std::vector<std::uint8_t> EncodeTaskList(std::span<const TaskRecordView> records) {
    return Encode(records);
}

std::vector<std::uint8_t> EncodeTaskList(std::span<const TaskRecord> records) {
    return Encode(records);
}

} // namespace keyvane
