// Which picture each task shows, and the Image numbers written to the file.
// The numbering is the icon list's: one entry per row whose action is known,
// in row order, so a row's Image is the count of such rows above it. The
// pictures themselves are distinct sources, extracted once each however
// many rows share them.
#pragma once

#include <string>
#include <vector>

namespace keyvane {

class TaskTable;

struct IconSource {
    enum class Kind { File, Reboot, Hibernate, MinimizeAll, TypeText, SendKeys };
    Kind kind = Kind::File;
    std::u16string file; // Kind::File: the file to take the icon from
    int index = 0;       // Kind::File: the icon's index in it

    friend bool operator==(const IconSource&, const IconSource&) = default;
};

// The source of a row's picture by its Desc; false for an unknown action.
bool IconSourceOf(std::u16string_view desc, std::u16string_view dest, IconSource& source);

// The file and index used when a file yields no icon.
inline constexpr std::u16string_view kShellLibrary = u"SHELL32.dll";
inline constexpr int kFallbackIconIndex = 24;

struct IconPlan {
    std::vector<IconSource> sources; // distinct, in order of first use
    std::vector<int> entries;        // per Image number: its index in sources
    // The picture a row shows: its Image number's source, or -1.
    int SourceOfImage(int image) const {
        return image >= 0 && image < static_cast<int>(entries.size())
                   ? entries[static_cast<std::size_t>(image)]
                   : -1;
    }
};

// Sets the Image cell of every row with a known action and returns the plan
// the window draws from. Rows with an unknown action keep their Image.
IconPlan RebuildTaskIcons(TaskTable& table);

} // namespace keyvane
