#include "tasks/TaskTable.h"

#include "base/Text.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace keyvane {

namespace {
constexpr auto kLeft = ColumnInfo::Align::Left;
constexpr auto kCentre = ColumnInfo::Align::Centre;
} // namespace

const std::array<ColumnInfo, kColumnCount> kColumns = {{
    {u"NxNumberColumn1", CellKind::RowNumber, u"#", 0, 44, kCentre, kLeft},
    {u"Desc", CellKind::Text, u"Description", 2, 104, kLeft, kCentre},
    {u"Hotkey", CellKind::Text, u"Hotkey", 3, 105, kCentre, kCentre},
    {u"Dest", CellKind::Text, u"Destination", 4, 211, kLeft, kCentre},
    {u"Type_run", CellKind::Text, u"Type of run", 5, 72, kCentre, kCentre},
    {u"Image", CellKind::Integer, u"", 1, 34, kCentre, kCentre},
    {u"Enabled", CellKind::Flag, u"Enabled", 6, 55, kCentre, kCentre},
    {u"Programs", CellKind::Text, u"Programs", -1, 0, kLeft, kCentre},
    {u"If_running", CellKind::Text, u"If it is running", -1, 0, kLeft, kCentre},
}};

namespace {

std::u16string Decimal(long long value) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::u16string(buffer, end);
}

// Decimal integer with an optional sign, nothing else; false when the text
// is not one or does not fit in 32 bits.
bool ParseInt32(std::u16string_view text, std::int32_t& out) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    if (i == text.size()) return false;
    long long value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') return false;
        value = value * 10 + (text[i] - u'0');
        if (value > static_cast<long long>(std::numeric_limits<std::int32_t>::max()) + 1)
            return false;
    }
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max())
        return false;
    out = static_cast<std::int32_t>(value);
    return true;
}

// The task list file has no way to write a lone CR, a lone LF or a '|' that
// is not a line break: a CR and a '|' read back as CR LF, an LF as nothing.
// Records (a file's, an import's) are taken in that form, so a table filled
// from records shows and runs what its next save keeps.
bool InFileForm(std::u16string_view text) {
    // Nearly every text holds none of the three: a pass without branches,
    // which the compiler runs on several characters at once, tells.
    unsigned found = 0;
    for (char16_t c : text)
        found |= (c == kLineBreakMark) | (c == u'\r') | (c == u'\n');
    if (found == 0) return true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == kLineBreakMark) return false;
        if (c == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')) return false;
        if (c == u'\n' && (i == 0 || text[i - 1] != u'\r')) return false;
    }
    return true;
}

std::u16string ToFileForm(std::u16string&& text) {
    if (InFileForm(text)) return std::move(text); // all a decoded file holds
    std::u16string form;
    form.reserve(text.size() * 2);
    for (char16_t c : text) {
        if (c == u'\r' || c == kLineBreakMark)
            form += u"\r\n";
        else if (c != u'\n')
            form += c;
    }
    return form;
}

bool ParseFlag(std::u16string_view text) {
    return text == u"1" || EqualsIgnoreAsciiCase(text, u"true");
}

[[noreturn]] void ThrowIndex(int row, int count) {
    throw IndexError("List index out of bounds (" + std::to_string(row) + "); the table has " +
                     std::to_string(count) + " rows");
}

[[noreturn]] void ThrowFull() {
    throw TableFullError("The task list holds at most " + std::to_string(kMaxTasks) + " tasks.");
}

} // namespace

Column FindColumn(std::u16string_view name) {
    for (int c = 0; c < kColumnCount; ++c)
        if (EqualsIgnoreAsciiCase(kColumns[c].name, name)) return static_cast<Column>(c);
    throw UnknownColumnError("Unknown column \"" + ToUtf8(name) + "\"");
}

TaskTable::Row& TaskTable::rowAt(int row) {
    if (row < 0 || row >= taskCount()) ThrowIndex(row, taskCount());
    return rows_[static_cast<std::size_t>(row)];
}

const TaskTable::Row& TaskTable::rowAt(int row) const {
    if (row < 0 || row >= taskCount()) ThrowIndex(row, taskCount());
    return rows_[static_cast<std::size_t>(row)];
}

void TaskTable::changed() {
    changedSinceSort_ = true;
}

std::u16string TaskTable::cellText(Column column, int row) const {
    const Row& r = rowAt(row);
    if (const auto* text = r.text(column)) return *text;
    switch (column) {
    case Column::NxNumberColumn1:
        return Decimal(row + 1);
    case Column::Image:
        return Decimal(r.image);
    case Column::Enabled:
        return r.enabled ? u"True" : u"False";
    default:
        return {};
    }
}

std::u16string_view TaskTable::textCell(Column column, int row) const {
    if (const auto* text = rowAt(row).text(column)) return *text;
    throw ConversionError("Column \"" + ToUtf8(kColumns[static_cast<int>(column)].name) +
                          "\" holds no text");
}

void TaskTable::setCellText(Column column, int row, std::u16string_view text) {
    Row& r = rowAt(row);
    if (auto* cell = r.text(column)) {
        *cell = text;
    } else if (column == Column::Image) {
        std::int32_t value = 0;
        if (!text.empty() && !ParseInt32(text, value))
            throw ConversionError("'" + ToUtf8(text) + "' is not a valid integer value");
        r.image = value;
    } else if (column == Column::Enabled) {
        r.enabled = ParseFlag(text);
    } else {
        return; // the row number is the position
    }
    changed();
}

std::u16string TaskTable::cellText(std::u16string_view column, int row) const {
    return cellText(FindColumn(column), row);
}

void TaskTable::setCellText(std::u16string_view column, int row, std::u16string_view text) {
    setCellText(FindColumn(column), row, text);
}

bool TaskTable::cellFlag(std::u16string_view column, int row) const {
    return cellFlag(FindColumn(column), row);
}

bool TaskTable::cellFlag(Column column, int row) const {
    const Row& r = rowAt(row);
    if (column != Column::Enabled)
        throw ConversionError("Column \"" +
                              ToUtf8(kColumns[static_cast<std::size_t>(column)].name) +
                              "\" holds no flag");
    return r.enabled;
}

void TaskTable::setCellNumber(std::u16string_view column, int row, std::int32_t number) {
    const Column c = FindColumn(column);
    Row& r = rowAt(row);
    if (c != Column::Image)
        throw ConversionError("Column \"" + ToUtf8(column) + "\" holds no number");
    r.image = number;
    changed();
}

int TaskTable::appendTasks(int count) {
    if (count >= 1) {
        if (count > kMaxTasks - taskCount()) ThrowFull();
        rows_.resize(rows_.size() + static_cast<std::size_t>(count));
        changed();
    }
    return taskCount() - 1;
}

void TaskTable::removeTask(int row) {
    rowAt(row);
    rows_.erase(rows_.begin() + row);
    const int last = taskCount() - 1;
    if (current_ >= last) current_ = last;
    changed();
}

void TaskTable::removeAllTasks() {
    rows_.clear();
    current_ = -1;
    changed();
}

void TaskTable::moveTask(int from, int to) {
    if (from == to) return;
    rowAt(from);
    rowAt(to);
    const auto first = rows_.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else
        std::rotate(first + to, first + from, first + from + 1);
    changed();
}

void TaskTable::selectTask(int row) {
    if (rows_.empty() || row < -1 || row >= taskCount()) return;
    for (auto& r : rows_)
        r.selected = false;
    current_ = row;
    if (row >= 0) rows_[static_cast<std::size_t>(row)].selected = true;
}

bool TaskTable::isTaskSelected(int row) const {
    return rowAt(row).selected;
}

void TaskTable::setTaskSelected(int row, bool selected) {
    rowAt(row).selected = selected;
}

void TaskTable::sortByColumn(std::u16string_view column) {
    const int c = static_cast<int>(FindColumn(column));
    // The row number is the position itself; ordering by it means nothing.
    if (c == static_cast<int>(Column::NxNumberColumn1)) return;

    const bool sameColumn = c == sortColumn_;
    if (sameColumn) descending_[c] = !descending_[c];
    sortColumn_ = c;

    // Mark the current row's task so it can be found again after the sort.
    const int current = current_;
    std::vector<std::size_t> order(rows_.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;

    if (sameColumn && !changedSinceSort_) {
        std::reverse(order.begin(), order.end());
    } else {
        auto less = [&](std::size_t a, std::size_t b) {
            const Row& x = rows_[a];
            const Row& y = rows_[b];
            if (const auto* text = x.text(static_cast<Column>(c)))
                return *text < *y.text(static_cast<Column>(c));
            if (c == static_cast<int>(Column::Image)) return x.image < y.image;
            return x.enabled < y.enabled;
        };
        if (descending_[c])
            std::stable_sort(order.begin(), order.end(),
                             [&](auto a, auto b) { return less(b, a); });
        else
            std::stable_sort(order.begin(), order.end(), less);
    }

    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    int newCurrent = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (static_cast<int>(order[i]) == current) newCurrent = static_cast<int>(i);
        sorted.push_back(std::move(rows_[order[i]]));
    }
    rows_ = std::move(sorted);
    changed();
    changedSinceSort_ = false;
    if (newCurrent >= 0) selectTask(newCurrent);
}

TaskRecordViews TaskTable::records() const {
    // The two number fields are made here, into one buffer reserved for the
    // longest numbers, so it never moves while views into it are taken.
    const std::size_t rowNumberUnits = std::to_string(rows_.size()).size();
    constexpr std::size_t kImageUnits = 11; // "-2147483648"
    TaskRecordViews out;
    out.records.resize(rows_.size());
    out.ownText.reserve(rows_.size() * (rowNumberUnits + kImageUnits));
    auto number = [&out](long long value) {
        char digits[24];
        char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        const std::size_t start = out.ownText.size();
        out.ownText.insert(out.ownText.end(), &digits[0], end);
        return std::u16string_view(out.ownText.data() + start, out.ownText.size() - start);
    };
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        auto& fields = out.records[r].fields;
        const Row& row = rows_[r];
        fields[0] = number(static_cast<long long>(r) + 1);
        for (std::size_t i = 0; i < 4; ++i)
            fields[1 + i] = row.texts[i];
        fields[5] = number(row.image);
        fields[6] = row.enabled ? u"True" : u"False";
        fields[7] = row.texts[4];
        fields[8] = row.texts[5];
    }
    return out;
}

void TaskTable::fillRow(Row& row, TaskRecord& record, bool inFileForm) {
    const int count = std::min(record.fieldCount, kTaskFieldCount);
    const auto take = [&](int field, std::size_t cellIndex) {
        auto& text = record.fields[static_cast<std::size_t>(field)];
        auto& cell = row.texts[cellIndex];
        if (inFileForm)
            cell = std::move(text);
        else
            cell = ToFileForm(std::move(text));
    };
    for (int f = 1; f < count && f <= 4; ++f)
        take(f, static_cast<std::size_t>(f - 1));
    if (count > 5) ParseInt32(record.fields[5], row.image); // damaged: keeps 0
    if (count > 6) row.enabled = ParseFlag(record.fields[6]);
    // Kept as read, also when this version cannot read them: the next save
    // writes them back unchanged.
    if (count > 7) take(7, 4);
    if (count > 8) take(8, 5);
}

void TaskTable::setRecords(std::vector<TaskRecord>&& records) {
    removeAllTasks();
    if (records.size() > static_cast<std::size_t>(kMaxTasks)) ThrowFull();
    rows_.resize(records.size());
    for (std::size_t r = 0; r < records.size(); ++r)
        fillRow(rows_[r], records[r], false);
    changed();
}

void TaskTable::setRecordsFromFile(std::span<const std::uint8_t> bytes) {
    // The reader never gives more than kMaxTasks records, and its texts are
    // in the file's form already.
    class RowFiller final : public TaskRecordSink {
      public:
        std::vector<Row> rows;
        void expect(std::size_t count) override { rows.reserve(count); }
        void take(TaskRecord& record) override { fillRow(rows.emplace_back(), record, true); }
    };
    RowFiller filler;
    DecodeTaskList(bytes, filler);
    removeAllTasks();
    rows_ = std::move(filler.rows);
    changed();
}

} // namespace keyvane
