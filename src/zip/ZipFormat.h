// Constants of the ZIP format: record signatures and sizes, flag bits, methods, ZIP64 markers.
#pragma once

#include <cstdint>

namespace zip {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50;
inline constexpr std::uint32_t kEndCentralSignature = 0x06054B50;
inline constexpr std::uint32_t kZip64EndSignature = 0x06064B50;
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;
inline constexpr std::uint32_t kDataDescriptorSignature = 0x08074B50;

inline constexpr int kLocalHeaderSize = 30;
inline constexpr int kCentralHeaderSize = 46;
inline constexpr int kEndCentralSize = 22;
inline constexpr int kZip64EndSize = 56;
inline constexpr int kZip64LocatorSize = 20;
inline constexpr int kMaxCommentLength = 65535;

inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
inline constexpr std::uint16_t kFlagMaximum = 0x0002;  // deflated at level 8 or 9
inline constexpr std::uint16_t kFlagFast = 0x0004;     // deflated at level 1 or 2
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;

inline constexpr std::uint16_t kMethodStored = 0;
inline constexpr std::uint16_t kMethodDeflated = 8;

inline constexpr std::uint16_t kZip64ExtraId = 0x0001;
inline constexpr std::uint32_t kZip64Marker32 = 0xFFFFFFFF;
inline constexpr std::uint16_t kZip64Marker16 = 0xFFFF;
inline constexpr std::uint16_t kVersionZip64 = 45;

// Host systems in the high byte of "version made by".
inline constexpr int kHostMsDos = 0;
inline constexpr int kHostUnix = 3;

}  // namespace zip
