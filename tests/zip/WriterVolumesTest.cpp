// Multi-volume writing: numbered block files read back by the reader, headers never split across
// volumes, the final names, and the auxiliary directory file.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "TestSupport.h"
#include "zip/FileUtils.h"
#include "zip/TZipWriter.h"

using namespace zip;
namespace fs = std::filesystem;

namespace {
std::string Noise(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

struct VolumeCase {
  std::int64_t first, block;
  bool zfc;
};
}  // namespace

TEST(WriterVolumes, BlockFilesRoundTripThroughTheReader) {
  const VolumeCase cases[] = {
      {40000, 60000, false}, {1000, 1000, true}, {10000000, 10000000, false}};
  for (const auto& c : cases) {
    testsupport::TempDir tmp;
    testsupport::WriteFile(tmp / "src/a.bin", Noise(150000, 1));
    testsupport::WriteFile(tmp / "src/b.txt", std::string(70000, 'b'));
    testsupport::WriteFile(tmp / "src/empty.txt", "");
    TZipWriter w;
    w.SetMultiMode(mmBlocks);
    w.MultiZipInfo.FirstBlockSize = c.first;
    w.MultiZipInfo.BlockSize = c.block;
    w.MultiZipInfo.SaveZipInfoOnFirstDisk = c.zfc;
    w.SetZipName(tmp / "out/set.zip");
    fs::create_directories(tmp / "out");
    w.SetArchiveComment("spanning comment");
    w.FilesList = {tmp / "src/*"};
    ASSERT_EQ(w.Zip(), 3);

    std::vector<std::string> files;
    for (auto& f : fs::directory_iterator(tmp / "out")) files.push_back(f.path().filename());
    std::sort(files.begin(), files.end());
    if (c.first >= 1000000) {
      // One block: it takes the archive's own name.
      EXPECT_EQ(files, std::vector<std::string>{"set.zip"});
      EXPECT_EQ(w.ZipName(), tmp / "out/set.zip");
    } else {
      ASSERT_GT(files.size(), 2u);
      EXPECT_EQ(files[0], "set.001");
      EXPECT_EQ(w.ZipName(), tmp / ("out/" + files[files.size() - (c.zfc ? 2 : 1)]));
      EXPECT_EQ(c.zfc, fs::exists(tmp / "out/set.zfc"));
      EXPECT_LE(FileSizeOf(tmp / "out/set.001"), c.first);
      EXPECT_LE(FileSizeOf(tmp / "out/set.002"), c.block);
    }
    // The reader, opening the last volume, lists and extracts everything.
    TZipReader r;
    r.SetZipName(w.ZipName());
    r.LoadZipDirectory();
    ASSERT_EQ(r.EntryCount(), 3);
    EXPECT_EQ(r.ArchiveComment(), "spanning comment");
    r.SetDestDir(tmp / "back");
    r.DoAll = true;
    EXPECT_EQ(r.UnZip(), 3);
    for (const char* name : {"a.bin", "b.txt", "empty.txt"})
      EXPECT_EQ(testsupport::ReadFile(tmp / ("back/" + std::string(name))),
                testsupport::ReadFile(tmp / ("src/" + std::string(name))))
          << name;
  }
}
