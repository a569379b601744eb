// Quote-counting reader of the task list file.
//
// Each field gets one string of the exact length (see TaskListFile.cpp on
// why), and the records go to their taker one at a time: a load fills the
// table's rows as it reads, with no second list of every task in between.
#include "tasks/TaskListFile.h"

#include "base/Errors.h"
#include "base/Text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <string_view>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define KEYVANE_READER_SSE2 1
#endif

namespace keyvane {
namespace {

// The file's characters, by index, in each of the three encodings, and runs
// of them copied out as they stand.
struct SingleByteText {
    const std::uint8_t* bytes;
    std::size_t size;
    char16_t operator[](std::size_t i) const { return bytes[i]; }
    void copy(std::size_t from, std::size_t count, char16_t* out) const {
        std::copy_n(bytes + from, count, out);
    }
};
struct Utf16LeText {
    const std::uint8_t* bytes; // after the byte order mark
    std::size_t size;          // in characters; a last odd byte is not one
    char16_t operator[](std::size_t i) const {
        if constexpr (std::endian::native == std::endian::little) {
            char16_t c; // the bytes need not be aligned for a char16_t
            std::memcpy(&c, bytes + 2 * i, 2);
            return c;
        } else {
            return static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        }
    }
    void copy(std::size_t from, std::size_t count, char16_t* out) const {
        if constexpr (std::endian::native == std::endian::little) {
            if (count != 0) std::memcpy(out, bytes + 2 * from, 2 * count);
        } else {
            for (std::size_t k = 0; k < count; ++k)
                out[k] = (*this)[from + k];
        }
    }
};
// UTF-8 converted whole before reading: a list saved as UTF-8 by an editor.
struct NativeText {
    const char16_t* units;
    std::size_t size;
    char16_t operator[](std::size_t i) const { return units[i]; }
    void copy(std::size_t from, std::size_t count, char16_t* out) const {
        std::copy_n(units + from, count, out);
    }
};
struct Utf16BeText {
    const std::uint8_t* bytes;
    std::size_t size;
    char16_t operator[](std::size_t i) const {
        return static_cast<char16_t>((bytes[2 * i] << 8) | bytes[2 * i + 1]);
    }
    void copy(std::size_t from, std::size_t count, char16_t* out) const {
        for (std::size_t k = 0; k < count; ++k)
            out[k] = (*this)[from + k];
    }
};

// The characters the reader does anything with but keep; between them, field
// text is the file's text as it stands.
inline bool IsMark(char16_t c) {
    return c == kFieldSeparator || c == kQuoteMark || c == kLineBreakMark || c == u'\r' ||
           c == u'\n';
}

// Finds the marks of a text, in order: next(i) is the index of the first
// mark from i on, or the end of the text.
template <class Text> class MarkFinder {
  public:
    explicit MarkFinder(const Text& text) : text(text) {}
    std::size_t next(std::size_t i) const {
        while (i < text.size && !IsMark(text[i]))
            ++i;
        return i;
    }
    const Text& text;
};

template <class Text> std::size_t CountLineFeeds(const Text& text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size; ++i)
        count += text[i] == u'\n';
    return count;
}

#ifdef KEYVANE_READER_SSE2
// The file as the writer makes it: the two passes over all of it (line
// feeds, marks) look at eight characters at once. x86 is little-endian, so
// the bytes need no swap.
inline __m128i LoadEight(const Utf16LeText& text, std::size_t i) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.bytes + 2 * i));
}

// Marks are found a block of 64 characters at a time, as one bit each: a
// field's end is then a bit search, however short the field.
template <> class MarkFinder<Utf16LeText> {
  public:
    explicit MarkFinder(const Utf16LeText& text) : text(text) {}
    std::size_t next(std::size_t i) {
        for (;;) {
            const std::size_t block = i & ~std::size_t{63};
            if (block != block_) load(block);
            const std::uint64_t ahead = marks_ >> (i - block);
            if (ahead != 0) return i + static_cast<std::size_t>(std::countr_zero(ahead));
            i = block + 64;
        }
    }
    const Utf16LeText& text;

  private:
    // Every place at or past the end of the text is marked, so a search
    // stops there.
    void load(std::size_t block) {
        block_ = block;
        if (text.size - block < 64) {
            marks_ = ~std::uint64_t{0};
            for (std::size_t k = 0; block + k < text.size; ++k)
                if (!IsMark(text[block + k])) marks_ &= ~(std::uint64_t{1} << k);
            return;
        }
        marks_ = 0;
        for (std::size_t k = 0; k < 64; k += 16) {
            const __m128i both =
                _mm_packs_epi16(marksOfEight(block + k), marksOfEight(block + k + 8));
            marks_ |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(both))} << k;
        }
    }
    __m128i marksOfEight(std::size_t i) const {
        const __m128i v = LoadEight(text, i);
        return _mm_or_si128(
            _mm_or_si128(_mm_cmpeq_epi16(v, separator_), _mm_cmpeq_epi16(v, quote_)),
            _mm_or_si128(_mm_cmpeq_epi16(v, lineBreak_),
                         _mm_or_si128(_mm_cmpeq_epi16(v, cr_), _mm_cmpeq_epi16(v, lf_))));
    }

    std::size_t block_ = ~std::size_t{0}; // none loaded
    std::uint64_t marks_ = 0;
    const __m128i separator_ = _mm_set1_epi16(static_cast<short>(kFieldSeparator));
    const __m128i quote_ = _mm_set1_epi16(static_cast<short>(kQuoteMark));
    const __m128i lineBreak_ = _mm_set1_epi16(static_cast<short>(kLineBreakMark));
    const __m128i cr_ = _mm_set1_epi16(static_cast<short>(u'\r'));
    const __m128i lf_ = _mm_set1_epi16(static_cast<short>(u'\n'));
};

inline std::size_t CountLineFeeds(const Utf16LeText& text) {
    const __m128i lf = _mm_set1_epi16(static_cast<short>(u'\n'));
    const __m128i zero = _mm_setzero_si128();
    std::size_t count = 0;
    std::size_t i = 0;
    while (text.size - i >= 8) {
        // Eight 16-bit counts, summed before any can pass 0xFFFF.
        const std::size_t blocks = std::min<std::size_t>((text.size - i) / 8, 0xFFFF);
        __m128i counts = zero;
        for (std::size_t b = 0; b < blocks; ++b, i += 8)
            counts = _mm_sub_epi16(counts, _mm_cmpeq_epi16(LoadEight(text, i), lf));
        const __m128i wide =
            _mm_add_epi32(_mm_unpacklo_epi16(counts, zero), _mm_unpackhi_epi16(counts, zero));
        std::uint32_t sums[4];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(sums), wide);
        count += std::size_t{sums[0]} + sums[1] + sums[2] + sums[3];
    }
    for (; i < text.size; ++i)
        count += text[i] == u'\n';
    return count;
}
#endif

// Field text sinks for the passes over a field. The first pass writes the
// text into a small buffer while it fits and counts it; a field that did
// not fit is read again into its string.
struct BufferSink {
    char16_t* out;
    std::size_t capacity;
    std::size_t size = 0;
    void put(char16_t c) {
        if (size < capacity) out[size] = c;
        ++size;
    }
    template <class Text> void putRun(const Text& text, std::size_t from, std::size_t count) {
        if (count <= capacity && size <= capacity - count) text.copy(from, count, out + size);
        size += count;
    }
};
struct WritingSink {
    char16_t* out;
    std::size_t size = 0;
    void put(char16_t c) { out[size++] = c; }
    template <class Text> void putRun(const Text& text, std::size_t from, std::size_t count) {
        text.copy(from, count, out + size);
        size += count;
    }
};

enum class FieldEnd { Separator, LineFeed, EndOfText };

// Reads one field from index i to its end, giving its text to the sink;
// returns how it ended and leaves i on the character after that end. Text
// between marks goes to the sink a run at a time.
template <class Text, class Sink>
FieldEnd ReadField(MarkFinder<Text>& marks, std::size_t& i, Sink& sink) {
    const Text& text = marks.text;
    unsigned quotes = 0;
    while (i < text.size) {
        const char16_t ch = text[i];
        if (!IsMark(ch)) {
            const std::size_t run = i;
            i = marks.next(i);
            sink.putRun(text, run, i - run);
            continue;
        }
        ++i;
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
        default: // u'\n'
            return FieldEnd::LineFeed;
        }
    }
    return FieldEnd::EndOfText;
}

[[noreturn]] void ThrowTooMany() {
    throw IoError("It holds more than " + std::to_string(kMaxTasks) + " tasks.");
}

template <class Text> void Decode(const Text& text, TaskRecordSink& sink) {
    // Every record but a last unended one ends at an LF: counting them first
    // refuses a hostile file before anything is built and sizes the list once.
    const std::size_t lineFeeds = CountLineFeeds(text);
    if (lineFeeds > static_cast<std::size_t>(kMaxTasks)) ThrowTooMany();
    sink.expect(std::min(lineFeeds + 1, static_cast<std::size_t>(kMaxTasks)));

    // One record, refilled for each task once the sink has taken the last.
    TaskRecord record;
    record.fieldCount = 0;
    bool open = false; // the record has a field and is not yet taken
    std::size_t taken = 0;
    auto give = [&] {
        for (int f = record.fieldCount; f < kTaskFieldCount; ++f)
            record.fields[static_cast<std::size_t>(f)].clear();
        sink.take(record);
        record.fieldCount = 0;
        open = false;
    };
    std::array<char16_t, 256> buffer;
    MarkFinder<Text> marks(text);

    std::size_t i = 0;
    while (i < text.size) {
        const std::size_t start = i;
        std::size_t size = 0;
        FieldEnd end;
        // Most fields hold no mark but the one ending them: their text is
        // the file's, known in one look. The others go through the buffer,
        // and once more into their string if too long for it.
        const std::size_t plainEnd = marks.next(i);
        const char16_t stop = plainEnd < text.size ? text[plainEnd] : u'\0';
        const bool plain = plainEnd == text.size || stop == kFieldSeparator || stop == u'\n';
        if (plain) {
            size = plainEnd - start;
            i = plainEnd == text.size ? plainEnd : plainEnd + 1;
            end = plainEnd == text.size ? FieldEnd::EndOfText
                  : stop == u'\n'       ? FieldEnd::LineFeed
                                        : FieldEnd::Separator;
        } else {
            BufferSink first{buffer.data(), buffer.size()};
            end = ReadField(marks, i, first);
            size = first.size;
        }
        // At the end of the file an empty field text is no field.
        if (end == FieldEnd::EndOfText && size == 0) break;

        if (!open) {
            if (taken++ >= static_cast<std::size_t>(kMaxTasks)) ThrowTooMany();
            open = true;
        }
        if (record.fieldCount < kTaskFieldCount) {
            std::u16string& field = record.fields[static_cast<std::size_t>(record.fieldCount++)];
            field.clear();
            field.resize(size);
            if (plain) {
                text.copy(start, size, field.data());
            } else if (size <= buffer.size()) {
                std::copy_n(buffer.data(), size, field.data());
            } else {
                WritingSink write{field.data()};
                std::size_t again = start;
                ReadField(marks, again, write);
            }
        } // a field past the last known is dropped
        if (end != FieldEnd::Separator) give();
    }
    if (open) give();
}

// The records as one list, for the callers that want them all.
class RecordList final : public TaskRecordSink {
  public:
    std::vector<TaskRecord> records;
    void expect(std::size_t count) override { records.reserve(count); }
    void take(TaskRecord& record) override { records.push_back(std::move(record)); }
};

} // namespace

void DecodeTaskList(std::span<const std::uint8_t> bytes, TaskRecordSink& sink) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        return Decode(Utf16LeText{bytes.data() + 2, (bytes.size() - 2) / 2}, sink);
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        return Decode(Utf16BeText{bytes.data() + 2, (bytes.size() - 2) / 2}, sink);
    // UTF-8, as text editors save it: by its byte order mark, or, without
    // one, by being well-formed UTF-8 beyond ASCII, which single-byte text
    // written by older versions practically never is.
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const bool marked = text.starts_with("\xEF\xBB\xBF");
    if (marked || IsUtf8BeyondAscii(text)) {
        const std::u16string units = FromUtf8(text.substr(marked ? 3 : 0));
        return Decode(NativeText{units.data(), units.size()}, sink);
    }
    // Single-byte text: each byte is the character of that code.
    return Decode(SingleByteText{bytes.data(), bytes.size()}, sink);
}

std::vector<TaskRecord> DecodeTaskList(std::span<const std::uint8_t> bytes) {
    RecordList list;
    DecodeTaskList(bytes, list);
    return std::move(list.records);
}

} // namespace keyvane
