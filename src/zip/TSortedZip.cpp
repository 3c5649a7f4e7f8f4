// Comparisons of the sort modes of archive entries.
#include "zip/TSortedZip.h"

#include "zip/DosDateTime.h"
#include "zip/FileUtils.h"
#include "zip/Text.h"

namespace zip {

namespace {
zip::DateTime EntryDate(const TZipHeaderInfo& e) {
  auto dt = DosToDateTime(e.DateTime);
  return dt ? *dt : zip::DateTime();
}
}  // namespace

int TSortedZip::Compare(const TZipHeaderInfo* e1, const TZipHeaderInfo* e2) const {
  switch (SortMode) {
    case ByName:
      return CompareText(e1->FullName(), e2->FullName());
    case ByFileName:
      return CompareText(e1->FileName(), e2->FileName());
    case ByDirectoryName:
      return CompareText(e1->Directory(), e2->Directory());
    case ByDate:
      return EntryDate(*e2) > EntryDate(*e1) ? 1 : -1;
    case ByCompressedSize:
      return e2->CompressedSize > e1->CompressedSize ? 1 : -1;
    case ByUnCompressedSize:
      return e2->UncompressedSize > e1->UncompressedSize ? 1 : -1;
    case ByRate:
      return Percent(e2->CompressedSize, e2->UncompressedSize) -
             Percent(e1->CompressedSize, e1->UncompressedSize);
    case ByNone:
    default:
      if (e1->DiskNumberStart != e2->DiskNumberStart)
        return e1->DiskNumberStart < e2->DiskNumberStart ? -1 : 1;
      if (e1->LocalHeaderOffset == e2->LocalHeaderOffset) return 0;
      return e1->LocalHeaderOffset > e2->LocalHeaderOffset ? 1 : -1;
  }
}

}  // namespace zip
