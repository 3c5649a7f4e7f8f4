// Wildcard matching of archive entry names and file names against user-supplied masks.
#pragma once

#include <string_view>

namespace zip {

// True when text matches pattern, ignoring the case of ASCII letters. In the pattern "?" stands
// for any one byte, "*" for any run of bytes, and "<...>" for one byte from a set of single bytes
// and inclusive ranges "x-y"; a set opened with "!" or "^" takes any byte outside it. A set
// directly after "*" ("*<...>") also restricts the bytes the star may pass over. There is no
// escape character, so "\" is literal and full paths can be matched. Malformed sets never match.
// Safe to call concurrently.
bool MatchWildcard(std::string_view pattern, std::string_view text);

// True when text contains any of the mask characters "*", "?", "<", ">" or "|".
bool HasWildcard(std::string_view text);

}  // namespace zip
