// The task list file format: UTF-16 LE with a byte order mark, one record of
// seven comma-separated fields per task, CR LF after each record. '"' quotes
// a field holding ',' or '"'; '|' stands for a line break inside a field.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace keyvane {

class TaskTable;

inline constexpr char16_t kFieldSeparator = u',';
inline constexpr char16_t kQuoteMark = u'"';
inline constexpr char16_t kLineBreakMark = u'|';

std::vector<std::uint8_t> EncodeTaskList(const TaskTable& table);

// No one keeps this many hotkeys; a file with more records is damaged or
// hostile (a few megabytes of line breaks would otherwise take gigabytes).
inline constexpr int kMaxTasks = 100000;

// Appends the records of the file bytes to the table. Accepts UTF-16 LE or BE
// with their byte order marks, or single-byte text without one. Every byte
// sequence gives some table, except one of more than kMaxTasks records,
// which throws IoError.
void DecodeTaskList(std::span<const std::uint8_t> bytes, TaskTable& table);

} // namespace keyvane
