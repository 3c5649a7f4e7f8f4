// Archive records: headers and end records written by the library read back by Python's zipfile
// and by the library itself; the end-record search; name encodings; ZIP64 fields.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "zip/CodePage.h"
#include "zip/Crc32.h"
#include "zip/LittleEndian.h"
#include "zip/TEndCentral.h"
#include "zip/TSortedZip.h"
#include "zip/TStream.h"
#include "zip/TZipCipher.h"
#include "zip/ZipFormat.h"

using namespace zip;

namespace {

std::string Bytes(const TMemoryStream& s) {
  return std::string(s.Data().begin(), s.Data().end());
}

// Writes one stored entry (local header, optional encryption header, data) and keeps its record.
void AddStored(TMemoryStream& out, std::vector<std::unique_ptr<TZipHeaderInfo>>& entries,
               const std::string& name, const std::string& data, const std::string& password = "",
               const std::string& comment = "") {
  auto e = std::make_unique<TZipHeaderInfo>();
  e->SetDirectory(name.substr(0, name.rfind('/') + 1));
  e->SetFileName(name.substr(name.rfind('/') + 1));
  e->CompressionMethod = kMethodStored;
  e->DateTime = 0x5A8B6C2A;  // 2025-04-11 13:33:20
  e->CRC32 = Crc32Of(data.data(), data.size());
  e->UncompressedSize = static_cast<std::int64_t>(data.size());
  e->CompressedSize = e->UncompressedSize + (password.empty() ? 0 : kEncryptionHeaderSize);
  e->InternalAttributes = 0;
  if (!password.empty()) e->Flag |= kFlagEncrypted;
  if (name.back() == '/') e->CRC32 = 0;
  if (!comment.empty()) e->SetFileComment(comment);
  e->SaveLocalToStream(out);
  std::string body = data;
  if (!password.empty()) {
    TZipCipher c;
    std::uint8_t header[kEncryptionHeaderSize];
    c.MakeEncryptionHeader(password, e->CRC32, header);
    c.EncryptBuffer(body.data(), body.size());
    out.WriteBuffer(header, sizeof header);
  }
  out.WriteBuffer(body.data(), static_cast<std::int64_t>(body.size()));
  entries.push_back(std::move(e));
}

void FinishArchive(TMemoryStream& out, std::vector<std::unique_ptr<TZipHeaderInfo>>& entries,
                   const std::string& comment) {
  TEndCentral end;
  end.CentralDirectoryOffset = out.Position();
  for (auto& e : entries) e->SaveCentralToStream(out);
  end.CentralDirectorySize = out.Position() - end.CentralDirectoryOffset;
  end.TotalEntries = end.EntriesThisDisk = entries.size();
  end.SetComment(comment);
  end.SaveToStream(out);
}

}  // namespace

TEST(Records, SmallArchiveReadsBackWithPythonZipfile) {
  REQUIRE_TOOL("python3");
  TMemoryStream out;
  std::vector<std::unique_ptr<TZipHeaderInfo>> entries;
  AddStored(out, entries, "hello.txt", "Hello, world\n", "", "entry comment");
  AddStored(out, entries, "dir/", "");
  AddStored(out, entries,
            "dir/\xC3\xBCn\xC3\xAF"
            "code.txt",
            "unicode\n");
  AddStored(out, entries, "secret.txt", "top secret\n", "pw");
  AddStored(out, entries, "empty-secret.txt", "", "pw");
  FinishArchive(out, entries, "archive comment, two lines\r\nof it");

  testsupport::TempDir tmp;
  std::string path = tmp / "small.zip";
  testsupport::WriteFile(path, Bytes(out));
  std::string script = tmp / "check.py";
  testsupport::WriteFile(script, R"(import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
z.setpassword(b"pw")
assert z.testzip() is None
print(repr(z.comment))
for i in z.infolist():
    data = z.read(i, pwd=b'pw') if i.flag_bits & 1 else z.read(i)
    print(i.filename, i.is_dir(), i.date_time, hex(i.flag_bits), i.compress_size, repr(i.comment), repr(data))
)");
  auto r = testsupport::RunCommand("python3 " + script + " " + path);
  ASSERT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output,
            "b'archive comment, two lines\\r\\nof it'\n"
            "hello.txt False (2025, 4, 11, 13, 33, 20) 0x0 13 b'entry comment' b'Hello, world\\n'\n"
            "dir/ True (2025, 4, 11, 13, 33, 20) 0x0 0 b'' b''\n"
            "dir/\xC3\xBCn\xC3\xAF"
            "code.txt False (2025, 4, 11, 13, 33, 20) 0x800 8 b'' b'unicode\\n'\n"
            "secret.txt False (2025, 4, 11, 13, 33, 20) 0x1 23 b'' b'top secret\\n'\n"
            "empty-secret.txt False (2025, 4, 11, 13, 33, 20) 0x1 12 b'' b''\n");

  // The library reads its own central directory back.
  TEndCentral end;
  ASSERT_TRUE(end.FindInStream(out));
  EXPECT_EQ(end.TotalEntries, 5u);
  EXPECT_EQ(end.CommentLength, 33);
  out.SetPosition(end.CentralDirectoryOffset);
  TStream* s = &out;
  std::vector<TZipHeaderInfo> read(5);
  for (auto& e : read) ASSERT_TRUE(e.ReadCentralFromStream(s));
  EXPECT_EQ(read[0].FileName(), "hello.txt");
  EXPECT_EQ(read[0].FileCommentLength, 13);
  EXPECT_FALSE(read[0].FileComment());  // comments load lazily
  EXPECT_EQ(read[1].Directory(), "dir/");
  EXPECT_EQ(read[1].FileName(), "");
  EXPECT_EQ(read[1].ExternalAttributes, 0x20u);
  EXPECT_EQ(read[2].FileName(),
            "\xC3\xBCn\xC3\xAF"
            "code.txt");
  EXPECT_EQ(read[3].CompressedSize, 23);
  EXPECT_EQ(read[4].LocalHeaderOffset, entries[4]->LocalHeaderOffset);
  EXPECT_EQ(out.Position(), end.CentralDirectoryOffset + end.CentralDirectorySize);
  EXPECT_FALSE(read[0].ReadCentralFromStream(s));  // the end record is no central header
  EXPECT_EQ(out.Position(), end.CentralDirectoryOffset + end.CentralDirectorySize);
}

TEST(Records, DirectoryEntryAndEmptyArchiveBytes) {
  TMemoryStream empty;
  TEndCentral end;
  end.SaveToStream(empty);
  EXPECT_EQ(Bytes(empty), std::string("PK\x05\x06", 4) + std::string(18, '\0'));

  TZipHeaderInfo dir;
  dir.SetDirectory("docs");
  EXPECT_EQ(dir.Directory(), "docs/");
  EXPECT_EQ(dir.FileNameLength, 5);
  dir.SetFileName("a.txt");
  EXPECT_EQ(dir.FileNameLength, 10);
  dir.SetFileName("");
  dir.SetDirectory("");
  EXPECT_EQ(dir.FileNameLength, 0);
  dir.SetDirectory("x");
  dir.CompressionMethod = 0;
  dir.CRC32 = 0;
  dir.InternalAttributes = 0;
  TMemoryStream s;
  dir.SaveLocalToStream(s);
  dir.SaveCentralToStream(s);
  const auto& d = s.Data();
  ASSERT_EQ(d.size(), 30u + 2 + 46 + 2);
  ByteReader local(d.data(), 32);
  EXPECT_EQ(local.U32(), kLocalHeaderSignature);
  EXPECT_EQ(local.U16(), 20);
  local.Skip(2 + 2 + 4);
  EXPECT_EQ(local.U32(), 0u);  // CRC
  EXPECT_EQ(local.U32(), 0u);
  EXPECT_EQ(local.U32(), 0u);
  EXPECT_EQ(local.U16(), 2);
  EXPECT_EQ(local.U16(), 0);
  EXPECT_EQ(local.Bytes(2), "x/");
  ByteReader central(d.data() + 32, 48);
  central.Skip(36);
  EXPECT_EQ(central.U16(), 0);      // internal attributes
  EXPECT_EQ(central.U32(), 0x20u);  // external attributes
}

TEST(Records, EndRecordSearch) {
  struct Case {
    const char* what;
    std::string bytes;
    bool found;
    std::uint64_t entries;
  };
  std::string rec = std::string("PK\x05\x06", 4) + std::string(4, '\0') +
                    std::string("\x07\0\x07\0", 4) + std::string(8, '\0');
  std::string withComment = rec + std::string("\x09\0", 2) + "PK\x05\x06xy";
  std::string rec2 = rec;
  rec2[8] = rec2[10] = 2;
  std::string commentHoldsRecord = rec + std::string("\x16\0", 2);
  commentHoldsRecord += rec2 + std::string(2, '\0');
  const Case cases[] = {
      {"empty file is an empty archive", "", true, 0},
      {"one byte", "P", false, 0},
      {"21 bytes", std::string(21, 'P'), false, 0},
      {"plain record", rec + std::string(2, '\0'), true, 7},
      {"record after data", std::string(1000, 'x') + rec + std::string(2, '\0'), true, 7},
      {"signature in the comment, too short to be a record", withComment, true, 7},
      {"a whole record inside the comment wins", commentHoldsRecord, true, 2},
      {"no signature", std::string(100, 'x'), false, 0},
  };
  for (const auto& c : cases) {
    TMemoryStream s(std::vector<std::uint8_t>(c.bytes.begin(), c.bytes.end()));
    TEndCentral end;
    EXPECT_EQ(end.FindInStream(s), c.found) << c.what;
    if (c.found) {
      EXPECT_EQ(end.TotalEntries, c.entries) << c.what;
    }
  }
  // The comment offset points just after the fixed 22 bytes.
  TMemoryStream s(std::vector<std::uint8_t>(withComment.begin(), withComment.end()));
  TEndCentral end;
  ASSERT_TRUE(end.FindInStream(s));
  EXPECT_EQ(end.CommentOffset, 22);
  EXPECT_EQ(end.CommentLength, 9);
  EXPECT_EQ(end.RecordSize(), 31);
}

TEST(Records, NamesDecodeByHostAndFlag) {
  struct Case {
    std::uint16_t madeBy, flag;
    std::string raw, expected;
  };
  const Case cases[] = {
      {0x0014, 0,
       "a/\x81"
       "ber.txt",
       "a/\xC3\xBC"
       "ber.txt"},  // MS-DOS host: CP437
      {0x0314, 0,
       "a/\xC3\xBC"
       "ber.txt",
       "a/\xC3\xBC"
       "ber.txt"},  // Unix host, UTF-8
      {0x0314, 0,
       "a/\x81"
       "ber.txt",
       "a/\xC3\xBC"
       "ber.txt"},  // Unix host, not UTF-8
      {0x0014, 0x0800,
       "a/\xC3\xBC"
       "ber.txt",
       "a/\xC3\xBC"
       "ber.txt"},  // flag bit 11
  };
  for (const auto& c : cases) {
    TZipHeaderInfo e;
    e.VersionMadeBy = c.madeBy;
    e.Flag = c.flag;
    TMemoryStream s;
    // Write the header with a raw name by hand: the library always writes UTF-8.
    ByteWriter w;
    w.U32(kCentralHeaderSignature);
    w.U16(c.madeBy);
    w.U16(20);
    w.U16(c.flag);
    w.U16(0);                              // method
    for (int i = 0; i < 4; ++i) w.U32(0);  // date-time, CRC, sizes
    s.WriteBuffer(w.Data().data(), static_cast<std::int64_t>(w.Size()));
    ByteWriter tail;
    tail.U16(static_cast<std::uint16_t>(c.raw.size()));
    tail.U16(4);  // an unknown extra field is skipped
    tail.U16(0);
    tail.U16(0);
    tail.U16(0);
    tail.U32(0);
    tail.U32(0);
    tail.Bytes(c.raw);
    tail.U32(0xCAFEBABE);
    s.WriteBuffer(tail.Data().data(), static_cast<std::int64_t>(tail.Size()));
    s.SetPosition(0);
    TStream* p = &s;
    ASSERT_TRUE(e.ReadCentralFromStream(p));
    EXPECT_EQ(e.FullName(), c.expected);
    EXPECT_EQ(e.Directory(), "a/");
    EXPECT_EQ(e.CentralExtraLength, 4);
    // Rewritten, the name is UTF-8 with flag bit 11, and no extra field is written.
    TMemoryStream again;
    e.SaveCentralToStream(again);
    ByteReader r(again.Data().data(), again.Data().size());
    r.Skip(8);
    EXPECT_TRUE(r.U16() & 0x0800);
    r.Skip(20);
    EXPECT_EQ(r.U16(), 0);  // extra field length
  }
}

TEST(Records, LocalHeaderReadsBackAndLeavesStreamAfterName) {
  TZipHeaderInfo e;
  e.SetDirectory("sub");
  e.SetFileName("f.bin");
  e.DateTime = 0x00000000;  // month 0, day 0: normalised on reading
  e.CRC32 = 0x12345678;
  e.CompressedSize = 7;
  e.UncompressedSize = 9;
  e.LocalExtraLength = 4;
  TMemoryStream s;
  s.WriteBuffer("junk", 4);
  e.SaveLocalToStream(s);
  EXPECT_EQ(e.LocalHeaderOffset, 4);
  s.WriteBuffer("EXTR", 4);
  s.SetPosition(4);
  TZipHeaderInfo r;
  ASSERT_TRUE(r.ReadLocalFromStream(s));
  EXPECT_EQ(s.Position(), 4 + 30 + 9);
  EXPECT_EQ(r.FullName(), "sub/f.bin");
  EXPECT_EQ(r.LocalHeaderOffset, 4);
  EXPECT_EQ(r.LocalExtraLength, 4);
  EXPECT_EQ(r.DateTime, 0x00210000u);  // 1980-01-01 00:00:00
  EXPECT_EQ(r.CompressedSize, 7);
  EXPECT_EQ(r.LocalSize(), 30 + 9 + 4);
  s.SetPosition(0);
  EXPECT_FALSE(r.ReadLocalFromStream(s));
  EXPECT_EQ(s.Position(), 0);
}

TEST(Records, Zip64FieldsRoundTrip) {
  TZipHeaderInfo e;
  e.SetFileName("big.bin");
  e.UncompressedSize = 5LL << 30;
  e.CompressedSize = 3;
  e.LocalHeaderOffset = 6LL << 30;
  TMemoryStream s;
  e.SaveCentralToStream(s);
  s.SetPosition(0);
  TStream* p = &s;
  TZipHeaderInfo r;
  ASSERT_TRUE(r.ReadCentralFromStream(p));
  EXPECT_EQ(r.UncompressedSize, 5LL << 30);
  EXPECT_EQ(r.CompressedSize, 3);
  EXPECT_EQ(r.LocalHeaderOffset, 6LL << 30);
  EXPECT_EQ(r.CentralExtraLength, 20);

  TMemoryStream local;
  TZipHeaderInfo big;
  big.SetFileName("big.bin");
  big.UncompressedSize = big.CompressedSize = 5LL << 30;
  big.SaveLocalToStream(local);
  EXPECT_TRUE(big.LocalZip64);
  local.SetPosition(0);
  TZipHeaderInfo lr;
  ASSERT_TRUE(lr.ReadLocalFromStream(local));
  EXPECT_EQ(lr.CompressedSize, 5LL << 30);
  EXPECT_EQ(lr.LocalExtraLength, 20);

  TEndCentral end;
  end.TotalEntries = end.EntriesThisDisk = 70000;
  end.CentralDirectoryOffset = 5LL << 30;
  end.CentralDirectorySize = 1000;
  TMemoryStream es;
  es.WriteBuffer("prefix", 6);
  end.SaveToStream(es);
  EXPECT_EQ(es.Size(), 6 + end.RecordSize());
  TEndCentral back;
  ASSERT_TRUE(back.FindInStream(es));
  EXPECT_EQ(back.TotalEntries, 70000u);
  EXPECT_EQ(back.CentralDirectoryOffset, 5LL << 30);
}

TEST(Records, AssignCopiesFieldsButNotPendingCommentState) {
  TZipHeaderInfo a;
  a.SetDirectory("d");
  a.SetFileName("n");
  a.SetFileComment("hi");
  a.CRC32 = 42;
  TZipHeaderInfo b;
  b.SetFileComment("kept");
  TZipHeaderInfo noComment;
  b.Assign(noComment);
  EXPECT_EQ(b.FileComment(), "kept");  // a source without a loaded comment leaves it alone
  b.Assign(a);
  EXPECT_EQ(b.FullName(), "d/n");
  EXPECT_EQ(b.FileNameLength, 3);
  EXPECT_EQ(b.FileComment(), "hi");
  EXPECT_EQ(b.CRC32, 42u);

  TEndCentral x, y;
  x.SetComment("c");
  x.TotalEntries = 3;
  y.CommentChanged = 1;
  y.Assign(x);
  EXPECT_EQ(y.CommentChanged, 1);
  EXPECT_EQ(y.Comment(), "c");
  EXPECT_EQ(y.TotalEntries, 3u);
}
