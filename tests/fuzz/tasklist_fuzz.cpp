// Two properties of the task list file, tried on every input:
// - Any byte sequence loads into some table without a crash or a sanitizer
//   report, and what the writer makes of that table reads back to the same
//   table: the writer's output is a fixed point of a save-load cycle.
// - Every table the program can hold saves and loads back equal, cell by
//   cell. The table is built from the input through both ways in (cell
//   writes, records), with texts rich in the format's own characters. The
//   file cannot carry a lone CR, a lone LF or a '|' other than as a line
//   break: a text holding one comes back as a load gives it (records are
//   taken in that form already, so a table filled from them comes back
//   exactly).
// - Any destination, braces and '|' included, comes back exactly through its
//   cell, a save and a load (its lone CR or LF as CR LF).
#include "tasks/DestinationText.h"
#include "tasks/TaskListFile.h"
#include "tasks/TaskTable.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using keyvane::Column;
using keyvane::TaskTable;

// Reads the input as a stream of choices; 0 once it is used up.
class Choices {
  public:
    Choices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

    std::int32_t int32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | byte();
        return static_cast<std::int32_t>(v);
    }

    // One UTF-16 unit: mostly the format's characters and other awkward
    // ones (unpaired surrogates, a byte order mark, NUL), else any unit.
    char16_t unit() {
        static constexpr char16_t kAwkward[] = {u',',   u'"',   u'|',  u'\r',  u'\n',  u' ',
                                                u'a',   u'1',   u'-',  0xD800, 0xDFFF, 0xFEFF,
                                                0xFFFE, 0x0000, u'\t', 0x00E9};
        const std::uint8_t b = byte();
        if (b < 16) return kAwkward[b];
        if (b < 0xF0) return b;
        return static_cast<char16_t>((byte() << 8) | byte());
    }

    std::u16string text() {
        std::u16string t(byte() % 24, u'\0');
        for (auto& c : t)
            c = unit();
        return t;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// The text a cell holding `text` has after a save and a load.
std::u16string ReadBack(const std::u16string& text) {
    std::u16string out;
    for (char16_t c : text) {
        if (c == u'\r' || c == u'|')
            out += u"\r\n";
        else if (c != u'\n')
            out += c;
    }
    return out;
}

void BuildByCells(TaskTable& t, Choices& in, int rows) {
    t.appendTasks(rows);
    for (int r = 0; r < rows; ++r) {
        for (Column c : {Column::Desc, Column::Hotkey, Column::Dest, Column::Type_run})
            t.setCellText(c, r, in.text());
        if (in.byte() & 1) {
            t.setCellNumber(u"Image", r, in.int32());
        } else {
            try {
                t.setCellText(Column::Image, r, in.text());
            } catch (const keyvane::ConversionError&) {
                // not an integer: the cell keeps its number
            }
        }
        t.setCellText(Column::Enabled, r, in.text());
    }
}

void BuildByRecords(TaskTable& t, Choices& in, int rows) {
    std::vector<keyvane::TaskRecord> records(static_cast<std::size_t>(rows));
    for (auto& record : records) {
        record.fieldCount = in.byte() % (keyvane::kTaskFieldCount + 2);
        for (auto& field : record.fields)
            field = in.text();
        if (in.byte() & 1) {
            const std::string image = std::to_string(in.int32());
            record.fields[5].assign(image.begin(), image.end());
        }
    }
    t.setRecords(std::move(records));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The input as a file.
    bool refused = false;
    std::vector<std::uint8_t> saved;
    try {
        TaskTable first;
        first.setRecords(keyvane::DecodeTaskList({data, size}));
        saved = keyvane::EncodeTaskList(first.records());

        TaskTable second;
        second.setRecords(keyvane::DecodeTaskList(saved));
        if (keyvane::EncodeTaskList(second.records()) != saved) std::abort();
    } catch (const keyvane::IoError&) {
        refused = true; // too many records: refused as a whole
    }
    // The store's way in, rows filled as the reader goes, ends the same.
    try {
        TaskTable inPlace;
        inPlace.setRecordsFromFile({data, size});
        if (refused || keyvane::EncodeTaskList(inPlace.records()) != saved) std::abort();
    } catch (const keyvane::IoError&) {
        if (!refused) std::abort();
    }

    // The input as the makings of a table.
    Choices in(data, size);
    const int rows = in.byte() % 8;
    const bool byRecords = in.byte() & 1;
    TaskTable held;
    if (byRecords)
        BuildByRecords(held, in, rows);
    else
        BuildByCells(held, in, rows);

    TaskTable loaded;
    loaded.setRecords(keyvane::DecodeTaskList(keyvane::EncodeTaskList(held.records())));
    if (loaded.taskCount() != held.taskCount()) std::abort();
    for (int r = 0; r < held.taskCount(); ++r) {
        for (int c = 0; c < keyvane::kColumnCount; ++c) {
            const std::u16string cell = held.cellText(static_cast<Column>(c), r);
            const std::u16string back = loaded.cellText(static_cast<Column>(c), r);
            if (back != ReadBack(cell)) std::abort();
            if (byRecords && back != cell) std::abort();
        }
    }

    // A destination rich in the notation's own characters.
    std::u16string dest = in.text() + in.text();
    std::u16string expected;
    for (std::size_t i = 0; i < dest.size(); ++i) {
        char16_t& c = dest[i];
        c = c == u'1' ? u'{' : c == u'-' ? u'}' : c;
        if (c == u'\r' && i + 1 < dest.size() && dest[i + 1] == u'\n') continue;
        expected += c == u'\r' || c == u'\n' ? std::u16string(u"\r\n") : std::u16string(1, c);
    }
    TaskTable withDest;
    withDest.appendTasks(1);
    withDest.setCellText(Column::Dest, 0, keyvane::CellFromDestination(dest));
    TaskTable readBack;
    readBack.setRecords(keyvane::DecodeTaskList(keyvane::EncodeTaskList(withDest.records())));
    if (keyvane::DestinationFromCell(readBack.cellText(Column::Dest, 0)) != expected) std::abort();
    return 0;
}
