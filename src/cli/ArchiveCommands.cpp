// The archive commands of ovaruz-cli: list, test and extract, over the library's reader.
#include "cli/ArchiveCommands.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>

#include "cli/Args.h"
#include "cli/Console.h"
#include "zip/DosDateTime.h"
#include "zip/Exceptions.h"
#include "zip/FileUtils.h"
#include "zip/Paths.h"
#include "zip/Prompts.h"
#include "zip/TZipReader.h"

namespace cli {

namespace {

const std::map<std::string, zip::TZipSortMode> kSortModes = {
    {"none", zip::ByNone},
    {"name", zip::ByName},
    {"filename", zip::ByFileName},
    {"directory", zip::ByDirectoryName},
    {"date", zip::ByDate},
    {"packed", zip::ByCompressedSize},
    {"size", zip::ByUnCompressedSize},
    {"rate", zip::ByRate},
};

// "yyyy-mm-dd HH:mm:ss" of a DOS date-time after normalisation.
std::string FormatDos(std::uint32_t dos) {
  std::uint32_t n = zip::NormalizeDosDateTime(dos);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u:%02u", (n >> 25) + 1980,
                (n >> 21) & 0x0F, (n >> 16) & 0x1F, (n >> 11) & 0x1F, (n >> 5) & 0x3F,
                (n & 0x1F) * 2);
  return buf;
}

// The stored name with "/" separators, a directory entry ending with "/".
std::string StoredName(const zip::TZipHeaderInfo& e) {
  std::string name = e.FullName();
  if constexpr (zip::kPathDelim != '/')
    for (char& c : name)
      if (c == zip::kPathDelim) c = '/';
  return name;
}

// Opens the archive for a command: a file without an end record is rebuilt from its local
// headers, and one without any is reported as not a ZIP archive.
void OpenReader(zip::TZipReader& reader, const std::string& path) {
  reader.IncompleteZipMode = zip::izAssumeBad;
  reader.DoProcessMessages = false;
  reader.SetZipName(path);
  reader.LoadZipDirectory();
}

std::string MethodName(int method) {
  switch (method) {
    case 0:
      return "Stored";
    case 1:
      return "Shrunk";
    case 2:
    case 3:
    case 4:
    case 5:
      return "Reduced" + std::to_string(method - 1);
    case 6:
      return "Imploded";
    case 8:
      return "Deflated";
    default:
      return "Method" + std::to_string(method);
  }
}

// Runs a command body, turning library errors into one line naming the archive.
template <class Body>
int Guarded(const std::string& archive, std::ostream& err, Body body) {
  try {
    return body();
  } catch (const zip::Exception& e) {
    err << "ovaruz-cli: " << e.what() << " (" << archive << ")\n";
    return 1;
  }
}

}  // namespace

int ListCommand(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args(argv, {"--sort"}, {"--tsv"});
  if (args.Positional().size() != 1) throw UsageError("list needs exactly one ARCHIVE");
  const std::string archive = args.Positional()[0];
  zip::TZipSortMode mode = zip::ByNone;
  if (auto s = args.Value("--sort")) {
    auto it = kSortModes.find(*s);
    if (it == kSortModes.end()) throw UsageError("unknown sort mode '" + *s + "'");
    mode = it->second;
  }
  return Guarded(archive, err, [&] {
    zip::TZipReader reader;
    reader.SortMode = mode;
    OpenReader(reader, archive);
    if (args.Flag("--tsv")) {
      out << "name\tsize\tpacked\tmethod\tcrc32\tmodified\tencrypted\n";
      for (int i = 0; i < reader.EntryCount(); ++i) {
        const zip::TZipHeaderInfo& e = reader.Entry(i);
        char crc[16];
        std::snprintf(crc, sizeof crc, "%08x", e.CRC32);
        out << StoredName(e) << '\t' << e.UncompressedSize << '\t' << e.CompressedSize << '\t'
            << e.CompressionMethod << '\t' << crc << '\t' << FormatDos(e.DateTime) << '\t'
            << (e.IsEncrypted() ? 1 : 0) << '\n';
      }
      return 0;
    }
    char line[512];
    out << "    Length  Method         Size  Cmpr  Modified             CRC-32    Name\n"
        << "----------  ---------  ----------  ----  -------------------  --------  ----\n";
    std::int64_t total = 0, packed = 0;
    for (int i = 0; i < reader.EntryCount(); ++i) {
      const zip::TZipHeaderInfo& e = reader.Entry(i);
      int saved =
          e.UncompressedSize > 0 ? 100 - zip::Percent(e.CompressedSize, e.UncompressedSize) : 0;
      std::snprintf(line, sizeof line, "%10lld  %-9s  %10lld  %3d%%  %s  %08x  ",
                    static_cast<long long>(e.UncompressedSize),
                    (MethodName(e.CompressionMethod) + (e.IsEncrypted() ? "*" : "")).c_str(),
                    static_cast<long long>(e.CompressedSize), saved, FormatDos(e.DateTime).c_str(),
                    e.CRC32);
      out << line << StoredName(e) << '\n';
      total += e.UncompressedSize;
      packed += e.CompressedSize;
    }
    int saved = total > 0 ? 100 - zip::Percent(packed, total) : 0;
    std::snprintf(line, sizeof line,
                  "----------             ----------  ----                                 ----\n"
                  "%10lld             %10lld  %3d%%                                 %d %s\n",
                  static_cast<long long>(total), static_cast<long long>(packed), saved,
                  reader.EntryCount(), reader.EntryCount() == 1 ? "entry" : "entries");
    out << line;
    if (reader.Rebuilt()) out << "(directory rebuilt from the local headers)\n";
    std::string comment = reader.ArchiveComment();
    if (!comment.empty()) out << "Comment: " << comment << '\n';
    return 0;
  });
}

int TestCommand(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args(argv, {"--password", "--password-file"}, {});
  if (args.Positional().size() != 1) throw UsageError("test needs exactly one ARCHIVE");
  const std::string archive = args.Positional()[0];
  std::string password = PasswordOf(args);
  return Guarded(archive, err, [&] {
    zip::TZipReader reader;
    OpenReader(reader, archive);
    reader.Password = password;
    std::vector<zip::TEntryProblem> problems;
    int tested = reader.TestEntries(problems);
    for (const auto& p : problems)
      out << (p.name.empty() ? archive : p.name) << ": " << p.reason << '\n';
    out << "tested " << tested << " entries, " << problems.size() << " errors\n";
    return problems.empty() ? 0 : 1;
  });
}

int ExtractCommand(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
  Args args(argv, {"--password", "--password-file", "--overwrite", "--root"}, {"--flat"});
  if (args.Positional().size() < 2) throw UsageError("extract needs ARCHIVE and DEST");
  const std::string archive = args.Positional()[0];
  const std::string dest = args.Positional()[1];
  const zip::TUZOverwriteMode mode = OverwriteModeOf(args);
  std::string password = PasswordOf(args);
  return Guarded(archive, err, [&] {
    zip::TZipReader reader;
    OpenReader(reader, archive);
    reader.Password = password;
    reader.SetDestDir(dest);
    reader.RecreateDirs = !args.Flag("--flat");
    if (auto root = args.Value("--root")) reader.SetRootDir(*root);
    reader.OverwriteMode = mode;
    std::vector<std::string> patterns(args.Positional().begin() + 2, args.Positional().end());
    reader.DoAll = patterns.empty();
    reader.FilesList = patterns;
    int failures = 0;
    reader.OnSkippingFile = [&](zip::TZipReader&, zip::TSkipReason reason, const std::string& name,
                                int, bool&) {
      static const char* kWhy[] = {"wrong password", "exists, not overwritten", "cannot be opened",
                                   "cannot be created or lies outside DEST"};
      out << "skipped: " << name << " (" << kWhy[reason] << ")\n";
      if (reason != zip::srNotOverwritten) ++failures;
    };
    // Messages the library shows (an unknown method, the overwrite question) are answered here;
    // a message about an entry becomes the reason printed for it.
    std::string lastMessage;
    reader.OnBadCRC = [&](zip::TZipReader& r, std::uint32_t, std::uint32_t, int index) {
      out << "failed: " << StoredName(r.Entry(index)) << " ("
          << (lastMessage.empty() ? "CRC error" : lastMessage) << ")\n";
      lastMessage.clear();
      ++failures;
    };
    TerminalMessageBoxes boxes([&](const std::string& text) { lastMessage = text; });
    int count = reader.UnZip();
    out << "extracted " << count << (count == 1 ? " entry" : " entries") << " to " << dest << '\n';
    return failures == 0 ? 0 : 1;
  });
}

}  // namespace cli
