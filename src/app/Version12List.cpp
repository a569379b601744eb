// Walking a version 1.2 component stream and taking its list items.
#include "app/Version12List.h"

#include "app/SystemCodePage.h"
#include "base/FileIO.h"
#include "tasks/DestinationText.h"

#include <string_view>

namespace keyvane {
namespace {

// Type bytes of the stream's typed values.
enum Type : std::uint8_t {
    kNull = 0,
    kList = 1,
    kInt8 = 2,
    kInt16 = 3,
    kInt32 = 4,
    kExtended = 5,
    kString = 6,
    kIdent = 7,
    kFalse = 8,
    kTrue = 9,
    kBinary = 10,
    kSet = 11,
    kLString = 12,
    kNil = 13,
    kCollection = 14,
    kSingle = 15,
    kCurrency = 16,
    kDate = 17,
    kWString = 18,
    kInt64 = 19,
    kUtf8String = 20,
};

// Fixed part of an item record: image, state and overlay index, sub-item
// count, data; then at least the caption's length byte.
constexpr std::size_t kItemFixedBytes = 20;
constexpr std::size_t kMinItemBytes = kItemFixedBytes + 1;

[[noreturn]] void Fail(const std::string& what, std::size_t at) {
    throw Version12ListError("Not a version 1.2 hotkey list: " + what + " at byte " +
                             std::to_string(at) + ".");
}

// Little-endian reads that check the bytes left before each one.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes, std::size_t base = 0)
        : bytes_(bytes), base_(base) {}

    std::size_t remaining() const { return bytes_.size() - pos_; }
    std::size_t offset() const { return base_ + pos_; }

    void need(std::uint64_t n) const {
        if (remaining() < n) Fail("the stream ends early", offset());
    }
    std::uint8_t peek() const {
        need(1);
        return bytes_[pos_];
    }
    std::uint8_t u8() {
        need(1);
        return bytes_[pos_++];
    }
    std::uint32_t u32() {
        need(4);
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= static_cast<std::uint32_t>(bytes_[pos_ + i]) << (8 * i);
        pos_ += 4;
        return v;
    }
    std::span<const std::uint8_t> take(std::uint64_t n) {
        need(n);
        const auto out = bytes_.subspan(pos_, static_cast<std::size_t>(n));
        pos_ += static_cast<std::size_t>(n);
        return out;
    }
    void skip(std::uint64_t n) { take(n); }
    // One length byte, then that many bytes.
    std::string_view shortString() {
        const auto s = take(u8());
        return {reinterpret_cast<const char*>(s.data()), s.size()};
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t base_;
    std::size_t pos_ = 0;
};

bool IsItemBlockName(std::string_view name) {
    // Property names match without regard to letter case, as the framework's do.
    constexpr std::string_view kName = "items.data";
    if (name.size() != kName.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char c = name[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != kName[i]) return false;
    }
    return true;
}

// The "Items.Data" block: total size (itself included), item count, item
// records, then optionally one 16-bit image index per sub-item.
std::vector<Version12Item> ReadItemBlock(std::span<const std::uint8_t> block, std::size_t base) {
    Reader whole(block, base);
    const std::uint32_t size = whole.u32();
    if (size < 8 || size > block.size()) Fail("the item block's size does not match", base);
    Reader r(block.first(size), base);
    r.skip(4);
    const std::uint32_t count = r.u32();
    // Checked before any item is read, so a forged count costs nothing.
    if (count > static_cast<std::uint32_t>(kMaxTasks) || count > r.remaining() / kMinItemBytes)
        Fail("the item count does not fit the block", r.offset() - 4);
    std::vector<Version12Item> items;
    items.reserve(count);
    std::uint64_t subItemTotal = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        r.skip(12); // image, state and overlay index
        const std::uint32_t subItems = r.u32();
        r.skip(4); // data
        Version12Item item;
        item.caption = r.shortString();
        if (subItems > r.remaining()) Fail("the sub-item count does not fit the block", r.offset());
        for (std::uint32_t s = 0; s < subItems; ++s) {
            const std::string_view text = r.shortString();
            if (s == 0) item.hotkey = text;
            if (s == 1) item.destination = text;
        }
        subItemTotal += subItems;
        items.push_back(std::move(item));
    }
    // The sub-items' image indexes: only the import's texts matter, but a
    // tail that is there must be whole.
    if (r.remaining() > 0) r.skip(subItemTotal * 2);
    return items;
}

class StreamWalker {
  public:
    explicit StreamWalker(std::span<const std::uint8_t> bytes) : r_(bytes) {}

    std::vector<Version12Item> walk() {
        if (r_.remaining() < 4 ||
            std::string_view(reinterpret_cast<const char*>(r_.take(4).data()), 4) != "TPF0")
            Fail("no \"TPF0\" signature", 0);
        if (r_.remaining() > 0 && (r_.peek() & 0xF0) == 0xF0) {
            const std::uint8_t flags = r_.u8();
            if (flags & 2) integer();
        }
        r_.shortString(); // class name
        r_.shortString(); // component name
        properties(0, true);
        // A list-view control holds no child components.
        if (r_.u8() != 0) Fail("a child component", r_.offset() - 1);
        return std::move(items_);
    }

  private:
    // An integer value: types 2 to 4 only.
    void integer() {
        const std::size_t at = r_.offset();
        const std::uint8_t type = r_.u8();
        if (type == kInt8)
            r_.skip(1);
        else if (type == kInt16)
            r_.skip(2);
        else if (type == kInt32)
            r_.skip(4);
        else
            Fail("an integer was expected", at);
    }

    // Name and value pairs until an empty name. Only the component's own
    // "Items.Data" is the item block; in a collection item it is any property.
    void properties(int depth, bool component) {
        for (;;) {
            const std::string_view name = r_.shortString();
            if (name.empty()) return;
            if (component && IsItemBlockName(name)) {
                const std::size_t at = r_.offset();
                if (r_.u8() != kBinary) Fail("the item block is not binary", at);
                const std::uint32_t length = r_.u32();
                const std::size_t base = r_.offset();
                items_ = ReadItemBlock(r_.take(length), base);
            } else {
                value(depth);
            }
        }
    }

    void enter(int depth) const {
        if (depth >= kMaxVersion12Nesting) Fail("lists nested too deep", r_.offset() - 1);
    }

    // One typed value at the given nesting depth, walked and dropped.
    void value(int depth) {
        const std::size_t at = r_.offset();
        const std::uint8_t type = r_.u8();
        switch (type) {
        case kNull:
        case kFalse:
        case kTrue:
        case kNil:
            return;
        case kInt8:
            return r_.skip(1);
        case kInt16:
            return r_.skip(2);
        case kInt32:
        case kSingle:
            return r_.skip(4);
        case kCurrency:
        case kDate:
        case kInt64:
            return r_.skip(8);
        case kExtended:
            return r_.skip(10);
        case kString:
        case kIdent:
            r_.shortString();
            return;
        case kBinary:
        case kLString:
        case kUtf8String:
            return r_.skip(r_.u32());
        case kWString:
            return r_.skip(std::uint64_t{r_.u32()} * 2);
        case kSet:
            while (!r_.shortString().empty()) {
            }
            return;
        case kList:
            enter(depth);
            while (r_.peek() != kNull)
                value(depth + 1);
            r_.u8();
            return;
        case kCollection:
            enter(depth);
            while (r_.peek() != kNull) {
                const std::uint8_t next = r_.peek();
                if (next == kInt8 || next == kInt16 || next == kInt32) integer();
                if (r_.u8() != kList) Fail("a collection item does not start", r_.offset() - 1);
                properties(depth + 1, false);
            }
            r_.u8();
            return;
        default:
            Fail("unknown value type " + std::to_string(type), at);
        }
    }

    Reader r_;
    std::vector<Version12Item> items_;
};

} // namespace

std::vector<Version12Item> ReadVersion12List(std::span<const std::uint8_t> bytes) {
    return StreamWalker(bytes).walk();
}

std::vector<TaskRecord> Version12ItemsToTaskRecords(std::span<const Version12Item> items) {
    std::vector<TaskRecord> records(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        auto& f = records[i].fields;
        f[static_cast<int>(Column::Desc)] = SystemCodePageToUtf16(items[i].caption);
        f[static_cast<int>(Column::Hotkey)] = SystemCodePageToUtf16(items[i].hotkey);
        // Written in the notation: a '|' of the old list stays a '|'.
        f[static_cast<int>(Column::Dest)] =
            CellFromDestination(SystemCodePageToUtf16(items[i].destination));
        f[static_cast<int>(Column::Type_run)] = u"Normal";
        f[static_cast<int>(Column::Image)] = u"0";
        f[static_cast<int>(Column::Enabled)] = u"True";
        records[i].fieldCount = kTaskFieldCount;
    }
    return records;
}

std::vector<TaskRecord> ReadVersion12ListFile(const std::u16string& path) {
    return Version12ItemsToTaskRecords(ReadVersion12List(ReadWholeFile(path)));
}

void AppendImportedTasks(TaskTable& table, std::span<const TaskRecord> records) {
    if (records.empty()) return;
    if (records.size() > static_cast<std::size_t>(kMaxTasks))
        throw TableFullError("The task list holds at most " + std::to_string(kMaxTasks) +
                             " tasks.");
    const int last = table.appendTasks(static_cast<int>(records.size()));
    int row = last - static_cast<int>(records.size()) + 1;
    for (const TaskRecord& record : records) {
        for (Column c : {Column::Desc, Column::Hotkey, Column::Dest, Column::Type_run})
            table.setCellText(c, row, record.fields[static_cast<std::size_t>(c)]);
        ++row;
    }
}

} // namespace keyvane
