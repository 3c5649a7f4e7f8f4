// Entries of the source lists (what a project backs up and leaves out): telling a single file
// from a folder-and-pattern entry, and composing the latter.
#pragma once

#include <string>
#include <string_view>

namespace core {

// True for a file entry: its name part (after the last separator) is not empty and holds none of
// "*", "?", "<", ">". Anything else is a wildcard entry.
bool IsFileEntry(std::string_view entry);

// The wildcard entry for a folder and a pattern: the folder with a trailing separator (none
// added when it already ends with one), then the trimmed pattern.
std::string WildcardEntry(std::string_view folder, std::string_view pattern);

}  // namespace core
