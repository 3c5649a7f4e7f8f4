// Tests of the buffered stream and the buffered file stream: round trips and a randomized
// comparison with a plain memory stream, seeking, put-back, failing writes, and flushing on
// destruction.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "zip/Exceptions.h"
#include "zip/TS_BufferStream.h"
#include "zip/TStream.h"

namespace zip {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Pattern(std::size_t n, unsigned seed = 1) {
  Bytes out(n);
  std::mt19937 rng(seed);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

// A temporary folder removed at the end of the test.
class TempFolder {
 public:
  TempFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "ovz-bufstream-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

Bytes ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A memory stream that takes `budget` bytes in all and then refuses to write more.
class FailingStream : public TMemoryStream {
 public:
  explicit FailingStream(std::int64_t budget) : budget_(budget) {}
  std::int64_t Write(const void* buffer, std::int64_t count) override {
    std::int64_t n = std::min(count, budget_);
    budget_ -= n;
    return TMemoryStream::Write(buffer, n);
  }

 private:
  std::int64_t budget_;
};

// Counts the buffer's fill and flush notifications.
struct Counters {
  int fills = 0;
  int flushes = 0;
  void Attach(TS_BufferStream& s) {
    s.OnFill = [this](TS_BufferStream&) { ++fills; };
    s.OnFlush = [this](TS_BufferStream&) { ++flushes; };
  }
};

// Writes data through `s` in chunks of varying size, checking position and size as it goes, then
// reads it back from the start in other chunk sizes.
void RoundTrip(TS_BufferStream& s, const Bytes& data) {
  const std::size_t writeChunks[] = {1, 5, 13, 100, 3000};
  std::size_t done = 0;
  for (std::size_t i = 0; done < data.size(); ++i) {
    std::size_t n = std::min(writeChunks[i % 5], data.size() - done);
    ASSERT_EQ(s.Write(data.data() + done, static_cast<std::int64_t>(n)),
              static_cast<std::int64_t>(n));
    done += n;
    ASSERT_EQ(s.Position(), static_cast<std::int64_t>(done));
    ASSERT_EQ(s.Size(), static_cast<std::int64_t>(done));
  }
  ASSERT_EQ(s.Seek(0, soBeginning), 0);
  const std::size_t readChunks[] = {7, 1, 4096, 2};
  Bytes back(data.size() + 10);
  std::size_t got = 0;
  for (std::size_t i = 0;; ++i) {
    std::int64_t n = s.Read(back.data() + got, static_cast<std::int64_t>(readChunks[i % 4]));
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  back.resize(got);
  EXPECT_EQ(back, data);
  EXPECT_EQ(s.Position(), static_cast<std::int64_t>(data.size()));
}

TEST(BufferStream, RoundTripAcrossBufferSizes) {
  TempFolder dir;
  for (int bufferSize : {1, 8, 8192}) {
    for (std::size_t size : {1u, 7u, 8u, 9u, 4096u, 20000u}) {
      SCOPED_TRACE("buffer " + std::to_string(bufferSize) + ", data " + std::to_string(size));
      const Bytes data = Pattern(size, static_cast<unsigned>(size));
      TMemoryStream memory;
      {
        TS_BufferStream s(&memory, bufferSize);
        RoundTrip(s, data);
      }
      EXPECT_EQ(memory.Data(), data);

      const std::string path = dir.File("round" + std::to_string(bufferSize));
      {
        TLFNFileStream f(path, bufferSize, false, fmCreate);
        RoundTrip(f, data);
      }
      EXPECT_EQ(ReadWholeFile(path), data);
    }
  }
}

// Random reads, writes and seeks on the buffered stream and on a plain memory stream must give the
// same results, positions, sizes and final contents. Writing straight after reading is included.
// finalData receives what the wrapped stream must hold once s is destroyed.
void CompareWithPlainStream(TStream& s, int bufferSize, unsigned seed, Bytes& finalData) {
  std::mt19937 rng(seed);
  TMemoryStream model;
  const int maxLen = std::min(3 * bufferSize + 3, 200);
  for (int step = 0; step < 500; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    const std::int64_t size = model.Size();
    const std::int64_t pos = model.Position();
    switch (rng() % 4) {
      case 0:
      case 1: {
        Bytes data = Pattern(rng() % maxLen, rng());
        auto n = static_cast<std::int64_t>(data.size());
        ASSERT_EQ(s.Write(data.data(), n), n);
        model.Write(data.data(), n);
        break;
      }
      case 2: {
        auto n = static_cast<std::int64_t>(rng() % maxLen);
        Bytes got(static_cast<std::size_t>(n)), want(static_cast<std::size_t>(n));
        ASSERT_EQ(s.Read(got.data(), n), model.Read(want.data(), n));
        ASSERT_EQ(got, want);
        break;
      }
      default: {
        int origin = static_cast<int>(rng() % 3);
        std::int64_t target;
        if (origin == soBeginning) {
          target = static_cast<std::int64_t>(rng() % (size + 4));
          ASSERT_EQ(s.Seek(target, soBeginning), target);
        } else if (origin == soCurrent) {
          target = static_cast<std::int64_t>(rng() % (size + 4));
          ASSERT_EQ(s.Seek(target - pos, soCurrent), target);
        } else {
          std::int64_t back = static_cast<std::int64_t>(rng() % (size + 1));
          target = size - back;
          ASSERT_EQ(s.Seek(rng() % 2 ? back : -back, soEnd), target);
        }
        model.Seek(target, soBeginning);
      }
    }
    ASSERT_EQ(s.Position(), model.Position());
    ASSERT_EQ(s.Size(), model.Size());
  }
  // Everything reads back through the buffer as well.
  ASSERT_EQ(s.Seek(0, soBeginning), 0);
  Bytes all(model.Data().size() + 1);
  ASSERT_EQ(s.Read(all.data(), static_cast<std::int64_t>(all.size())),
            static_cast<std::int64_t>(model.Data().size()));
  all.pop_back();
  EXPECT_EQ(all, model.Data());
  // Leave some bytes pending for the destructor.
  s.Seek(0, soEnd);
  s.Write("tail", 4);
  model.Seek(0, soEnd);
  model.Write("tail", 4);
  finalData = model.Data();
}

TEST(BufferStream, RandomOperationsMatchAPlainStream) {
  TempFolder dir;
  for (int bufferSize : {1, 3, 8, 64}) {
    for (unsigned seed : {1u, 2u, 3u}) {
      SCOPED_TRACE("buffer " + std::to_string(bufferSize) + ", seed " + std::to_string(seed));
      Bytes expected;
      TMemoryStream memory;
      {
        TS_BufferStream s(&memory, bufferSize);
        CompareWithPlainStream(s, bufferSize, seed, expected);
      }
      EXPECT_EQ(memory.Data(), expected);

      const std::string path = dir.File("random");
      {
        TLFNFileStream f(path, bufferSize, false, fmCreate);
        CompareWithPlainStream(f, bufferSize, seed, expected);
      }
      EXPECT_EQ(ReadWholeFile(path), expected);
    }
  }
}

TEST(BufferStream, SeekFromEndCountsBackEitherSign) {
  const Bytes data = Pattern(100);
  struct Case {
    const char* what;
    std::int64_t seekFirst;  // -1: write all pending from the start
    std::int64_t writeLen;
    bool flush;
    std::int64_t expected;  // 22 bytes before the logical end
  } cases[] = {
      {"all pending", -1, 100, false, 78},
      {"all flushed", -1, 100, true, 78},
      {"pending inside the wrapped data", 10, 5, false, 78},
      {"pending past the wrapped end", 90, 20, false, 88},
  };
  for (const Case& c : cases) {
    for (std::int64_t offset : {22, -22}) {
      SCOPED_TRACE(std::string(c.what) + ", offset " + std::to_string(offset));
      TMemoryStream memory(c.seekFirst < 0 ? Bytes{} : data);
      TS_BufferStream s(&memory, 8192);
      if (c.seekFirst >= 0) s.Seek(c.seekFirst, soBeginning);
      s.Write(data.data(), c.writeLen);
      if (c.flush) s.FlushBuffer();
      ASSERT_EQ(s.Seek(offset, soEnd), c.expected);
      std::uint8_t b = 0;
      ASSERT_EQ(s.Read(&b, 1), 1);
      EXPECT_EQ(b, memory.Data()[static_cast<std::size_t>(c.expected)]);
    }
  }
}

TEST(BufferStream, SeekToTheCurrentPositionKeepsTheBuffer) {
  const Bytes data = Pattern(100);
  TMemoryStream memory(data);
  TS_BufferStream s(&memory, 16);
  Counters count;
  count.Attach(s);
  std::uint8_t buf[16];
  ASSERT_EQ(s.Read(buf, 3), 3);
  ASSERT_EQ(count.fills, 1);
  EXPECT_EQ(s.Seek(3, soBeginning), 3);
  EXPECT_EQ(s.Seek(0, soCurrent), 3);
  EXPECT_EQ(s.Seek(97, soEnd), 3);
  EXPECT_EQ(s.Position(), 3);
  ASSERT_EQ(s.Read(buf, 13), 13);
  EXPECT_EQ(count.fills, 1) << "the rest of the first buffer came from memory";
  EXPECT_EQ(buf[0], data[3]);
  ASSERT_EQ(s.Read(buf, 1), 1);
  EXPECT_EQ(count.fills, 2);
  // A different target drops the buffer and reads afresh.
  EXPECT_EQ(s.Seek(5, soBeginning), 5);
  EXPECT_EQ(s.GetState(), TS_BufferStream::bsIdle);
  ASSERT_EQ(s.Read(buf, 1), 1);
  EXPECT_EQ(buf[0], data[5]);
  EXPECT_EQ(count.fills, 3);

  // While writing, seeking to the position neither flushes nor drops the pending bytes.
  TMemoryStream out;
  TS_BufferStream w(&out, 16);
  count.Attach(w);
  w.Write("abcd", 4);
  EXPECT_EQ(w.Seek(4, soBeginning), 4);
  EXPECT_EQ(w.Seek(0, soEnd), 4);
  EXPECT_EQ(count.flushes, 0);
  EXPECT_TRUE(out.Data().empty());
  w.Write("ef", 2);
  EXPECT_EQ(w.Seek(1, soBeginning), 1);
  EXPECT_EQ(count.flushes, 1);
  EXPECT_EQ(std::string(out.Data().begin(), out.Data().end()), "abcdef");
}

TEST(BufferStream, InvalidSeekOriginNamesTheValue) {
  TMemoryStream memory(Pattern(10));
  TS_BufferStream s(&memory, 8);
  for (int origin : {3, -1, 42}) {
    try {
      s.Seek(0, origin);
      ADD_FAILURE() << "no error for origin " << origin;
    } catch (const Exception& e) {
      EXPECT_NE(std::string(e.what()).find(std::to_string(origin)), std::string::npos) << e.what();
    }
  }
}

TEST(BufferStream, PutBack) {
  TMemoryStream memory(Bytes{'a', 'b', 'c', 'd'});
  TS_BufferStream s(&memory, 8);
  EXPECT_THROW(s.PutBack('x'), EStreamError) << "nothing read yet";
  char buf[4] = {};
  ASSERT_EQ(s.Read(buf, 2), 2);
  s.PutBack('Y');
  EXPECT_EQ(s.Position(), 1);
  s.PutBack('X');
  EXPECT_EQ(s.Position(), 0);
  EXPECT_THROW(s.PutBack('W'), EStreamError) << "back at the buffer's start";
  ASSERT_EQ(s.Read(buf, 4), 4);
  EXPECT_EQ(std::string(buf, 4), "XYcd");
  s.Seek(1, soBeginning);
  EXPECT_THROW(s.PutBack('x'), EStreamError) << "a seek unsets the buffer";
}

TEST(BufferStream, StatesNotificationsAndWritingAfterReading) {
  TMemoryStream memory(Bytes{'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j'});
  TS_BufferStream s(&memory, 4);
  Counters count;
  count.Attach(s);
  EXPECT_EQ(s.GetState(), TS_BufferStream::bsIdle);
  char buf[3];
  ASSERT_EQ(s.Read(buf, 3), 3);
  EXPECT_EQ(s.GetState(), TS_BufferStream::bsReading);
  EXPECT_EQ(memory.Position(), 4);
  EXPECT_EQ(s.Position(), 3);
  ASSERT_EQ(s.Write("XY", 2), 2);  // lands at the logical position, not the wrapped one
  EXPECT_EQ(s.GetState(), TS_BufferStream::bsWriting);
  EXPECT_EQ(s.Position(), 5);
  EXPECT_EQ(s.Size(), 10);
  ASSERT_EQ(s.Read(buf, 1), 1);  // flushes first
  EXPECT_EQ(buf[0], 'f');
  EXPECT_EQ(count.flushes, 1);
  EXPECT_EQ(std::string(memory.Data().begin(), memory.Data().end()), "abcXYfghij");

  // Flushing while reading has nothing pending: the bytes read ahead are not written back.
  ASSERT_EQ(s.Read(buf, 1), 1);
  ASSERT_EQ(s.GetState(), TS_BufferStream::bsReading);
  EXPECT_TRUE(s.FlushBuffer());
  EXPECT_EQ(std::string(memory.Data().begin(), memory.Data().end()), "abcXYfghij");

  s.Seek(0, soEnd);
  EXPECT_FALSE(s.FillBuffer());
  EXPECT_EQ(s.GetState(), TS_BufferStream::bsIdle);
  s.Write("k", 1);
  EXPECT_TRUE(s.FlushBuffer());
  EXPECT_EQ(s.GetState(), TS_BufferStream::bsIdle);
  EXPECT_EQ(memory.Data().size(), 11u);
}

TEST(BufferStream, FailingFlushShowsOnlyWhenTheWriteOverflowed) {
  const Bytes data = Pattern(40);
  struct Case {
    std::int64_t budget;
    std::int64_t count;
    std::int64_t result;
    std::size_t stored;
  } cases[] = {
      {0, 5, 5, 0},       // fits in the buffer: nothing flushed yet
      {0, 8, 8, 0},       // exactly fills it: the failed flush does not show
      {0, 9, 8, 0},       // more than fits: short
      {4, 9, 8, 4},       // a partial flush fails too
      {8, 20, 16, 8},     // the first flush succeeds, the second fails
      {100, 20, 20, 16},  // control: nothing fails
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("budget " + std::to_string(c.budget) + ", count " + std::to_string(c.count));
    FailingStream target(c.budget);
    TS_BufferStream s(&target, 8);
    EXPECT_EQ(s.Write(data.data(), c.count), c.result);
    EXPECT_EQ(target.Data().size(), c.stored);
  }

  // Pending bytes that cannot be flushed make a seek elsewhere fail.
  for (std::int64_t budget : {0, 2}) {
    FailingStream target(budget);
    TS_BufferStream s(&target, 8);
    ASSERT_EQ(s.Write(data.data(), 5), 5);
    EXPECT_EQ(s.Seek(0, soCurrent), 5) << "no flush needed for the current position";
    EXPECT_THROW(s.Seek(0, soBeginning), Exception) << "budget " << budget;
  }
}

TEST(BufferStream, DestroyingFlushesPendingBytes) {
  TempFolder dir;
  const Bytes data = Pattern(100);
  for (bool flushOnClose : {false, true}) {
    const std::string path = dir.File(flushOnClose ? "synced" : "plain");
    {
      TLFNFileStream f(path, 64, flushOnClose, fmCreate);
      ASSERT_EQ(f.Write(data.data(), 100), 100);
      EXPECT_EQ(std::filesystem::file_size(path), 64u) << "36 bytes still pending";
      EXPECT_EQ(f.Size(), 100);
      EXPECT_EQ(f.Position(), 100);
    }
    EXPECT_EQ(ReadWholeFile(path), data);

    // Overwrite a few bytes in place, then read the file back through the buffer.
    {
      TLFNFileStream f(path, 16, flushOnClose, fmOpenReadWrite);
      f.Seek(10, soBeginning);
      f.Write("XYZ", 3);
    }
    Bytes expected = data;
    std::copy_n("XYZ", 3, expected.begin() + 10);
    {
      TLFNFileStream f(path, 16, flushOnClose, fmOpenRead | fmShareDenyWrite);
      EXPECT_EQ(f.Size(), 100);
      Bytes back(120);
      ASSERT_EQ(f.Read(back.data(), 120), 100);
      back.resize(100);
      EXPECT_EQ(back, expected);
    }
  }

  // A buffer over a memory stream flushes into it as well.
  TMemoryStream memory;
  {
    TS_BufferStream s(&memory, 64, true);
    s.Write(data.data(), 10);
    EXPECT_TRUE(memory.Data().empty());
  }
  EXPECT_EQ(memory.Data(), Bytes(data.begin(), data.begin() + 10));
}

TEST(BufferStream, OpeningAMissingFileFails) {
  TempFolder dir;
  const std::string path = dir.File("absent.zip");
  try {
    TLFNFileStream f(path, 0, false, fmOpenRead | fmShareDenyWrite);
    ADD_FAILURE() << "opened a missing file";
  } catch (const EFOpenError& e) {
    const std::string prefix = "Cannot open file \"" + path + "\".";
    EXPECT_EQ(std::string(e.what()).substr(0, prefix.size()), prefix) << e.what();
  }
}

}  // namespace
}  // namespace zip
