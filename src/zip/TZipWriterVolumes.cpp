// TZipWriter's multi-volume output: numbered block files (name.001, name.002, ...) or volumes
// named by OnGetNextDisk; entries are compressed into a temporary file and then placed on the
// volumes, headers never split; the final names and the auxiliary ".zfc" directory file.
#include <cstdio>
#include <limits>

#include "zip/Exceptions.h"
#include "zip/FileUtils.h"
#include "zip/Paths.h"
#include "zip/Prompts.h"
#include "zip/TZipWriter.h"
#include "zip/TZipWriterRun.h"
#include "zip/ZipFormat.h"

namespace zip {

namespace {
constexpr std::int64_t kPiece = 16384;
constexpr int kVolumeBuffer = 1 << 18;

std::string Bytes(TMemoryStream& s) {
  return std::string(s.Data().begin(), s.Data().end());
}
}  // namespace

std::string TZipWriter::VolumeName(const Run& run, int volume) const {
  if (MultiMode() == mmBlocks) {
    char ext[16];
    std::snprintf(ext, sizeof ext, ".%03d", volume + 1);
    return ChangeFileExt(zipName_, ext);
  }
  if (volume == 0) return zipName_;
  std::string name = run.volumeNames.back();
  TZipReader& self = const_cast<TZipWriter&>(*this);
  if (OnGetNextDisk) OnGetNextDisk(self, volume + 1, name);
  if (name.empty()) throw EUserCanceled("User canceled Zip operation");
  for (const std::string& used : run.volumeNames)
    if (used == name) throw Exception("The volume name " + name + " is already in use");
  return name;
}

void TZipWriter::OpenVolume(Run& run) {
  std::string name = VolumeName(run, run.volume);
  if (MultiMode() == mmSpan) {
    DeleteFile(name);
    if (run.volume > 0 && OnPrepareNextDisk) OnPrepareNextDisk(*this, run.volume + 1);
  }
  run.out = std::make_unique<TLFNFileStream>(name, kVolumeBuffer, FlushFilesOnClose, fmCreate);
  run.volumeNames.push_back(name);
  std::int64_t capacity;
  if (MultiMode() == mmBlocks) {
    capacity = run.volume == 0 ? MultiZipInfo.FirstBlockSize : MultiZipInfo.BlockSize;
  } else {
    std::string folder = ExtractFilePath(name);
    capacity = DiskFree(folder.empty() ? std::string(".") : folder) -
               (run.volume == 0 ? MultiZipInfo.SaveOnFirstDisk : 0);
  }
  run.room = capacity > 0 ? capacity : std::numeric_limits<std::int64_t>::max();
}

void TZipWriter::NextVolume(Run& run) {
  if (run.out->GetState() == TS_BufferStream::bsWriting && !run.out->FlushBuffer())
    throw ENotEnoughRoom("Not enough room to write archive");
  run.out.reset();
  ++run.volume;
  OpenVolume(run);
}

void TZipWriter::PlaceBytes(Run& run, const void* data, std::int64_t n, bool whole) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  if (whole) {
    // A header that does not fit starts a new volume (unless this one is still empty).
    if (n > run.room && run.out->Position() > 0) NextVolume(run);
    if (run.out->Write(p, n) != n) throw ENotEnoughRoom("Not enough room to write archive");
    run.room -= n;
    return;
  }
  while (n > 0) {
    if (run.room <= 0) NextVolume(run);
    std::int64_t k = std::min({n, run.room, kPiece});
    if (run.out->Write(p, k) != k) throw ENotEnoughRoom("Not enough room to write archive");
    run.room -= k;
    p += k;
    n -= k;
    Pump();
  }
}

void TZipWriter::PlaceEntry(Run& run, TZipHeaderInfo& e, TLFNFileStream* data) {
  TMemoryStream header;
  e.SaveLocalToStream(header);
  std::string bytes = Bytes(header);
  auto n = static_cast<std::int64_t>(bytes.size());
  if (n > run.room && run.out->Position() > 0) NextVolume(run);
  e.LocalHeaderOffset = run.out->Position();
  e.DiskNumberStart = static_cast<std::uint32_t>(run.volume);
  PlaceBytes(run, bytes.data(), n, true);
  if (!data) return;
  data->Seek(0, soBeginning);
  std::vector<std::uint8_t>& buf = run.inBuf;
  for (;;) {
    std::int64_t got = data->Read(buf.data(), static_cast<std::int64_t>(buf.size()));
    if (got <= 0) break;
    PlaceBytes(run, buf.data(), got, false);
    run.doneBytes += got;
    if (OnTotalPercentDone) OnTotalPercentDone(*this, Percent(run.doneBytes, run.totalBytes));
  }
}

void TZipWriter::WriteVolumes(Run& run) {
  StartEndRecord(run);
  // Each file is read once into its temporary file and copied once onto the volumes.
  run.totalBytes *= 2;
  try {
    OpenVolume(run);
    if (MultiZipInfo.SaveZipInfoOnFirstDisk)
      run.room -= static_cast<std::int64_t>(FilesList.size()) * (storePaths_ ? 83 : 58) +
                  run.end.CommentLength + 2070;
    AddListedFiles(run);

    std::int64_t size = 0;
    std::string central;
    for (TZipHeaderInfo* e : *run.newDir) {
      TMemoryStream s;
      e->SaveCentralToStream(s);
      std::string bytes = Bytes(s);
      auto n = static_cast<std::int64_t>(bytes.size());
      if (n > run.room && run.out->Position() > 0) NextVolume(run);
      if (!run.centralStarted) {
        run.end.CentralDirectoryDisk = static_cast<std::uint32_t>(run.volume);
        run.end.CentralDirectoryOffset = run.out->Position();
        run.centralStarted = true;
      }
      PlaceBytes(run, bytes.data(), n, true);
      size += n;
      central += bytes;
    }
    std::int64_t recordSize = run.end.RecordSize();
    if (recordSize > run.room && run.out->Position() > 0) NextVolume(run);
    if (!run.centralStarted) {
      run.end.CentralDirectoryDisk = static_cast<std::uint32_t>(run.volume);
      run.end.CentralDirectoryOffset = run.out->Position();
    }
    run.end.CentralDirectorySize = size;
    run.end.ThisDisk = static_cast<std::uint32_t>(run.volume);
    TMemoryStream record;
    run.end.SaveToStream(record);
    std::string recordBytes = Bytes(record);
    PlaceBytes(run, recordBytes.data(), static_cast<std::int64_t>(recordBytes.size()), true);
    if (run.out->GetState() == TS_BufferStream::bsWriting && !run.out->FlushBuffer())
      throw ENotEnoughRoom("Not enough room to write archive");
    run.out.reset();

    if (MultiZipInfo.SaveZipInfoOnFirstDisk && run.volumeNames.size() > 1) {
      // The auxiliary directory file: every central header, then the end record, from offset 0.
      TEndCentral aux;
      aux.Assign(run.end);
      aux.CentralDirectoryOffset = 0;
      aux.CentralDirectoryDisk = 0;
      aux.ThisDisk = run.end.ThisDisk;
      std::string zfc = ChangeFileExt(zipName_, ".zfc");
      try {
        TLFNFileStream f(zfc, kZipBufferSize, FlushFilesOnClose, fmCreate);
        try {
          f.WriteBuffer(central.data(), static_cast<std::int64_t>(central.size()));
          aux.SaveToStream(f);
        } catch (const Exception&) {
          ShowMessageBox("Unable to save Zip Configuration File to disk", "Error", MsgKind::Error,
                         MsgButtons::OK);
        }
      } catch (const Exception&) {
        ShowMessageBox("Unable to create Zip Configuration File to disk", "Error", MsgKind::Error,
                       MsgButtons::OK);
      }
    }
  } catch (...) {
    run.out.reset();
    for (const std::string& name : run.volumeNames) DeleteFile(name);
    throw;
  }
  if (MultiMode() == mmBlocks) {
    if (run.volumeNames.size() == 1) {
      if (!RenameFile(run.volumeNames[0], zipName_))
        throw EFCreateError("Cannot create file \"" + zipName_ + "\".");
    } else {
      zipName_ = run.volumeNames.back();
    }
  }
  if (OnTotalPercentDone) OnTotalPercentDone(*this, 100);
}

}  // namespace zip
