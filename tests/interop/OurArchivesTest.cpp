// Archives made by "ovaruz-cli create" from a small source tree, with a table of option sets,
// then checked, listed and extracted by the peers (Info-ZIP unzip and zipinfo, 7-Zip, Python's
// zipfile, bsdtar) and by ovaruz-cli itself. Also: updating archives (ours, several times, and
// the peers'), a large file, and many entries (ZIP64 by count).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
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

// Prints one line per entry: name, flag bits, method, host system, Unix mode (octal), size; then
// "comment\t" and the archive comment.
constexpr const char* kPythonInfo = R"PY(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as zf:
    for i in zf.infolist():
        print('\t'.join([i.filename, str(i.flag_bits), str(i.compress_type), str(i.create_system),
                         '%o' % (i.external_attr >> 16), str(i.file_size)]))
    print('comment\t' + zf.comment.decode('utf-8'))
)PY";

// Reads every entry (with the password argv[2] when given) and checks its CRC; with argv[3],
// extracts everything below that folder.
constexpr const char* kPythonCheck = R"PY(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as zf:
    if len(sys.argv) > 2 and sys.argv[2]:
        zf.setpassword(sys.argv[2].encode())
    bad = zf.testzip()
    if bad is not None:
        sys.exit('bad entry: ' + bad)
    if len(sys.argv) > 3:
        zf.extractall(sys.argv[3])
    print(len(zf.infolist()))
)PY";

// The Python interpreter itself, quoted for the shell: a version manager's "python3" wrapper can
// take most of a second to start.
const std::string& Python() {
  static const std::string python = [] {
    auto r = RunCommand("python3 -c 'import sys; print(sys.executable)'");
    std::string path = r.output.substr(0, r.output.find('\n'));
    return r.status == 0 && !path.empty() ? ShellQuote(path) : std::string("python3");
  }();
  return python;
}

// Text files (one compressible), a backup file in two places, pseudo-random data (large, and
// small enough to be stored), an empty file, a non-ASCII name, an executable script, nested and
// empty folders; every item with kSourceTime.
void BuildSourceTree(const fs::path& root) {
  std::string lines;
  for (int i = 0; i < 3000; ++i) lines += "line " + std::to_string(i) + " of a compressible file\n";
  WriteFile(root / "a.txt", "hello, world\n");
  WriteFile(root / "docs/lines.txt", lines);
  WriteFile(root / "docs/old.bak", "backup\n");
  WriteFile(root / "top.bak", "top backup\n");
  WriteFile(root / "data/random.bin", PseudoRandomBytes(300 * 1024));
  WriteFile(root / "data/small.bin", PseudoRandomBytes(1000, 7));
  WriteFile(root / "empty.txt", "");
  WriteFile(root / "nested/deeper/deepest/leaf.txt", "a leaf\r\nwith CRLF\r\n");
  WriteFile(root / kNonAsciiFile, "Grüße aus Köln\n");
  WriteFile(root / "tools/run.sh", "#!/bin/sh\necho run\n");
  fs::permissions(root / "tools/run.sh", fs::perms(0755));
  fs::create_directories(root / "empty-dir");
  for (const auto& e : fs::recursive_directory_iterator(root)) SetTime(e.path(), kSourceTime);
}

// Every regular file below root by relative "/"-separated path, with its content.
std::map<std::string, std::string> ReadFiles(const fs::path& root) {
  std::map<std::string, std::string> files;
  if (!fs::exists(root)) return files;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (e.is_regular_file())
      files[fs::relative(e.path(), root).generic_string()] = ReadFile(e.path().string());
  return files;
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string f; std::getline(in, f, '\t');) fields.push_back(f);
  return fields;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at))
    text.replace(at, from.size(), to), at += to.size();
  return text;
}

// The leading "/" is never stored.
std::string Stored(const std::string& path) {
  return path.substr(path.find_first_not_of('/'));
}

struct PyEntry {
  int flag = 0, method = 0, system = 0;
  unsigned mode = 0;
  long long size = 0;
};

struct PyInfo {
  std::map<std::string, PyEntry> entries;
  std::string comment;
  int rows = 0;
};

PyInfo ReadInfo(const std::string& script, const std::string& archive) {
  PyInfo info;
  auto r = RunCommand(Python() + " " + ShellQuote(script) + " " + ShellQuote(archive));
  EXPECT_EQ(r.status, 0) << r.output;
  for (const auto& line : Lines(r.output)) {
    auto f = Split(line);
    if (!f.empty() && f[0] == "comment") {
      info.comment = f.size() > 1 ? f[1] : "";
      continue;
    }
    if (f.size() != 6) continue;
    info.entries[f[0]] = {std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[3]),
                          static_cast<unsigned>(std::stoul(f[4], nullptr, 8)), std::stoll(f[5])};
    ++info.rows;
  }
  return info;
}

// For each tool whose extracted files differ from want: the names missing, different or extra.
std::map<std::string, std::vector<std::string>> Differences(
    const std::map<std::string, std::map<std::string, std::string>>& trees,
    const std::map<std::string, std::string>& want) {
  std::map<std::string, std::vector<std::string>> diffs;
  for (const auto& [tool, got] : trees) {
    for (const auto& [name, content] : want) {
      auto it = got.find(name);
      if (it == got.end())
        diffs[tool].push_back("missing " + name);
      else if (it->second != content)
        diffs[tool].push_back("different " + name);
    }
    for (const auto& [name, content] : got)
      if (!want.contains(name)) diffs[tool].push_back("extra " + name);
  }
  return diffs;
}

// A source tree and the peers' scripts in a temporary folder.
class OurArchives : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildSourceTree(src_);
    WriteFile(tmp_ / "info.py", kPythonInfo);
    WriteFile(tmp_ / "check.py", kPythonCheck);
  }

  // Runs "ovaruz-cli create" with the arguments ("$SRC" stands for the source folder); checks
  // the exit status and the summary line.
  void Create(const std::string& archive, const std::vector<std::string>& args, int entries = -1) {
    std::string line = "create " + ShellQuote(archive);
    for (const auto& a : args) line += " " + ShellQuote(Replace(a, "$SRC", src_.string()));
    auto r = RunCli(line);
    ASSERT_EQ(r.status, 0) << line << "\n" << r.output;
    if (entries >= 0) {
      const std::string summary = "wrote " + std::to_string(entries) +
                                  (entries == 1 ? " entry to " : " entries to ") + archive + " (" +
                                  std::to_string(fs::file_size(archive)) + " bytes, ";
      EXPECT_NE(r.output.find(summary), std::string::npos) << summary << "\n" << r.output;
    }
  }

  // unzip, 7-Zip, Python and bsdtar each check every entry; returns what failed.
  std::string PeersTest(const std::string& archive, const std::string& password = "") {
    std::string failures;
    auto run = [&](const std::string& what, const std::string& cmd) {
      auto r = RunCommand(cmd);
      if (r.status != 0) failures += what + " (" + std::to_string(r.status) + "): " + r.output;
    };
    const std::string a = ShellQuote(archive);
    const std::string pw = ShellQuote(password);
    run("unzip -t", "unzip -tq " + (password.empty() ? "" : "-P " + pw + " ") + a);
    run("7z t", SevenZip() + " t " + (password.empty() ? "" : "-p" + pw + " ") + a);
    run("python testzip", Python() + " " + ShellQuote(tmp_ / "check.py") + " " + a + " " + pw);
    run("bsdtar -t", "bsdtar -tf " + a + " >/dev/null");
    return failures;
  }

  // Extracts with every peer and with ovaruz-cli (or only with the tools named); the regular
  // files each one wrote, by tool.
  std::map<std::string, std::map<std::string, std::string>> ExtractAll(
      const std::string& archive, const std::string& password, const std::string& tag,
      const std::set<std::string>& only = {}) {
    const std::string a = ShellQuote(archive);
    const std::string pw = ShellQuote(password);
    const bool encrypted = !password.empty();
    const fs::path base = tmp_.Path() / ("x-" + tag);
    const std::map<std::string, std::string> commands = {
        {"unzip", "unzip -q " + (encrypted ? "-P " + pw + " " : "") + a + " -d " +
                      ShellQuote(base / "unzip")},
        {"7z", SevenZip() + " x -y " + (encrypted ? "-p" + pw + " " : "") + "-o" +
                   ShellQuote(base / "7z") + " " + a + " >/dev/null"},
        {"python", Python() + " " + ShellQuote(tmp_ / "check.py") + " " + a + " " + pw + " " +
                       ShellQuote(base / "python")},
        {"bsdtar", "mkdir -p " + ShellQuote(base / "bsdtar") + " && bsdtar -xf " + a +
                       (encrypted ? " --passphrase " + pw : "") + " -C " +
                       ShellQuote(base / "bsdtar")},
        {"ovaruz", ShellQuote(OVARUZ_CLI) + " extract " + a + " " + ShellQuote(base / "ovaruz") +
                       (encrypted ? " --password " + pw : "")},
    };
    std::map<std::string, std::map<std::string, std::string>> trees;
    for (const auto& [tool, cmd] : commands) {
      if (!only.empty() && !only.contains(tool)) continue;
      auto r = RunCommand(cmd);
      EXPECT_EQ(r.status, 0) << tool << ": " << cmd << "\n" << r.output;
      trees[tool] = ReadFiles(base / tool);
    }
    return trees;
  }

  TempDir tmp_;
  fs::path src_ = tmp_.Path() / "src";
};

enum class Naming { Relative, Full, Flat };

struct CreateCase {
  const char* id;
  std::vector<std::string> args;  // options and items; "$SRC" is the source folder
  const char* password;
  const char* comment;
  Naming naming;
  int level;                         // the compression level the options choose
  std::vector<std::string> files;    // source files expected as entries (relative)
  std::vector<std::string> folders;  // folder entries expected (relative, ending with "/")
  std::vector<std::string> stored;   // file entries expected stored whatever the level
};

void PrintTo(const CreateCase& c, std::ostream* os) {
  *os << c.id;
}

const std::vector<std::string> kAllFiles = {
    "a.txt",           "docs/lines.txt", "docs/old.bak", "top.bak",
    "data/random.bin", "data/small.bin", "empty.txt",    "nested/deeper/deepest/leaf.txt",
    kNonAsciiFile,     "tools/run.sh"};

std::vector<std::string> Without(std::vector<std::string> files,
                                 const std::set<std::string>& gone) {
  std::erase_if(files, [&](const std::string& f) { return gone.contains(f); });
  return files;
}

const std::vector<std::string> kRel = {"--recurse", "--relative", "$SRC", "$SRC/*"};

std::vector<std::string> RelWith(std::vector<std::string> extra) {
  extra.insert(extra.end(), kRel.begin(), kRel.end());
  return extra;
}

const CreateCase kCases[] = {
    {"Level0", RelWith({"--level", "0"}), "", "", Naming::Relative, 0, kAllFiles, {}, {}},
    {"Level1", RelWith({"--level", "1"}), "", "", Naming::Relative, 1, kAllFiles, {}, {}},
    {"Level6", kRel, "", "", Naming::Relative, 6, kAllFiles, {}, {}},
    {"Level9StoreBin",
     RelWith({"--level", "9", "--store", "*.BIN"}),
     "",
     "",
     Naming::Relative,
     9,
     kAllFiles,
     {},
     {"data/random.bin", "data/small.bin"}},
    {"Password",
     RelWith({"--password", "pass word"}),
     "pass word",
     "",
     Naming::Relative,
     6,
     kAllFiles,
     {},
     {}},
    {"PasswordStored",
     RelWith({"--level", "0", "--password", "pw"}),
     "pw",
     "",
     Naming::Relative,
     0,
     kAllFiles,
     {},
     {}},
    {"Comment",
     RelWith({"--comment", "made by ovaruz, ü"}),
     "",
     "made by ovaruz, ü",
     Naming::Relative,
     6,
     kAllFiles,
     {},
     {}},
    {"FullPaths", {"--paths", "--recurse", "$SRC/*"}, "", "", Naming::Full, 6, kAllFiles, {}, {}},
    {"NoPaths",
     {"$SRC/a.txt", "$SRC/docs/lines.txt", "$SRC/" + kNonAsciiFile, "$SRC/tools/run.sh",
      "$SRC/data/|*"},
     "",
     "",
     Naming::Flat,
     6,
     {"a.txt", "docs/lines.txt", kNonAsciiFile, "tools/run.sh", "data/random.bin",
      "data/small.bin"},
     {},
     {}},
    {"Exclude",
     RelWith({"--exclude", "*.bak", "--exclude", "*/nested/*"}),
     "",
     "",
     Naming::Relative,
     6,
     Without(kAllFiles, {"docs/old.bak", "top.bak", "nested/deeper/deepest/leaf.txt"}),
     {},
     {}},
    {"TopLevelOnly",
     {"--recurse", "--relative", "$SRC", "$SRC/|*"},
     "",
     "",
     Naming::Relative,
     6,
     std::vector<std::string>{"a.txt", "top.bak", "empty.txt"},
     {},
     {}},
    {"FolderEntries",
     RelWith({"--dirs"}),
     "",
     "",
     Naming::Relative,
     6,
     kAllFiles,
     {"data/", "docs/", "empty-dir/", "grüße/", "nested/", "nested/deeper/",
      "nested/deeper/deepest/", "tools/"},
     {}},
};

class OurArchivesByOptions : public OurArchives,
                             public ::testing::WithParamInterface<CreateCase> {};

TEST_P(OurArchivesByOptions, PeersCheckListAndExtractEveryEntry) {
  const CreateCase& c = GetParam();
  for (const char* tool : {"unzip", "zipinfo", "python3", "bsdtar"}) REQUIRE_TOOL(tool);
  REQUIRE_TOOL(SevenZip());
  const std::string arc = tmp_ / "ours.zip";
  // Stored name of a source path.
  auto storedName = [&](const std::string& rel) {
    switch (c.naming) {
      case Naming::Full:
        return Stored(src_.string()) + "/" + rel;
      case Naming::Flat:
        return fs::path(rel).filename().string();
      default:
        return rel;
    }
  };
  std::map<std::string, std::string> expectedFiles;  // stored name -> source path
  for (const auto& f : c.files) expectedFiles[storedName(f)] = f;
  const int entries = static_cast<int>(c.files.size() + c.folders.size());
  ASSERT_NO_FATAL_FAILURE(Create(arc, c.args, entries));

  // The records as Python reads them.
  PyInfo info = ReadInfo(tmp_ / "info.py", arc);
  std::set<std::string> expectedNames;
  for (const auto& [name, rel] : expectedFiles) expectedNames.insert(name);
  for (const auto& d : c.folders) expectedNames.insert(storedName(d));
  std::set<std::string> names;
  for (const auto& [name, e] : info.entries) names.insert(name);
  EXPECT_EQ(names, expectedNames);
  EXPECT_EQ(info.rows, entries) << "an entry twice";
  EXPECT_EQ(info.comment, c.comment);
  const bool encrypted = *c.password != 0;
  for (const auto& [name, e] : info.entries) {
    SCOPED_TRACE(name);
    EXPECT_EQ(e.system, 3) << "host: Unix";
    const bool folder = name.ends_with("/");
    EXPECT_EQ((e.flag & 1) != 0, encrypted && !folder);
    const bool ascii = std::all_of(name.begin(), name.end(), [](char ch) { return ch > 0; });
    EXPECT_EQ((e.flag & 0x800) != 0, !ascii) << "UTF-8 flag";
    if (folder) {
      EXPECT_TRUE(S_ISDIR(e.mode));
      continue;
    }
    EXPECT_TRUE(S_ISREG(e.mode));
    const std::string& rel = expectedFiles[name];
    // Files that do not shrink and fit in one chunk are stored; the others are deflated, except
    // at level 0 and when --store names them. Tiny text files may go either way.
    if (c.level == 0 || rel == "empty.txt" || rel == "data/small.bin" ||
        std::find(c.stored.begin(), c.stored.end(), rel) != c.stored.end()) {
      EXPECT_EQ(e.method, 0);
    } else if (rel == "docs/lines.txt" || rel == "data/random.bin") {
      EXPECT_EQ(e.method, 8);
    }
    // The level's flag bits, also on files that fell back to storing.
    const int levelBits = c.level == 0 ? 0 : c.level <= 2 ? 4 : c.level >= 8 ? 2 : 0;
    if (std::find(c.stored.begin(), c.stored.end(), rel) == c.stored.end()) {
      EXPECT_EQ(e.flag & 6, levelBits);
    }
    if (rel == "tools/run.sh") {
      EXPECT_EQ(e.mode, 0100755u);
    }
  }
  if (expectedFiles.contains(storedName("tools/run.sh"))) {
    auto zi =
        RunCommand("zipinfo " + ShellQuote(arc) + " " + ShellQuote(storedName("tools/run.sh")));
    EXPECT_NE(zi.output.find("-rwxr-xr-x"), std::string::npos) << zi.output;
  }

  EXPECT_EQ(PeersTest(arc, c.password), "");

  // Each tool extracts every file byte for byte.
  std::map<std::string, std::string> want;
  for (const auto& [name, rel] : expectedFiles) want[name] = ReadFile(src_ / rel);
  EXPECT_EQ(Differences(ExtractAll(arc, c.password, "all"), want),
            (std::map<std::string, std::vector<std::string>>{}));
  for (const char* tool : {"unzip", "7z", "python", "bsdtar", "ovaruz"})
    for (const auto& d : c.folders)
      EXPECT_TRUE(fs::is_directory(tmp_.Path() / "x-all" / tool / storedName(d)))
          << tool << " " << d;
  const fs::path ours = tmp_.Path() / "x-all/ovaruz";
  if (expectedFiles.contains(storedName("tools/run.sh"))) {
    auto perms = fs::status(ours / storedName("tools/run.sh")).permissions();
    EXPECT_EQ(perms & fs::perms::owner_exec, fs::perms::owner_exec) << "executable bit restored";
  }

  if (encrypted) {
    auto bad = RunCommand("unzip -tq -P wrong " + ShellQuote(arc));
    EXPECT_NE(bad.status, 0) << "a wrong password passes unzip:\n" << bad.output;
  }
}

INSTANTIATE_TEST_SUITE_P(OurCreate, OurArchivesByOptions, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.id); });

// The same archive updated with each action in turn stays valid for every peer and holds the
// expected content after each step.
TEST_F(OurArchives, AnArchiveUpdatedRepeatedlyStaysValid) {
  for (const char* tool : {"unzip", "python3", "bsdtar"}) REQUIRE_TOOL(tool);
  REQUIRE_TOOL(SevenZip());
  const std::string arc = tmp_ / "updated.zip";
  ASSERT_NO_FATAL_FAILURE(Create(arc, kRel));
  std::map<std::string, std::string> want = ReadFiles(src_);

  struct Step {
    const char* action;
    std::vector<std::string> changed;  // files rewritten newer before the step
    std::vector<std::string> added;    // files created before the step
    std::vector<std::string> listed;   // items of the step, relative to the source
  };
  const Step steps[] = {
      {"update", {"a.txt", "docs/lines.txt"}, {"new/one.txt"}, {"*"}},
      {"replace", {}, {}, {"empty.txt", kNonAsciiFile}},
      {"update", {}, {"new/two.txt"}, {"new/two.txt"}},
      {"freshen", {"data/small.bin"}, {"new/three.txt"}, {"data/small.bin", "new/three.txt"}},
  };
  int n = 0;
  for (const auto& s : steps) {
    SCOPED_TRACE(std::string("step ") + std::to_string(++n) + ": " + s.action);
    for (const auto& f : s.changed) {
      WriteFile(src_ / f, "changed in step " + std::to_string(n) + "\n" + ReadFile(src_ / f));
      SetTime(src_ / f, kSourceTime + 3600 * n);
      want[f] = ReadFile(src_ / f);
    }
    for (const auto& f : s.added) {
      WriteFile(src_ / f, "added in step " + std::to_string(n) + "\n");
      if (std::string(s.action) != "freshen") want[f] = ReadFile(src_ / f);
    }
    std::vector<std::string> args = {"--action", s.action, "--recurse", "--relative", "$SRC"};
    for (const auto& item : s.listed) args.push_back("$SRC/" + item);
    ASSERT_NO_FATAL_FAILURE(Create(arc, args));
    EXPECT_EQ(PeersTest(arc), "");
    EXPECT_EQ(Differences(ExtractAll(arc, "", "step" + std::to_string(n)), want),
              (std::map<std::string, std::vector<std::string>>{}));
  }
}

// Archives made by the peers, with records our writer did not make (data descriptors, ZIP64
// extra fields, entry comments), get a new file; the peers still accept them and the old entries
// extract as before.
TEST_F(OurArchives, UpdatedPeerArchivesStayValid) {
  struct PeerCase {
    const char* id;
    const char* tool;
    const char* command;  // run in the source folder; $ARC is the archive
  };
  const PeerCase cases[] = {
      {"zip", "zip", "zip -qr \"$ARC\" ."},
      {"zip streamed (descriptors)", "zip", "zip -qr - . | cat > \"$ARC\""},
      {"zip forced ZIP64", "zip", "zip -qr -fz \"$ARC\" ."},
      {"7-Zip", "7z", "$SEVENZIP a -tzip \"$ARC\" . >/dev/null"},
      {"bsdtar (descriptors)", "bsdtar", "bsdtar --format zip -cf \"$ARC\" ."},
      {"python, comments", "python3",
       "python3 -c 'import zipfile,sys; z=zipfile.ZipFile(sys.argv[1],\"w\",8); "
       "z.write(\"a.txt\"); z.write(\"docs/lines.txt\"); "
       "z.getinfo(\"a.txt\").comment=b\"about a\"; z.comment=b\"peer comment\"; z.close()' "
       "\"$ARC\""},
  };
  for (const char* tool : {"unzip", "python3"}) REQUIRE_TOOL(tool);
  REQUIRE_TOOL(SevenZip());
  WriteFile(tmp_ / "added/added.txt", "added by ovaruz\n");
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    const std::string tool = std::string(c.tool) == "7z" ? SevenZip() : c.tool;
    if (!testsupport::HaveTool(tool)) {
      ADD_FAILURE() << "peer tool missing: " << tool;
      continue;
    }
    const std::string arc = tmp_ / ("peer" + std::to_string(n++) + ".zip");
    std::string cmd = "cd " + ShellQuote(src_.string()) + " && ARC=" + ShellQuote(arc) +
                      " SEVENZIP=" + SevenZip() + " && " + c.command;
    auto made = RunCommand("sh -c " + ShellQuote(cmd));
    ASSERT_EQ(made.status, 0) << made.output;
    const auto before = ReadInfo(tmp_ / "info.py", arc);

    auto r = RunCli("create " + ShellQuote(arc) + " --relative " + ShellQuote(tmp_ / "added") +
                    " " + ShellQuote(tmp_ / "added/added.txt"));
    EXPECT_EQ(r.status, 0) << r.output;
    const auto after = ReadInfo(tmp_ / "info.py", arc);
    EXPECT_EQ(after.rows, before.rows + 1);
    EXPECT_EQ(after.comment, before.comment);
    EXPECT_TRUE(after.entries.contains("added.txt"));
    EXPECT_EQ(PeersTest(arc), "");
    auto trees = ExtractAll(arc, "", "peer" + std::to_string(n), {"unzip", "ovaruz"});
    for (const auto& [name, e] : before.entries) {
      if (name.ends_with("/")) continue;
      std::string rel = name.starts_with("./") ? name.substr(2) : name;
      EXPECT_TRUE(trees["unzip"][rel] == ReadFile(src_ / rel)) << name;
      EXPECT_TRUE(trees["ovaruz"][rel] == ReadFile(src_ / rel)) << name;
    }
    EXPECT_EQ(trees["unzip"]["added.txt"], "added by ovaruz\n");
  }
}

// Run in the archive's own folder with a relative pattern, an update must not add the archive's
// previous version to itself.
TEST_F(OurArchives, AnArchiveInTheWorkingFolderIsNotAddedToItself) {
  REQUIRE_TOOL("python3");
  const std::string cmd = "cd " + ShellQuote(src_.string()) + " && " + ShellQuote(OVARUZ_CLI) +
                          " create self.zip './*'";
  for (int run = 0; run < 2; ++run) {
    auto r = RunCommand(cmd);
    ASSERT_EQ(r.status, 0) << r.output;
    auto info = ReadInfo(tmp_ / "info.py", (src_ / "self.zip").string());
    EXPECT_FALSE(info.entries.contains("self.zip")) << "run " << run;
  }
}

// Mixed data (runs of text, zeros and noise) generated quickly, written to path.
void WriteMixedFile(const std::string& path, std::int64_t size) {
  std::ofstream out(path, std::ios::binary);
  std::mt19937_64 gen(42);
  std::string block(1 << 16, '\0');
  std::string text;
  for (int i = 0; text.size() < block.size(); ++i)
    text += "mixed data line " + std::to_string(i) + "\n";
  for (std::int64_t done = 0, k = 0; done < size; done += block.size(), ++k) {
    switch (k % 4) {
      case 0:
        for (std::size_t i = 0; i + 8 <= block.size(); i += 8) {
          std::uint64_t v = gen();
          std::memcpy(block.data() + i, &v, 8);
        }
        out.write(block.data(), std::min<std::int64_t>(size - done, block.size()));
        break;
      case 1:
      case 3:
        out.write(text.data(), std::min<std::int64_t>(size - done, block.size()));
        break;
      default:
        out.write(std::string(block.size(), '\0').data(),
                  std::min<std::int64_t>(size - done, block.size()));
    }
  }
}

// Checks one big entry against its source with every peer, streaming instead of extracting.
void CheckBigEntry(const std::string& arc, const std::string& name, const std::string& source) {
  const std::string a = ShellQuote(arc), n = ShellQuote(name), s = ShellQuote(source);
  const std::vector<std::string> commands = {
      "unzip -tq " + a,
      "unzip -p " + a + " " + n + " | cmp - " + s,
      SevenZip() + " x -so " + a + " " + n + " 2>/dev/null | cmp - " + s,
      "bsdtar -xOf " + a + " " + n + " | cmp - " + s,
      Python() + " -c 'import sys,zipfile; sys.exit(zipfile.ZipFile(sys.argv[1]).testzip())' " + a,
  };
  for (const auto& cmd : commands) {
    auto r = RunCommand(cmd);
    EXPECT_EQ(r.status, 0) << cmd << "\n" << r.output;
  }
}

TEST_F(OurArchives, ALargeFileRoundTrips) {
  for (const char* tool : {"unzip", "python3", "bsdtar", "cmp"}) REQUIRE_TOOL(tool);
  REQUIRE_TOOL(SevenZip());
  const std::string big = tmp_ / "big/mixed.dat";
  fs::create_directories(tmp_ / "big");
  WriteMixedFile(big, 64LL << 20);
  const std::string arc = tmp_ / "big.zip";
  ASSERT_NO_FATAL_FAILURE(Create(arc, {big}, 1));
  EXPECT_LT(fs::file_size(arc), 40u << 20);
  CheckBigEntry(arc, "mixed.dat", big);
}

// Several hundred MiB: only with OVARUZ_SLOW_TESTS=1.
TEST_F(OurArchives, AVeryLargeFileRoundTrips) {
  const char* slow = std::getenv("OVARUZ_SLOW_TESTS");
  if (!slow || std::string(slow) != "1") GTEST_SKIP() << "set OVARUZ_SLOW_TESTS=1 to run";
  for (const char* tool : {"unzip", "python3", "bsdtar", "cmp"}) REQUIRE_TOOL(tool);
  REQUIRE_TOOL(SevenZip());
  const std::string big = tmp_ / "big/huge.dat";
  fs::create_directories(tmp_ / "big");
  WriteMixedFile(big, 700LL << 20);
  const std::string arc = tmp_ / "huge.zip";
  ASSERT_NO_FATAL_FAILURE(Create(arc, {"--level", "1", big}, 1));
  CheckBigEntry(arc, "huge.dat", big);
}

// More entries than the 16-bit count holds: the ZIP64 end records carry the count.
TEST_F(OurArchives, MoreThan65535EntriesUseZip64) {
  const char* slow = std::getenv("OVARUZ_SLOW_TESTS");
  if (!slow || std::string(slow) != "1") GTEST_SKIP() << "set OVARUZ_SLOW_TESTS=1 to run";
  for (const char* tool : {"unzip", "python3"}) REQUIRE_TOOL(tool);
  REQUIRE_TOOL(SevenZip());
  constexpr int kCount = 65600;
  const fs::path many = tmp_.Path() / "many";
  fs::create_directories(many);
  for (int i = 0; i < kCount; ++i) {
    int fd = ::open((many / ("f" + std::to_string(i))).c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
  }
  const std::string arc = tmp_ / "many.zip";
  ASSERT_NO_FATAL_FAILURE(Create(arc, {(many / "*").string()}, kCount));
  auto unzip = RunCommand("unzip -tq " + ShellQuote(arc));
  EXPECT_EQ(unzip.status, 0) << unzip.output;
  auto py = RunCommand(Python() + " " + ShellQuote(tmp_ / "check.py") + " " + ShellQuote(arc));
  EXPECT_EQ(py.status, 0) << py.output;
  EXPECT_EQ(py.output, std::to_string(kCount) + "\n");
  auto seven = RunCommand(SevenZip() + " t " + ShellQuote(arc));
  EXPECT_EQ(seven.status, 0) << seven.output;
  EXPECT_NE(seven.output.find("Files: " + std::to_string(kCount)), std::string::npos)
      << seven.output;
}

}  // namespace
