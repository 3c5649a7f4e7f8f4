// Name encodings of ZIP archives. Names are UTF-8 in memory. Written names are ASCII as they are,
// or UTF-8 with general purpose flag bit 11; read names are decoded by DecodeEntryName.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zip {

inline constexpr std::uint16_t kFlagUtf8 = 0x0800;

// Converts IBM code page 437 bytes to UTF-8.
std::string Cp437ToUtf8(std::string_view bytes);
bool IsAscii(std::string_view text);
bool IsValidUtf8(std::string_view text);

// Decodes a stored name: flag bit 11 means UTF-8; an MS-DOS host (host 0) means CP437; another
// host, or no host (host -1, a local header), means UTF-8 when the bytes are valid UTF-8, CP437
// otherwise.
std::string DecodeEntryName(std::string_view raw, std::uint16_t flag, int host);

}  // namespace zip
