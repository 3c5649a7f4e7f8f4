// The Shrink (method 1) decoder: LZW with 9- to 13-bit codes whose size the compressor raises
// explicitly (control code 256 then 1), and whose table it prunes by freeing the leaf entries
// (control code 256 then 2) instead of clearing it.
#include <array>
#include <memory>

#include "zip/LegacyBitIo.h"
#include "zip/LegacyDecoders.h"

namespace zip {

namespace {

constexpr int kInitialBits = 9;
constexpr int kMaxBits = 13;
constexpr unsigned kCodes = 1u << kMaxBits;  // 8192
constexpr unsigned kControl = 256;
constexpr unsigned kFirstEntry = 257;  // the first code the table assigns
constexpr unsigned kRaiseCodeSize = 1;
constexpr unsigned kPartialClear = 2;

// The string table. Entry c (257 and up) stands for the string of prefix[c] followed by
// suffix[c]; codes below 256 stand for themselves. Freed entries keep their contents.
class ShrinkTable {
 public:
  ShrinkTable() {
    used_.fill(false);
    prefix_.fill(0);
    suffix_.fill(0);
  }

  bool Known(unsigned code) const { return code < kControl || (code < kCodes && used_[code]); }
  // The lowest unused entry, or kCodes when the table is full.
  unsigned NextFree() const { return nextFree_; }

  // Fills the lowest unused entry (if any) with prefix + suffix.
  void Add(unsigned prefix, std::uint8_t suffix) {
    if (nextFree_ >= kCodes) return;
    prefix_[nextFree_] = static_cast<std::uint16_t>(prefix);
    suffix_[nextFree_] = suffix;
    used_[nextFree_] = true;
    FindNextFree(nextFree_ + 1);
  }

  // Frees every used entry no other used entry names as its prefix.
  void PartialClear() {
    std::array<bool, kCodes> isPrefix{};
    for (unsigned c = kFirstEntry; c < kCodes; ++c) {
      if (used_[c]) isPrefix[prefix_[c]] = true;
    }
    for (unsigned c = kFirstEntry; c < kCodes; ++c) {
      if (!isPrefix[c]) used_[c] = false;
    }
    FindNextFree(kFirstEntry);
  }

  // Spells code's string into the end of the scratch buffer; returns its start there, or -1 when
  // the entries form a loop or lead to the control code.
  int Spell(unsigned code) {
    unsigned pos = kCodes;
    while (code >= kFirstEntry) {
      if (pos == 1) return -1;  // longer than any loop-free chain can be
      scratch_[--pos] = suffix_[code];
      code = prefix_[code];
    }
    if (code == kControl) return -1;
    scratch_[--pos] = static_cast<std::uint8_t>(code);
    return static_cast<int>(pos);
  }
  const std::uint8_t* Scratch() const { return scratch_.data(); }

 private:
  void FindNextFree(unsigned from) {
    nextFree_ = from;
    while (nextFree_ < kCodes && used_[nextFree_]) ++nextFree_;
  }

  std::array<bool, kCodes> used_;
  std::array<std::uint16_t, kCodes> prefix_;
  std::array<std::uint8_t, kCodes> suffix_;
  std::array<std::uint8_t, kCodes> scratch_;
  unsigned nextFree_ = kFirstEntry;
};

}  // namespace

DecodeStatus Unshrink(const DecoderInput& in, const DecoderOutput& out,
                      std::int64_t uncompressedSize) {
  if (uncompressedSize < 0) return DecodeStatus::DataError;
  legacy::BitReader reader(in);
  legacy::OutputWindow window(out, uncompressedSize);
  auto table = std::make_unique<ShrinkTable>();

  int codeSize = kInitialBits;
  bool havePrevious = false;
  unsigned previous = 0;
  std::uint8_t previousFirst = 0;  // first byte of the previous code's string
  while (!window.Done()) {
    unsigned code = reader.Bits(codeSize);
    if (reader.Overrun()) break;
    if (code == kControl) {
      unsigned action = reader.Bits(codeSize);
      if (reader.Overrun()) break;
      if (action == kRaiseCodeSize && codeSize < kMaxBits) {
        ++codeSize;
      } else if (action == kPartialClear) {
        table->PartialClear();
      } else {
        return legacy::FinalStatus(window, false);
      }
      continue;
    }
    bool early = false;
    if (!havePrevious) {
      if (code >= kControl) return legacy::FinalStatus(window, false);
    } else if (!table->Known(code)) {
      // Only the entry about to be made may be used early: the previous string plus its own
      // first byte.
      if (code != table->NextFree()) return legacy::FinalStatus(window, false);
      table->Add(previous, previousFirst);
      early = true;
    }
    int start = table->Spell(code);
    if (start < 0) return legacy::FinalStatus(window, false);
    const std::uint8_t* text = table->Scratch();
    if (havePrevious && !early) table->Add(previous, text[start]);
    for (unsigned i = static_cast<unsigned>(start); i < kCodes; ++i) window.Put(text[i]);
    havePrevious = true;
    previous = code;
    previousFirst = text[start];
  }
  return legacy::FinalStatus(window, window.Done());
}

}  // namespace zip
