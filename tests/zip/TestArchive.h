// Builds small archives in memory for the reader's tests, through the library's own record
// writers: stored or deflated entries, encryption, comments, and raw bytes for damage.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "zip/Crc32.h"
#include "zip/TEndCentral.h"
#include "zip/TStream.h"
#include "zip/TZipCipher.h"
#include "zip/TZipHeaderInfo.h"
#include "zip/ZipFormat.h"
#include "zip/Zlib.h"

namespace testsupport {

struct EntryPlan {
  EntryPlan(std::string name, std::string data = "", bool deflate = false,
            std::string password = "", std::string comment = "",
            std::uint32_t dos = 0x5A8B6C2A)  // 2025-04-11 13:33:20
      : name(std::move(name)),
        data(std::move(data)),
        deflate(deflate),
        password(std::move(password)),
        comment(std::move(comment)),
        dos(dos) {}
  std::string name;  // "dir/" for a directory entry
  std::string data;
  bool deflate;
  std::string password;
  std::string comment;
  std::uint32_t dos;
  std::uint16_t method = 0xFFFF;  // forces a method number when set
};

class TestArchive {
 public:
  TestArchive& Add(const EntryPlan& plan) {
    auto e = std::make_unique<zip::TZipHeaderInfo>();
    std::string dir =
        plan.name.back() == '/' ? plan.name : plan.name.substr(0, plan.name.rfind('/') + 1);
    e->SetDirectory(dir);
    e->SetFileName(plan.name.substr(dir.size()));
    std::string body = plan.data;
    if (plan.deflate) body = Deflate(plan.data);
    e->CompressionMethod = plan.method != 0xFFFF ? plan.method
                           : plan.deflate        ? zip::kMethodDeflated
                                                 : zip::kMethodStored;
    e->DateTime = plan.dos;
    e->CRC32 = zip::Crc32Of(plan.data.data(), plan.data.size());
    e->UncompressedSize = static_cast<std::int64_t>(plan.data.size());
    std::string header;
    if (!plan.password.empty()) {
      e->Flag |= zip::kFlagEncrypted;
      zip::TZipCipher c;
      std::uint8_t h[zip::kEncryptionHeaderSize];
      c.MakeEncryptionHeader(plan.password, e->CRC32, h);
      c.EncryptBuffer(body.data(), body.size());
      header.assign(reinterpret_cast<char*>(h), sizeof h);
    }
    e->CompressedSize = static_cast<std::int64_t>(header.size() + body.size());
    if (!plan.comment.empty()) e->SetFileComment(plan.comment);
    e->SaveLocalToStream(out_);
    out_.WriteBuffer(header.data(), static_cast<std::int64_t>(header.size()));
    out_.WriteBuffer(body.data(), static_cast<std::int64_t>(body.size()));
    entries_.push_back(std::move(e));
    return *this;
  }

  // Writes the central directory and end record; returns the archive's bytes.
  std::string Finish(const std::string& comment = "") {
    zip::TEndCentral end;
    end.CentralDirectoryOffset = out_.Position();
    for (auto& e : entries_) e->SaveCentralToStream(out_);
    end.CentralDirectorySize = out_.Position() - end.CentralDirectoryOffset;
    end.TotalEntries = end.EntriesThisDisk = entries_.size();
    end.SetComment(comment);
    end.SaveToStream(out_);
    centralOffset_ = end.CentralDirectoryOffset;
    return std::string(out_.Data().begin(), out_.Data().end());
  }
  std::int64_t CentralOffset() const { return centralOffset_; }

  static std::string Deflate(const std::string& data) {
    zip::RawDeflater d(6);
    std::string out(data.size() + data.size() / 10 + 64, '\0');
    std::size_t used = 0, made = 0;
    while (!d.Deflate(reinterpret_cast<const std::uint8_t*>(data.data()) + used, data.size() - used,
                      used, true, reinterpret_cast<std::uint8_t*>(out.data()) + made,
                      out.size() - made, made)) {
      out.resize(out.size() * 2);
    }
    out.resize(made);
    return out;
  }

 private:
  zip::TMemoryStream out_;
  std::vector<std::unique_ptr<zip::TZipHeaderInfo>> entries_;
  std::int64_t centralOffset_ = 0;
};

}  // namespace testsupport
