// Import of hotkey lists saved by version 1.2: one list-view control written
// in the window framework's binary component stream ("TPF0", the class and
// component names, typed properties, an empty child list). The items live in
// the binary property "Items.Data"; every other property is walked by its
// type and skipped.
//
// The reader takes untrusted bytes: every length is checked against the
// bytes that remain before it is used, nothing is allocated from a length
// field, nesting of lists and collections is capped, and anything it cannot
// walk is one Version12ListError. An import is all or nothing: the reader
// gives items only for a stream it walked to its end.
#pragma once

#include "tasks/TaskListFile.h"
#include "tasks/TaskTable.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace keyvane {

class Version12ListError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Lists and collections inside one another deeper than this are refused; a
// list-view control's own properties nest two deep.
inline constexpr int kMaxVersion12Nesting = 32;

// One list item, its texts as stored: bytes in the system's 8-bit code page.
// A text the item lacks (fewer than two sub-items) is empty.
struct Version12Item {
    std::string caption;     // the action (Desc)
    std::string hotkey;      // sub-item 1 (Hotkey)
    std::string destination; // sub-item 2 (Dest)
};

// The items of the stream's item block, in file order; a later block
// replaces an earlier one, and a stream without one has no items. Throws
// Version12ListError for anything it cannot walk, including more than
// kMaxTasks items.
std::vector<Version12Item> ReadVersion12List(std::span<const std::uint8_t> bytes);

// Task list records of the items: Desc, Hotkey and Dest from the item (text
// converted from the system code page), run type "Normal", icon 0, enabled.
// The row number field is left empty; the table numbers its rows itself.
std::vector<TaskRecord> Version12ItemsToTaskRecords(std::span<const Version12Item> items);

// The records of the file at path; throws IoError or Version12ListError
// (the import shows "Error!" for either).
std::vector<TaskRecord> ReadVersion12ListFile(const std::u16string& path);

// Appends one row per record after the existing rows, in one batch: Desc,
// Hotkey, Dest and Type_run from the record, the new-row icon and enabled
// flag. All or nothing: throws TableFullError and adds nothing when the
// rows would not fit.
void AppendImportedTasks(TaskTable& table, std::span<const TaskRecord> records);

} // namespace keyvane
