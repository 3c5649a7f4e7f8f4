// libFuzzer target over the archive reader: each input is written out as an archive, its
// directory is read (rebuilt from the local headers when the end record is missing) in a sort
// order picked from the input's length, every accessor is read, every entry is tested and then
// extracted into a fresh temporary folder.
// Library errors (zip::Exception) are expected; crashes, sanitizer reports, hangs, unbounded
// allocations and files created outside the destination are findings.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "zip/Exceptions.h"
#include "zip/Prompts.h"
#include "zip/TZipReader.h"

namespace fs = std::filesystem;

namespace {

// Above this total of declared uncompressed sizes the entries are not tested and the extraction
// run stops after selecting them, so one input cannot take minutes; the declared sizes are
// hostile, so this is only a work cap.
constexpr std::int64_t kMaxDeclaredTotal = std::int64_t{64} << 20;

struct Paths {
  fs::path root, archive, dest;
};

const Paths& WorkPaths() {
  static const Paths paths = [] {
    Paths p;
    p.root = fs::temp_directory_path() / ("ovaruz-fuzz-" + std::to_string(::getpid()));
    p.archive = p.root / "input.zip";
    p.dest = p.root / "out";
    fs::create_directories(p.root);
    return p;
  }();
  return paths;
}

// A crashed run cannot clean up after itself: the next one removes the work folders of processes
// that are gone.
void RemoveStaleWorkFolders() {
  const std::string prefix = "ovaruz-fuzz-";
  std::error_code ec;
  for (const auto& item : fs::directory_iterator(fs::temp_directory_path(), ec)) {
    const std::string name = item.path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
      fs::remove_all(item.path(), ec);
  }
}

void RemoveWorkFolder() {
  std::error_code ec;
  fs::remove_all(WorkPaths().root, ec);
}

bool WriteInput(const fs::path& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// Everything the reader made must lie below the destination: the work folder may hold only the
// input and the destination itself.
void CheckNothingEscaped(const Paths& p) {
  for (const auto& item : fs::directory_iterator(p.root)) {
    if (item.path() != p.archive && item.path() != p.dest) {
      std::fprintf(stderr, "extraction created %s outside the destination\n", item.path().c_str());
      std::abort();
    }
  }
}

volatile std::size_t gSink;  // keeps the accessor results alive

void ReadAccessors(zip::TZipReader& reader) {
  std::size_t acc = 0;
  const int count = reader.EntryCount();
  for (int i = 0; i < count; ++i) {
    acc += reader.EntryFileName(i).size();
    acc += reader.EntryDirectory(i).size();
    acc += static_cast<std::size_t>(reader.EntryUncompressedSize(i));
    acc += static_cast<std::size_t>(reader.EntryDateTime(i).ToTimeT());
    acc += reader.EntryComment(i).size();
  }
  acc += reader.ArchiveComment().size();
  gSink = acc;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  zip::SetMessageBoxHandler([](const std::string&, const std::string&, zip::MsgKind,
                               zip::MsgButtons) { return zip::MsgResult::OK; });
  RemoveStaleWorkFolders();
  WorkPaths();
  std::atexit(RemoveWorkFolder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Paths& p = WorkPaths();
  std::error_code ec;
  fs::remove_all(p.dest, ec);
  fs::create_directories(p.dest, ec);
  if (!WriteInput(p.archive, data, size)) return 0;

  zip::TZipReader reader;
  try {
    reader.SetZipName(p.archive.string());
    reader.IncompleteZipMode = zip::izAssumeBad;
    reader.DoProcessMessages = false;
    reader.SortMode = static_cast<zip::TZipSortMode>(size % 8);
    reader.LoadZipDirectory();
    ReadAccessors(reader);

    std::int64_t declared = 0;
    bool tooMuchWork = false;
    for (int i = 0; i < reader.EntryCount() && !tooMuchWork; ++i) {
      // A negative declared size lets no byte out, so it adds no work.
      std::int64_t n = std::max<std::int64_t>(reader.EntryUncompressedSize(i), 0);
      tooMuchWork = n > kMaxDeclaredTotal - declared;
      declared += tooMuchWork ? 0 : n;
    }

    reader.Password = "pw";
    if (!tooMuchWork) {
      std::vector<zip::TEntryProblem> problems;
      reader.TestEntries(problems);
    }

    reader.SetDestDir(p.dest.string());
    reader.DoAll = true;
    reader.RecreateDirs = true;
    reader.OverwriteMode = zip::Always;
    reader.OnFilePercentDone = [](zip::TZipReader&, int percent) { gSink = percent; };
    reader.OnTotalPercentDone = [](zip::TZipReader&, int percent) { gSink = percent; };
    // Over the cap the run still selects the entries and adds up their sizes, then stops.
    reader.OnStartUnZipInfo = [tooMuchWork](zip::TZipReader&, int, std::int64_t, bool& stop) {
      stop = tooMuchWork;
    };
    reader.UnZip();
  } catch (const zip::Exception&) {
    // A rejected archive is an expected outcome.
  }
  CheckNothingEscaped(p);
  return 0;
}
