// Loading, appending, cutting and clearing the activity log.
#include "core/ActivityLog.h"

#include <algorithm>

#include "core/DateText.h"
#include "core/GlobalSettings.h"
#include "core/IniFile.h"

namespace core {

namespace {

constexpr const char* kTotalKey = "Log Total";

std::string LogSection(int k) {
  return "Log" + std::to_string(k);
}

LogEntry ReadEntry(const IniDocument& doc, int k) {
  const std::string section = LogSection(k);
  return LogEntry{doc.ReadString(section, "Date"), doc.ReadString(section, "Operate"),
                  doc.ReadString(section, "Status"), doc.ReadString(section, "Project"),
                  doc.ReadString(section, "Information")};
}

void WriteEntry(IniDocument& doc, int k, const LogEntry& e) {
  const std::string section = LogSection(k);
  doc.WriteString(section, "Date", e.date);
  doc.WriteString(section, "Operate", e.operate);
  doc.WriteString(section, "Status", e.status);
  doc.WriteString(section, "Project", e.project);
  doc.WriteString(section, "Information", e.information);
}

int ReadTotal(const IniDocument& doc) {
  // Bounded above so that the next entry's number cannot overflow.
  return std::clamp(doc.ReadInteger(kCommonSection, kTotalKey, 0), 0, 1 << 30);
}

ActivityLog Rows(const IniDocument& doc, int limit) {
  ActivityLog log;
  log.total = ReadTotal(doc);
  int shown = std::min(log.total, limit);
  for (int r = 1; r <= shown; ++r) log.rows.push_back(ReadEntry(doc, log.total - r + 1));
  return log;
}

}  // namespace

int EffectiveLogCount(int logCount) {
  return std::clamp(logCount, kMinLogCount, kMaxLogCount);
}

ActivityLog LoadLog(const DataFolder& folder, int logCount) {
  return Rows(IniFile(folder.LogFile()).Load(), EffectiveLogCount(logCount));
}

ActivityLog AppendLog(const DataFolder& folder, int logCount, const zip::DateTime& now,
                      const std::string& operate, const std::string& status,
                      const std::string& project, const std::string& information) {
  const int limit = EffectiveLogCount(logCount);
  ActivityLog result;
  IniFile(folder.LogFile()).Edit([&](IniDocument& doc) {
    // The total is taken from the file, not from memory: another process may have appended.
    const int t = ReadTotal(doc) + 1;
    doc.WriteInteger(kCommonSection, kTotalKey, t);
    WriteEntry(doc, t, LogEntry{FormatDateTime(now), operate, status, project, information});
    if (t >= limit) {
      std::vector<LogEntry> newest;  // oldest of the five first
      for (int k = t - kLogEntriesAfterCut + 1; k <= t; ++k) newest.push_back(ReadEntry(doc, k));
      doc.WriteInteger(kCommonSection, kTotalKey, kLogEntriesAfterCut);
      for (int i = 0; i < kLogEntriesAfterCut; ++i) WriteEntry(doc, i + 1, newest[i]);
    }
    result = Rows(doc, limit);
  });
  return result;
}

void ClearLog(const DataFolder& folder) {
  IniFile(folder.LogFile()).WriteInteger(kCommonSection, kTotalKey, 0);
}

std::string ArchiveLogInfo(const std::string& archivePath, std::int64_t bytes) {
  return archivePath + "  " + std::to_string(bytes / 1024) + "Kb";
}

std::string ArchiveExistsLogInfo(const std::string& archivePath) {
  return "'" + archivePath + "' exists,backup interripted";
}

}  // namespace core
