// Whole-file reads and atomic whole-file writes: the only way the program
// touches its data files. Both throw IoError naming the file and the reason.
#pragma once

#include "base/Errors.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keyvane {

// Files larger than this are refused rather than read into memory: no file
// the program writes comes near it, so it can only be damage or mischief.
inline constexpr std::uint64_t kMaxDataFileBytes = 64ull * 1024 * 1024;

// Throws FileTooLargeError past maxBytes, IoError when the file cannot be
// opened or read.
std::vector<std::uint8_t> ReadWholeFile(const std::u16string& path,
                                        std::uint64_t maxBytes = kMaxDataFileBytes);

// Writes to a temporary file beside the target, flushes it to disk and then
// replaces the target in one step, so a failure at any point leaves the old
// file as it was. Creates the parent folder when it is missing, unless told
// not to (the write then fails).
enum class MissingFolder { Create, Fail };
void WriteFileAtomically(const std::u16string& path, std::span<const std::uint8_t> bytes,
                         MissingFolder missingFolder = MissingFolder::Create);

// True when the path names an existing file (not a folder).
bool FileExists(const std::u16string& path);

// Deletes what interrupted atomic writes of path left behind: the temporary
// files "<path>.<digits>.tmp" beside it. Only call it while no other copy of
// the program writes there. Never throws; returns how many it removed.
int RemoveLeftoverTempFiles(const std::u16string& path);
// Whether name is such a temporary file of the file named fileName.
bool IsLeftoverTempName(std::u16string_view fileName, std::u16string_view name);

// Renames a file, never replacing another: returns false and changes nothing
// when the target exists already. Throws IoError on any other failure.
bool MoveFileNoReplace(const std::u16string& from, const std::u16string& to);

} // namespace keyvane
