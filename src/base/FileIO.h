// Whole-file reads and atomic whole-file writes: the only way the program
// touches its data files. Both throw IoError naming the file and the reason.
#pragma once

#include "base/Errors.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace keyvane {

// Files larger than this are refused rather than read into memory: no file
// the program writes comes near it, so it can only be damage or mischief.
inline constexpr std::uint64_t kMaxDataFileBytes = 64ull * 1024 * 1024;

std::vector<std::uint8_t> ReadWholeFile(const std::u16string& path);

// Writes to a temporary file beside the target, flushes it to disk and then
// replaces the target in one step, so a failure at any point leaves the old
// file as it was. Creates the parent folder when it is missing, unless told
// not to (the write then fails).
enum class MissingFolder { Create, Fail };
void WriteFileAtomically(const std::u16string& path, std::span<const std::uint8_t> bytes,
                         MissingFolder missingFolder = MissingFolder::Create);

// True when the path names an existing file (not a folder).
bool FileExists(const std::u16string& path);

// Renames a file, never replacing another: returns false and changes nothing
// when the target exists already. Throws IoError on any other failure.
bool MoveFileNoReplace(const std::u16string& from, const std::u16string& to);

} // namespace keyvane
