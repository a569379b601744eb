#include "app/Version12List.h"
#include "tasks/DestinationText.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace keyvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Writes component streams the way version 1.2 saved its list.
class StreamWriter {
  public:
    Bytes bytes;

    StreamWriter& u8(int v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    StreamWriter& u16(int v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
    StreamWriter& u32(std::uint32_t v) {
        return u16(static_cast<int>(v & 0xFFFF)).u16(static_cast<int>(v >> 16));
    }
    StreamWriter& raw(std::string_view s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    StreamWriter& raw(const Bytes& b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    StreamWriter& shortString(std::string_view s) { return u8(static_cast<int>(s.size())).raw(s); }
    StreamWriter& binary(const Bytes& b) {
        return u8(10).u32(static_cast<std::uint32_t>(b.size())).raw(b);
    }
    // Typed values used by a list-view control's own properties.
    StreamWriter& int16(int v) { return u8(3).u16(v); }
    StreamWriter& ident(std::string_view s) { return u8(7).shortString(s); }
    StreamWriter& string(std::string_view s) { return u8(6).shortString(s); }
};

struct Item {
    std::string caption;
    std::vector<std::string> subItems;
};

// The "Items.Data" block; tailBytes of the sub-items' image indexes after
// the records (-1: all of them).
Bytes ItemBlock(const std::vector<Item>& items, int tailBytes = 0) {
    StreamWriter w;
    w.u32(0).u32(static_cast<std::uint32_t>(items.size()));
    int subItems = 0;
    for (const Item& item : items) {
        w.u32(0)
            .u32(0xFFFFFFFF)
            .u32(0xFFFFFFFF)
            .u32(static_cast<std::uint32_t>(item.subItems.size()));
        w.u32(0).shortString(item.caption);
        for (const auto& s : item.subItems)
            w.shortString(s);
        subItems += static_cast<int>(item.subItems.size());
    }
    const int tail = tailBytes < 0 ? 2 * subItems : tailBytes;
    for (int i = 0; i < tail; ++i)
        w.u8(i % 2 ? 0 : 5);
    const auto size = static_cast<std::uint32_t>(w.bytes.size());
    for (int i = 0; i < 4; ++i)
        w.bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (8 * i));
    return w.bytes;
}

// "TPF0", class and name, the properties the function writes, and the ends
// of the property and child lists.
Bytes ListStream(const std::function<void(StreamWriter&)>& properties,
                 std::string_view flags = "") {
    StreamWriter w;
    w.raw("TPF0").raw(flags).shortString("TListView").shortString("ListView1");
    properties(w);
    return w.u8(0).u8(0).bytes;
}

const std::vector<Item> kThree = {
    {"Run program", {"Ctrl+Alt+N", "notepad.exe"}},
    {"Open web page", {"Ctrl+Shift+W", "http://keyvane.example.org"}},
    {"Log off computer", {"Ctrl+Alt+End", ""}},
};

// A list as version 1.2 saved it: its place, its columns, its items.
void SavedList(StreamWriter& w, const Bytes& block) {
    w.shortString("Left").int16(8).shortString("Top").u8(2).u8(8);
    w.shortString("Width").int16(569).shortString("Height").u8(4).u32(300);
    w.shortString("Columns").u8(14);
    for (auto [caption, width] :
         {std::pair{"Description", 120}, {"Hotkey", 120}, {"Destination", 280}})
        w.u8(1).shortString("Caption").string(caption).shortString("Width").int16(width).u8(0);
    w.u8(0);
    w.shortString("ReadOnly").u8(9).shortString("RowSelect").u8(8);
    w.shortString("Items.Data").binary(block);
    w.shortString("TabOrder").u8(2).u8(0).shortString("ViewStyle").ident("vsReport");
}

Bytes Three() {
    return ListStream([](StreamWriter& w) { SavedList(w, ItemBlock(kThree)); });
}

Bytes Nested(int lists, int type = 1) {
    return ListStream([&](StreamWriter& w) {
        w.shortString("Tag");
        for (int i = 0; i < lists; ++i) {
            w.u8(type);
            if (type == 14) w.u8(1).shortString("Sub");
        }
        w.u8(0); // the innermost value: null
        for (int i = 0; i < lists; ++i) {
            if (type == 14) w.u8(0); // the item's property list
            w.u8(0);
        }
    });
}

std::string Texts(const std::vector<Version12Item>& items) {
    std::string out;
    for (const auto& i : items)
        out += i.caption + "|" + i.hotkey + "|" + i.destination + ";";
    return out;
}

std::string Texts(const std::vector<Item>& items) {
    std::string out;
    for (const auto& i : items) {
        out += i.caption;
        for (std::size_t s = 0; s < 2; ++s)
            out += "|" + (s < i.subItems.size() ? i.subItems[s] : "");
        out += ";";
    }
    return out;
}

TEST(Version12List, StreamsReadToTheirItemsOrFailAsAWhole) {
    const std::optional<std::string> kError;
    const Bytes forgedCount = [] {
        Bytes b = ItemBlock(kThree);
        b[4] = b[5] = b[6] = 0xFF, b[7] = 0x7F;
        return b;
    }();
    const Bytes forgedSubItems = [] {
        Bytes b = ItemBlock(kThree);
        b[8 + 12] = b[8 + 13] = 0xFF;
        return b;
    }();
    const Bytes sizeTooLarge = [] {
        Bytes b = ItemBlock(kThree);
        b[0] = static_cast<std::uint8_t>(b.size() + 1);
        return b;
    }();
    const struct {
        const char* what;
        Bytes stream;
        std::optional<std::string> items;
    } cases[] = {
        {"three items", Three(), Texts(kThree)},
        {"an empty list has no item block",
         ListStream([](StreamWriter& w) { w.shortString("Left").int16(8); }), ""},
        {"an empty item block",
         ListStream([](StreamWriter& w) { w.shortString("Items.Data").binary(ItemBlock({})); }),
         ""},
        {"a text file", Bytes{'A', 'c', 't', 'i', 'o', 'n', 's', '\r', '\n'}, kError},
        {"nothing", Bytes{}, kError},
        {"the signature alone", Bytes{'T', 'P', 'F', '0'}, kError},
        {"one sub-item, none", ListStream([](StreamWriter& w) {
             w.shortString("Items.Data")
                 .binary(ItemBlock({{"Run Calculator", {"Alt+C"}}, {"Open CD", {}}}));
         }),
         "Run Calculator|Alt+C|;Open CD||;"},
        {"the image-index tail", ListStream([](StreamWriter& w) {
             w.shortString("Items.Data").binary(ItemBlock(kThree, -1));
         }),
         Texts(kThree)},
        {"a tail cut short", ListStream([](StreamWriter& w) {
             w.shortString("Items.Data").binary(ItemBlock(kThree, 11));
         }),
         kError},
        {"a later block replaces an earlier one", ListStream([](StreamWriter& w) {
             w.shortString("Items.Data").binary(ItemBlock(kThree));
             w.shortString("items.data").binary(ItemBlock({{"Run Notepad", {"F2", "x"}}}));
         }),
         "Run Notepad|F2|x;"},
        {"a forged binary length", ListStream([](StreamWriter& w) {
             w.shortString("Items.Data").u8(10).u32(0xFFFFFFF0).u32(8).u32(0);
         }),
         kError},
        {"a forged item count",
         ListStream([&](StreamWriter& w) { w.shortString("Items.Data").binary(forgedCount); }),
         kError},
        {"a forged sub-item count",
         ListStream([&](StreamWriter& w) { w.shortString("Items.Data").binary(forgedSubItems); }),
         kError},
        {"a block size past the block",
         ListStream([&](StreamWriter& w) { w.shortString("Items.Data").binary(sizeTooLarge); }),
         kError},
        {"a block size below its header", ListStream([](StreamWriter& w) {
             w.shortString("Items.Data").binary({4, 0, 0, 0, 0, 0, 0, 0});
         }),
         kError},
        {"a forged wide string length",
         ListStream([](StreamWriter& w) { w.shortString("Hint").u8(18).u32(0x80000000).u16('A'); }),
         kError},
        {"a forged long string length", ListStream([](StreamWriter& w) {
             w.shortString("Hint").u8(12).u32(0xFFFFFFFF).raw("ab");
         }),
         kError},
        {"an unknown type byte", ListStream([](StreamWriter& w) { w.shortString("Tag").u8(21); }),
         kError},
        {"the item block of another type",
         ListStream([](StreamWriter& w) { w.shortString("Items.Data").string("three"); }), kError},
        {"every value type", ListStream([](StreamWriter& w) {
             w.shortString("A").u8(0).shortString("B").u8(1).u8(2).u8(1).u8(4).u32(7).u8(0);
             w.shortString("C").u8(5).raw("0123456789").shortString("D").u8(13);
             w.shortString("E").u8(11).shortString("akLeft").shortString("akTop").u8(0);
             w.shortString("F").u8(12).u32(3).raw("abc").shortString("G").u8(15).u32(0);
             w.shortString("H").u8(16).raw("12345678").shortString("I").u8(17).raw("12345678");
             w.shortString("J").u8(18).u32(2).u16('a').u16('b').shortString("K").u8(19).raw(
                 "12345678");
             w.shortString("L").u8(20).u32(2).raw("\xC3\xA9").shortString("M").u8(10).u32(0);
             w.shortString("Items.Data").binary(ItemBlock(kThree));
         }),
         Texts(kThree)},
        {"a collection item with an index", ListStream([](StreamWriter& w) {
             w.shortString("Columns")
                 .u8(14)
                 .u8(2)
                 .u8(0)
                 .u8(1)
                 .shortString("Width")
                 .int16(50)
                 .u8(0)
                 .u8(0);
         }),
         ""},
        {"a collection item without its list byte", ListStream([](StreamWriter& w) {
             w.shortString("Columns").u8(14).u8(2).u8(0).u8(6).u8(0);
         }),
         kError},
        {"flags with a child position",
         ListStream([](StreamWriter& w) { w.shortString("Items.Data").binary(ItemBlock(kThree)); },
                    std::string_view("\xF2\x03\x01\x00", 4)),
         Texts(kThree)},
        {"flags with no integer after them", ListStream([](StreamWriter&) {}, "\xF2\x06\x01x"),
         kError},
        {"a child component",
         [] {
             Bytes b = ListStream([](StreamWriter&) {});
             b.back() = 1;
             return b;
         }(),
         kError},
        {"lists nested to the cap", Nested(kMaxVersion12Nesting), ""},
        {"lists nested past the cap", Nested(kMaxVersion12Nesting + 1), kError},
        {"collections nested to the cap", Nested(kMaxVersion12Nesting, 14), ""},
        {"collections nested past the cap", Nested(kMaxVersion12Nesting + 1, 14), kError},
    };
    for (const auto& c : cases) {
        std::optional<std::string> got;
        try {
            got = Texts(ReadVersion12List(c.stream));
        } catch (const Version12ListError&) {
        }
        EXPECT_EQ(got, c.items) << c.what;
    }
}

TEST(Version12List, EveryTruncationIsAnError) {
    const Bytes whole = Three();
    for (std::size_t n = 0; n < whole.size(); ++n)
        EXPECT_THROW(ReadVersion12List(std::span(whole).first(n)), Version12ListError) << n;
}

TEST(Version12List, ImportAppendsNormalEnabledRowsAllOrNothing) {
    test::TempFolder dir;
    test::WriteBytes(dir / "good.cnfg", ListStream([](StreamWriter& w) {
                         SavedList(w, ItemBlock({{"Run program",
                                                  {"Ctrl+E", "\xC9"
                                                             "diteur.exe a|b"}},
                                                 {"Run Calculator", {"Alt+C"}}}));
                     }));
    test::WriteBytes(dir / "notes.cnfg", {'T', 'P', 'F', '0', 9, 'T', 'L', 'i'});
    TaskTable table;
    table.setCellText(Column::Desc, table.appendTasks(1), u"Open My Computer");

    AppendImportedTasks(table, ReadVersion12ListFile(test::U16Path(dir / "good.cnfg")));
    ASSERT_EQ(table.taskCount(), 3);
    const auto fields = [&](int row) {
        std::array<std::u16string, kTaskFieldCount> out;
        for (int c = 0; c < kTaskFieldCount; ++c)
            out[static_cast<std::size_t>(c)] = table.cellText(static_cast<Column>(c), row);
        return out;
    };
    EXPECT_EQ(fields(1), (std::array<std::u16string, kTaskFieldCount>{
                             u"2", u"Run program", u"Ctrl+E", u"\u00C9diteur.exe a{\r\n}b",
                             u"Normal", u"0", u"True"}));
    // The old list's '|' is a '|', kept through the file's line-break mark.
    EXPECT_EQ(DestinationFromCell(table.cellText(Column::Dest, 1)), u"\u00C9diteur.exe a|b");
    EXPECT_EQ(fields(2), (std::array<std::u16string, kTaskFieldCount>{
                             u"3", u"Run Calculator", u"Alt+C", u"", u"Normal", u"0", u"True"}));

    // A damaged file after a good one brings nothing: no items are left over.
    EXPECT_THROW(ReadVersion12ListFile(test::U16Path(dir / "notes.cnfg")), Version12ListError);
    EXPECT_THROW(ReadVersion12ListFile(test::U16Path(dir / "missing.cnfg")), IoError);
    EXPECT_EQ(table.taskCount(), 3);

    // Rows that would not fit are refused together.
    TaskTable full;
    full.appendTasks(kMaxTasks - 2);
    EXPECT_THROW(AppendImportedTasks(full, Version12ItemsToTaskRecords(ReadVersion12List(Three()))),
                 TableFullError);
    EXPECT_EQ(full.taskCount(), kMaxTasks - 2);
}

} // namespace
} // namespace keyvane
