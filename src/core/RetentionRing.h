// The retention ring in StoreNumber.txt: per project (section named as listed), Max slots
// N1..N<Max> of archive paths and Head, the slot of the newest archive. Recording a new archive
// deletes the one that falls out of the ring.
#pragma once

#include <string>
#include <string_view>

#include "core/ArchiveName.h"
#include "core/DataFolder.h"

namespace core {

// The range of a project's keep count (Store Number); values outside are brought into it.
inline constexpr int kMinKeepCount = 2;
inline constexpr int kMaxKeepCount = 50000;

// Records path, the archive a successful backup just made, as the newest of the project's ring of
// keepCount archives, and deletes from disk the archives that fall out: when the keep count was
// lowered, the oldest beyond it at once, and then the one whose slot the new archive takes. Does
// nothing for the None suffix. StoreNumber.txt is updated in one atomic replacement under the
// folder lock, before any file is deleted. A delete never touches the new archive, a file still
// held by another slot of the ring (compared as files, so another spelling of the same path
// counts), or a "NoFile<n>" placeholder of an older ring; failed deletes are ignored. Slots left
// empty by a cut are stored as empty text. Throws EIniFileException when StoreNumber.txt cannot
// be written (nothing is then deleted).
void RecordArchiveInRing(const DataFolder& folder, std::string_view project, ArchiveSuffix suffix,
                         int keepCount, const std::string& path);

// Moves the ring of project oldName to newName (Max, Head and the non-empty slots), replacing any
// ring already stored under newName; a project without a ring gets Max 2 and Head 0. Names that
// differ only in case keep the ring under the new spelling. Throws EIniFileException on a failed
// write.
void RenameRing(const DataFolder& folder, std::string_view oldName, std::string_view newName);

// Removes the project's ring; its archives stay on disk. Throws EIniFileException on a failed
// write.
void EraseRing(const DataFolder& folder, std::string_view project);

}  // namespace core
