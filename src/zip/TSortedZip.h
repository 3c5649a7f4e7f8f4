// TSortedZip: a sorted list of archive entries, the archive directory and its sorted views.
#pragma once

#include "zip/TObjectList.h"
#include "zip/TZipHeaderInfo.h"

namespace zip {

enum TZipSortMode : int {
  ByName = 0,
  ByFileName = 1,
  ByDirectoryName = 2,
  ByDate = 3,
  ByCompressedSize = 4,
  ByUnCompressedSize = 5,
  ByRate = 6,
  ByNone = 7,
};

class TSortedZip : public TSortedObjectList<TZipHeaderInfo> {
 public:
  TSortedZip(TDuplicates duplicates, bool ownsItems, TZipSortMode mode = ByNone)
      : TSortedObjectList(duplicates, ownsItems), SortMode(mode) {}

  TZipSortMode SortMode;

  // Orders: names ascending (case-insensitive for a-z); date newest first; sizes largest first;
  // rate least compressed first; ByNone by volume, then local header offset. Date and size modes
  // never return 0, so equal keys keep their insertion order.
  int Compare(const TZipHeaderInfo* e1, const TZipHeaderInfo* e2) const override;
};

}  // namespace zip
