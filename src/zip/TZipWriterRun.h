// The state of one Zip run of TZipWriter, shared by its source files.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "zip/TEndCentral.h"
#include "zip/TS_BufferStream.h"
#include "zip/TSortedZip.h"
#include "zip/TZipWriterBlocks.h"
#include "zip/TZipWriter.h"
#include "zip/Zlib.h"

namespace zip {

struct TZipWriter::Run {
  std::string outputName;  // the temporary file of a single-volume run
  bool updating = false;
  bool multi = false;
  std::unique_ptr<TLFNFileStream> out;  // the output file, or the current volume
  TStream* sink = nullptr;              // where entry data goes
  std::unique_ptr<TSortedZip> nameIndex;
  std::unique_ptr<TSortedZip> newDir;
  TEndCentral end;
  std::int64_t totalBytes = 0, doneBytes = 0, fileBytes = 0, fileSize = 0;
  std::vector<std::string> disposeList;
  int count = 0;
  std::unique_ptr<RawDeflater> deflater;
  std::unique_ptr<BlockDeflatePool> blockPool;  // deflate on several threads, made when needed
  bool blockPoolFailed = false;                 // no worker could be started: one thread
  std::vector<std::uint8_t> inBuf, outBuf;
  std::unique_ptr<TSortedZip> freshenView;
  // Multi-volume output.
  int volume = 0;
  std::int64_t room = 0;
  std::vector<std::string> volumeNames;
  bool centralStarted = false;
};

}  // namespace zip
