// Archives made at test time by peer tools (Info-ZIP zip, 7-Zip, Python's zipfile, bsdtar) from a
// small source tree, then listed, tested and extracted by ovaruz-cli. The listing is compared with
// what Python's zipfile reads from the same archive, and the extracted tree with the source tree.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "InteropSupport.h"
#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::RunCli;
using testsupport::RunCommand;
using testsupport::ShellQuote;
using testsupport::TempDir;
using testsupport::WriteFile;
using namespace interopsupport;

// Prints one line per entry in the columns of "ovaruz-cli list --tsv", then a line
// "features\t..." naming what the archive uses, so each case can confirm that the peer wrote the
// kind of archive the case is about.
constexpr const char* kPythonLister = R"PY(
import struct, sys, zipfile

def has_zip64(extra):
    k = 0
    while k + 4 <= len(extra):
        tag, size = struct.unpack('<HH', extra[k:k + 4])
        if tag == 1:
            return True
        k += 4 + size
    return False

features = set()
with zipfile.ZipFile(sys.argv[1]) as zf:
    if zf.comment:
        features.add('comment')
    for i in zf.infolist():
        name = i.filename
        if i.flag_bits & 0x800:
            features.add('utf8')
        else:
            # zipfile decodes unflagged names as CP437; peers on Linux put the raw UTF-8 bytes there.
            try:
                name = name.encode('cp437').decode('utf-8')
            except UnicodeError:
                pass
        if i.flag_bits & 8:
            features.add('descriptor')
        if i.flag_bits & 1:
            features.add('encrypted')
        features.add({0: 'stored', 8: 'deflate'}.get(i.compress_type, 'method%d' % i.compress_type))
        zf.fp.seek(i.header_offset)
        local = zf.fp.read(30)
        name_len, extra_len = struct.unpack('<HH', local[26:30])
        local_extra = zf.fp.read(name_len + extra_len)[name_len:]
        if has_zip64(local_extra) or has_zip64(i.extra):
            features.add('zip64')
        print('\t'.join([name, str(i.file_size), str(i.compress_size), str(i.compress_type),
                         '%08x' % i.CRC, '%04d-%02d-%02d %02d:%02d:%02d' % i.date_time,
                         str(i.flag_bits & 1)]))
print('features\t' + ' '.join(sorted(features)))
)PY";

// Writes the current folder into the archive argv[1] ("-" for standard output) in the way argv[2]
// names: stored, deflated, zip64 (sizes forced into ZIP64 fields) or comments (archive and entry
// comments).
constexpr const char* kPythonWriter = R"PY(
import os, sys, zipfile

arc, mode = sys.argv[1], sys.argv[2]
method = zipfile.ZIP_STORED if mode == 'stored' else zipfile.ZIP_DEFLATED
with zipfile.ZipFile(sys.stdout.buffer if arc == '-' else arc, 'w', method) as zf:
    if mode == 'comments':
        zf.comment = b'archive comment'
    for root, dirs, files in os.walk('.'):
        dirs.sort()
        for name in sorted(dirs) + sorted(files):
            path = os.path.relpath(os.path.join(root, name), '.')
            if mode == 'zip64' and os.path.isfile(path):
                info = zipfile.ZipInfo.from_file(path, path)
                info.compress_type = method
                with open(path, 'rb') as src, zf.open(info, 'w', force_zip64=True) as dst:
                    dst.write(src.read())
            else:
                zf.write(path, path)
            if mode == 'comments':
                zf.getinfo(zf.namelist()[-1]).comment = ('about ' + path).encode()
)PY";

// A few text files (one large enough to compress well), a binary file of pseudo-random bytes, an
// empty file, nested and empty folders and a non-ASCII UTF-8 name, all with kSourceTime.
void BuildSourceTree(const fs::path& root) {
  std::string lines;
  for (int i = 0; i < 3000; ++i) lines += "line " + std::to_string(i) + " of a compressible file\n";
  WriteFile(root / "a.txt", "hello, world\n");
  WriteFile(root / "docs/lines.txt", lines);
  WriteFile(root / "data/random.bin", PseudoRandomBytes(300 * 1024));
  WriteFile(root / "empty.txt", "");
  WriteFile(root / "nested/deeper/deepest/leaf.txt", "a leaf\r\nwith CRLF\r\n");
  WriteFile(root / kNonAsciiFile, "Grüße aus Köln\n");
  fs::create_directories(root / "empty-dir");
  for (const auto& e : fs::recursive_directory_iterator(root)) SetTime(e.path(), kSourceTime);
}

struct TreeItem {
  bool dir;
  std::string content;
  fs::file_time_type mtime;
};

// Every file and folder below root by relative "/"-separated path; folders end with "/".
std::map<std::string, TreeItem> ReadTree(const fs::path& root) {
  std::map<std::string, TreeItem> tree;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    std::string rel = fs::relative(e.path(), root).generic_string();
    if (e.is_directory())
      tree[rel + "/"] = {true, {}, {}};
    else
      tree[rel] = {false, ReadFile(e.path().string()), e.last_write_time()};
  }
  return tree;
}

std::vector<std::string> Keys(const std::map<std::string, TreeItem>& tree) {
  std::vector<std::string> keys;
  for (const auto& [k, v] : tree) keys.push_back(k);
  return keys;
}

std::vector<std::string> RegularFiles(const fs::path& root) {
  std::vector<std::string> files;
  if (!fs::exists(root)) return files;
  for (const auto& [k, v] : ReadTree(root))
    if (!v.dir) files.push_back(k);
  return files;
}

struct PeerCase {
  const char* id;
  const char* tool;  // "7z" stands for whichever 7-Zip command is installed
  // Shell command run in the source folder; $ARC is the archive to write, $SEVENZIP the 7-Zip
  // command, $PYWRITER the Python writer script.
  const char* command;
  const char* password;
  std::set<std::string> features;  // what the archive must use, as the lister names it
  const char* comment = "";        // the archive comment the peer writes
  // When set, the archive holds only this source file, read from standard input (named "-").
  const char* stdinFile = "";
};

void PrintTo(const PeerCase& c, std::ostream* os) {
  *os << c.command;
}

const PeerCase kCases[] = {
    {"ZipDeflate", "zip", "zip -qr \"$ARC\" .", "", {"deflate"}},
    {"ZipStored", "zip", "zip -0 -qr \"$ARC\" .", "", {"stored"}},
    {"ZipTraditionalEncryption", "zip", "zip -qr -P pass \"$ARC\" .", "pass", {"encrypted"}},
    {"ZipForcedZip64", "zip", "zip -qr -fz \"$ARC\" .", "", {"zip64"}},
    {"ZipStreamedToPipe", "zip", "zip -qr - . | cat > \"$ARC\"", "", {"descriptor"}},
    // Bytes before the archive (a self-extractor stub) shift every offset.
    {"ZipAfterAStub",
     "zip",
     "zip -qr ../plain.zip . && { printf 'STUB-BEFORE-THE-ARCHIVE'; cat ../plain.zip; } > \"$ARC\"",
     "",
     {"deflate"}},
    {"ZipFromStdin",
     "zip",
     "cat data/random.bin | zip -q - - | cat > \"$ARC\"",
     "",
     {"descriptor", "zip64"},
     "",
     "data/random.bin"},
    {"SevenZipDeflate", "7z", "$SEVENZIP a -tzip \"$ARC\" . >/dev/null", "", {"deflate"}},
    {"SevenZipZipCrypto",
     "7z",
     "$SEVENZIP a -tzip -mem=ZipCrypto -ppass \"$ARC\" . >/dev/null",
     "pass",
     {"encrypted"}},
    {"SevenZipUtf8Names", "7z", "$SEVENZIP a -tzip -mcu=on \"$ARC\" . >/dev/null", "", {"utf8"}},
    {"PythonStored", "python3", "python3 \"$PYWRITER\" \"$ARC\" stored", "", {"stored", "utf8"}},
    {"PythonDeflated", "python3", "python3 \"$PYWRITER\" \"$ARC\" deflated", "", {"deflate"}},
    {"PythonForcedZip64", "python3", "python3 \"$PYWRITER\" \"$ARC\" zip64", "", {"zip64"}},
    {"PythonStreamedToPipe",
     "python3",
     "python3 \"$PYWRITER\" - deflated | cat > \"$ARC\"",
     "",
     {"descriptor"}},
    {"PythonComments",
     "python3",
     "python3 \"$PYWRITER\" \"$ARC\" comments",
     "",
     {"comment"},
     "archive comment"},
    {"BsdtarDeflate",
     "bsdtar",
     "bsdtar --format zip -cf \"$ARC\" .",
     "",
     {"descriptor", "deflate"}},
    {"BsdtarStored",
     "bsdtar",
     "bsdtar --format zip --options zip:compression=store -cf \"$ARC\" .",
     "",
     {"descriptor", "stored"}},
    {"BsdtarZipCrypt",
     "bsdtar",
     "bsdtar --format zip --options zip:encryption=zipcrypt --passphrase pass -cf \"$ARC\" .",
     "pass",
     {"encrypted"}},
};

class PeerArchives : public ::testing::TestWithParam<PeerCase> {
 protected:
  void SetUp() override {
    BuildSourceTree(src_);
    WriteFile(tmp_ / "lister.py", kPythonLister);
    WriteFile(tmp_ / "writer.py", kPythonWriter);
  }

  // Runs the case's command in the source folder.
  void MakeArchive(const PeerCase& c) {
    std::string cmd = "cd " + ShellQuote(src_.string()) + " && ARC=" + ShellQuote(archive_) +
                      " SEVENZIP=" + SevenZip() + " PYWRITER=" + ShellQuote(tmp_ / "writer.py") +
                      " && " + c.command;
    auto r = RunCommand("sh -c " + ShellQuote(cmd));
    ASSERT_EQ(r.status, 0) << c.command << "\n" << r.output;
  }

  std::string PasswordArgs(const std::string& password) const {
    return password.empty() ? std::string() : " --password " + ShellQuote(password);
  }

  TempDir tmp_;
  fs::path src_ = tmp_.Path() / "src";
  std::string archive_ = tmp_ / "peer.zip";
};

TEST_P(PeerArchives, ListTestAndExtractMatchThePeer) {
  const PeerCase& c = GetParam();
  REQUIRE_TOOL("python3");
  const std::string tool = std::string(c.tool) == "7z" ? SevenZip() : c.tool;
  REQUIRE_TOOL(tool);
  ASSERT_NO_FATAL_FAILURE(MakeArchive(c));

  // The listing, row for row, as Python's zipfile reads the archive.
  auto py = RunCommand("python3 " + ShellQuote(tmp_ / "lister.py") + " " + ShellQuote(archive_));
  ASSERT_EQ(py.status, 0) << py.output;
  std::vector<std::string> expected = Lines(py.output);
  ASSERT_FALSE(expected.empty());
  std::set<std::string> features;
  std::istringstream featureLine(expected.back().substr(expected.back().find('\t') + 1));
  for (std::string f; featureLine >> f;) features.insert(f);
  expected.pop_back();
  for (const auto& f : c.features)
    EXPECT_TRUE(features.contains(f))
        << "the peer did not write the kind of archive this case is about: " << f;

  auto list = RunCli("list --tsv " + ShellQuote(archive_));
  ASSERT_EQ(list.status, 0) << list.output;
  std::vector<std::string> ours = Lines(list.output);
  ASSERT_FALSE(ours.empty());
  EXPECT_EQ(ours.front(), "name\tsize\tpacked\tmethod\tcrc32\tmodified\tencrypted");
  ours.erase(ours.begin());
  EXPECT_EQ(std::multiset<std::string>(ours.begin(), ours.end()),
            std::multiset<std::string>(expected.begin(), expected.end()));

  if (*c.comment) {
    auto plain = RunCli("list " + ShellQuote(archive_));
    EXPECT_NE(plain.output.find(std::string("\nComment: ") + c.comment + "\n"), std::string::npos)
        << plain.output;
  }

  // Every non-folder entry decodes with a matching CRC.
  int files = 0;
  for (const auto& row : expected) files += row.substr(0, row.find('\t')).ends_with("/") ? 0 : 1;
  auto test = RunCli("test " + ShellQuote(archive_) + PasswordArgs(c.password));
  EXPECT_EQ(test.status, 0) << test.output;
  EXPECT_NE(test.output.find("tested " + std::to_string(files) + " entries, 0 errors"),
            std::string::npos)
      << test.output;

  // Extraction reproduces the source tree: the same files and folders, the same bytes and, where
  // the peer took them from the files, the same modification times.
  fs::path reference = src_;
  if (*c.stdinFile) {
    reference = tmp_.Path() / "stdin-reference";
    WriteFile(reference / "-", ReadFile(src_ / c.stdinFile));
  }
  fs::path out = tmp_.Path() / "out";
  auto extract =
      RunCli("extract " + ShellQuote(archive_) + " " + ShellQuote(out) + PasswordArgs(c.password));
  EXPECT_EQ(extract.status, 0) << extract.output;
  auto want = ReadTree(reference);
  auto got = ReadTree(out);
  EXPECT_EQ(Keys(got), Keys(want));
  for (const auto& [name, item] : want) {
    auto it = got.find(name);
    if (item.dir || it == got.end()) continue;
    EXPECT_TRUE(it->second.content == item.content) << "content differs: " << name;
    if (!*c.stdinFile) {
      EXPECT_TRUE(it->second.mtime == item.mtime) << "time differs: " << name;
    }
  }

  // A wrong password fails both commands and writes none of the encrypted files. (An empty file is
  // let through: with a 1 in 256 chance its check byte matches, and nothing can then tell.)
  if (*c.password) {
    const std::string wrong = PasswordArgs(std::string("not-") + c.password);
    auto badTest = RunCli("test " + ShellQuote(archive_) + wrong);
    EXPECT_EQ(badTest.status, 1) << badTest.output;
    fs::path badOut = tmp_.Path() / "bad";
    auto badExtract = RunCli("extract " + ShellQuote(archive_) + " " + ShellQuote(badOut) + wrong);
    EXPECT_EQ(badExtract.status, 1) << badExtract.output;
    std::vector<std::string> written = RegularFiles(badOut);
    std::erase(written, "empty.txt");
    EXPECT_EQ(written, std::vector<std::string>{}) << badExtract.output;
  }
}

INSTANTIATE_TEST_SUITE_P(Peers, PeerArchives, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.id); });

// Extraction over an existing tree, and extraction of the entries a pattern selects, on one
// archive made by Info-ZIP zip.
class PeerArchiveExtract : public PeerArchives {
 protected:
  void SetUp() override {
    PeerArchives::SetUp();
    if (!testsupport::HaveTool("zip")) return;
    MakeArchive(kCases[0]);
  }
};

TEST_F(PeerArchiveExtract, OverwriteNeverKeepsAndAlwaysReplacesExistingFiles) {
  REQUIRE_TOOL("zip");
  const std::string out = tmp_ / "out";
  ASSERT_EQ(RunCli("extract " + ShellQuote(archive_) + " " + ShellQuote(out)).status, 0);
  WriteFile(out + "/a.txt", "changed by the user\n");
  WriteFile(out + "/" + kNonAsciiFile, "also changed\n");
  fs::remove(out + "/docs/lines.txt");

  auto never =
      RunCli("extract " + ShellQuote(archive_) + " " + ShellQuote(out) + " --overwrite never");
  EXPECT_EQ(never.status, 0) << never.output;
  EXPECT_EQ(ReadFile(out + "/a.txt"), "changed by the user\n");
  EXPECT_EQ(ReadFile(out + "/" + kNonAsciiFile), "also changed\n");
  EXPECT_TRUE(ReadFile(out + "/docs/lines.txt") == ReadFile(src_ / "docs/lines.txt"))
      << "a missing file is still extracted";

  auto always =
      RunCli("extract " + ShellQuote(archive_) + " " + ShellQuote(out) + " --overwrite always");
  EXPECT_EQ(always.status, 0) << always.output;
  EXPECT_EQ(ReadFile(out + "/a.txt"), "hello, world\n");
  EXPECT_EQ(ReadFile(out + "/" + kNonAsciiFile), ReadFile(src_ / kNonAsciiFile));
}

TEST_F(PeerArchiveExtract, PatternsSelectOnlyMatchingEntries) {
  REQUIRE_TOOL("zip");
  struct Case {
    std::string patterns;  // already quoted for the shell
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {"'nested/*'", {"nested/deeper/deepest/leaf.txt"}},
      {"'*.bin' 'a.txt'", {"a.txt", "data/random.bin"}},
      {"'*.txt'",
       {"a.txt", "docs/lines.txt", "empty.txt", kNonAsciiFile, "nested/deeper/deepest/leaf.txt"}},
      {ShellQuote("grüße/*"), {kNonAsciiFile}},
      {"'no-such-entry'", {}},
  };
  int n = 0;
  for (const auto& c : cases) {
    const std::string out = tmp_ / ("out" + std::to_string(n++));
    auto r = RunCli("extract " + ShellQuote(archive_) + " " + ShellQuote(out) + " " + c.patterns);
    EXPECT_EQ(r.status, 0) << c.patterns << "\n" << r.output;
    EXPECT_EQ(RegularFiles(out), c.files) << c.patterns;
    for (const auto& f : c.files) EXPECT_TRUE(ReadFile(out + "/" + f) == ReadFile(src_ / f)) << f;
  }
}

}  // namespace

// Info-ZIP's streamed ZIP64 output holds only markers in its end record and no ZIP64 end record;
// Python's zipfile cannot read it. The directory is found from the end record's position.
TEST_F(PeerArchiveExtract, StreamedZip64FromInfoZipExtracts) {
  REQUIRE_TOOL("zip");
  const std::string arc = tmp_ / "streamed64.zip";
  auto made = RunCommand("cd " + ShellQuote(src_.string()) + " && zip -qr -fz - . | cat > " +
                         ShellQuote(arc));
  ASSERT_EQ(made.status, 0) << made.output;
  const std::string out = tmp_ / "out64";
  auto r = RunCli("extract " + ShellQuote(arc) + " " + ShellQuote(out));
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(RegularFiles(out), RegularFiles(src_));
  for (const auto& f : RegularFiles(src_))
    EXPECT_TRUE(ReadFile(out + "/" + f) == ReadFile((src_ / f).string())) << f;
}
