// The task list file format: UTF-16 LE with a byte order mark, one record of
// comma-separated fields per task, CR LF after each record. '"' quotes
// a field holding ',' or '"'; '|' stands for a line break inside a field.
//
// A pure codec: bytes in, records out, and back. The task table fills itself
// from records and gives them back; the store owns the file.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keyvane {

inline constexpr char16_t kFieldSeparator = u',';
inline constexpr char16_t kQuoteMark = u'"';
inline constexpr char16_t kLineBreakMark = u'|';

// Fields of a record, in file order: row number, Desc, Hotkey, Dest,
// Type_run, Image, Enabled, Programs, If_running. Older versions read the
// first seven and drop the rest, so the last two are written only when a
// task has them: a file without them is the file those versions wrote.
inline constexpr int kTaskFieldCount = 9;
inline constexpr int kClassicFieldCount = 7;

struct TaskRecord {
    std::array<std::u16string, kTaskFieldCount> fields;
    // How many fields the line had (at most kTaskFieldCount are kept): a
    // field the line lacks keeps the new-row value when the table takes the
    // record, while a present but empty field is read as empty.
    int fieldCount = kTaskFieldCount;
};

// No one keeps this many hotkeys; a file with more records is damaged or
// hostile (a few megabytes of line breaks would otherwise take gigabytes).
// The table refuses to grow past it too, so every table saved loads back.
inline constexpr int kMaxTasks = 100000;

// A record as the writer takes it: the field texts, each viewing text
// kept elsewhere, so a save copies none of it.
struct TaskRecordView {
    std::array<std::u16string_view, kTaskFieldCount> fields;
};

// Record views together with the text of the fields that have none of their
// own to view (numbers a table keeps as integers). A move keeps the views
// valid; a copy would not, so there is none.
struct TaskRecordViews {
    std::vector<TaskRecordView> records;
    std::vector<char16_t> ownText;

    TaskRecordViews() = default;
    TaskRecordViews(TaskRecordViews&&) = default;
    TaskRecordViews& operator=(TaskRecordViews&&) = default;
};

std::vector<std::uint8_t> EncodeTaskList(std::span<const TaskRecordView> records);
std::vector<std::uint8_t> EncodeTaskList(std::span<const TaskRecord> records);
inline std::vector<std::uint8_t> EncodeTaskList(const TaskRecordViews& views) {
    return EncodeTaskList(std::span<const TaskRecordView>(views.records));
}

// Takes the records of a file from the reader one at a time, in file order.
class TaskRecordSink {
  public:
    // Before the first record: at most this many follow.
    virtual void expect(std::size_t records) = 0;
    // The record's texts are as the file keeps them: a line break is CR LF,
    // with no other CR or LF and no '|'. The sink may move them out; the
    // reader fills the record again for the next task.
    virtual void take(TaskRecord& record) = 0;

  protected:
    ~TaskRecordSink() = default;
};

// The records of the file bytes. Accepts UTF-16 LE or BE with their byte
// order marks, UTF-8 with its mark or, without one, when it is well-formed
// and holds a character past ASCII, else single-byte text. Every byte sequence gives
// some records, except one of more than kMaxTasks records, which throws
// IoError: before any record is given, unless only an unended last record
// is one too many.
void DecodeTaskList(std::span<const std::uint8_t> bytes, TaskRecordSink& sink);
std::vector<TaskRecord> DecodeTaskList(std::span<const std::uint8_t> bytes);

} // namespace keyvane
