// The shared fixture archives (made by many other tools): every entry of every archive tests
// clean with its password, except the archives listed here with the reason they cannot.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "TestSupport.h"
#include "zip/Exceptions.h"
#include "zip/Prompts.h"
#include "zip/TZipReader.h"

namespace {

const std::set<std::string> kExpectedToFail = {
    // Compression method we do not decode (deflate64, tokenizing)
    "commons-compress/COMPRESS-380-dd.zip",
    "commons-compress/moby.zip",
    // Damaged on purpose
    "commons-compress/COMPRESS-548.zip",
    "commons-compress/bla-stored-dd-contradicts-actualsize.zip",
    "commons-compress/bla-stored-dd-nosig.zip",
    "commons-compress/bla-stored-dd-sizes-differ.zip",
    "commons-compress/bla-stored-dd.zip",
    "commons-compress/invalid-zip.zip",
    "libarchive/test_read_format_zip.zip",
    "libarchive/test_read_format_zip_malformed1.zip",
    "libarchive/test_read_format_zip_size_exceeds_declared_deflate.zip",
    "libarchive/test_read_format_zip_size_exceeds_declared_stored.zip",
    "libzip/broken.zip",
    "libzip/gap.zip",
    "libzip/incons-central-compsize-larger-toolarge.zip",
    "libzip/incons-data.zip",
    "libzip/incons-local-magic-bad.zip",
    "libzip/incons-zip64-checkcons-overflow.zip",
    "zip2/invalid_cde_number_of_files_allocation_greater_offset.zip",
    "zip2/invalid_offset2.zip",
    "zip4j/entry_with_checksum_mismatch.zip",
    "zip4j/invalid_zip_file_size_less_than_22kb.zip",
    "zipdetails/0000-errors__badly-formed__Central-Directory-Header__Offset-past-EOF__test.zip",
    // Encryption we do not decode (aes, strong encryption) or no password known
    "commons-compress/password-encrypted.zip",
    "libarchive/test_read_format_zip_encryption_data.zip",
    "libarchive/test_read_format_zip_encryption_header.zip",
    "libarchive/test_read_format_zip_encryption_partially.zip",
    "libarchive/test_read_format_zip_winzip_aes128.zip",
    "libarchive/test_read_format_zip_winzip_aes256.zip",
    "libarchive/test_read_format_zip_winzip_aes256_stored.zip",
    "libzip/encrypt-aes128-noentropy.zip",
    "libzip/encrypt-aes128.zip",
    "libzip/encrypt-aes192.zip",
    "libzip/encrypt-aes256-noentropy.zip",
    "libzip/encrypt-aes256.zip",
    "libzip/hmac-error.zip",
    "minizip-ng/encrypted_wzaes.zip",
    "rubyzip/aes-keka.zip",
    "rubyzip/zip-aes-128.zip",
    "rubyzip/zip-aes-256.zip",
    "sharpcompress/SharpCompress.AES.zip",
    "sharpcompress/Zip.deflate.WinzipAES.zip",
    "sharpcompress/Zip.deflate.WinzipAES2.zip",
    "sharpcompress/Zip.none.encrypted.zip",
    "zip2/aes_archive.zip",
    "zip2/ignore_encryption_flag.zip",
    "zip4j/aes_with_extra_data_record_and_corrupt_mac.zip",
    "zip4j/store_compression_made_with_v1.3.3.zip",
    "zip4j/strong_encrypted.zip",
    "zipdetails/0002-7z__linux__7z-linux-aes256__7z-linux-aes256.zip",
    "zipdetails/0003-winzip__winzip-encrypt-aes128__winzip-encrypt-aes128.zip",
    "zipdetails/0003-winzip__winzip-encrypt-aes256__winzip-encrypt-aes256.zip",
    "zipdetails/0016-pkzip__pkzip-encrypt-passphrase-aes256__pkzip-encrypt-passphrase-aes256.zip",
    "zipdetails/"
    "0016-pkzip__pkzip-zip64-store-passphrase-cd-header-comment__pkzip-zip64-store-passphrase-cd-"
    "header-comment.zip",
    "zipdetails/0027-bsdtar__encrypt-aes128__encrypt-aes128.zip",
    // Split archive whose other volumes are not there
    "commons-compress/split_zip_created_by_zip.zip",
    "commons-compress/split_zip_created_by_zip_zip64.zip",
    "libzip/multidisk.zip",
    "sharpcompress/Infozip.nocomp.multi.zip",
    "sharpcompress/WinZip26.nocomp.multi.zip",
};

// Passwords from the fixtures' SOURCES.md table ("| file | password |").
std::map<std::string, std::string> Passwords(const std::string& dir) {
  std::map<std::string, std::string> result;
  std::ifstream in(dir + "/SOURCES.md");
  std::string line;
  bool inTable = false;
  while (std::getline(in, line)) {
    if (line.rfind("## ", 0) == 0) inTable = line == "## Passwords";
    if (!inTable || line.rfind("| ", 0) != 0) continue;
    auto bar = line.find(" | ", 2);
    if (bar == std::string::npos) continue;
    std::string file = line.substr(2, bar - 2);
    std::string pw = line.substr(bar + 3);
    pw = pw.substr(0, pw.rfind(" |"));
    result[file] = pw;
  }
  return result;
}

}  // namespace

TEST(FixtureCorpus, EveryArchiveTestsCleanUnlessKnownBad) {
  REQUIRE_FIXTURES(dir);
  auto passwords = Passwords(dir);
  zip::SetMessageBoxHandler([](const std::string&, const std::string&, zip::MsgKind,
                               zip::MsgButtons) { return zip::MsgResult::OK; });
  int clean = 0;
  for (const auto& file : std::filesystem::recursive_directory_iterator(dir)) {
    if (file.path().extension() != ".zip") continue;
    std::string rel = std::filesystem::relative(file.path(), dir).string();
    zip::TZipReader reader;
    reader.IncompleteZipMode = zip::izAssumeBad;
    reader.DoProcessMessages = false;
    reader.Password = passwords.count(rel) ? passwords[rel] : "";
    std::vector<zip::TEntryProblem> problems;
    std::string error;
    try {
      reader.SetZipName(file.path().string());
      reader.LoadZipDirectory();
      reader.TestEntries(problems);
    } catch (const zip::Exception& e) {
      error = e.what();
    }
    bool ok = error.empty() && problems.empty();
    if (kExpectedToFail.count(rel)) {
      EXPECT_FALSE(ok) << rel << " now tests clean: take it off the list";
    } else {
      EXPECT_TRUE(ok) << rel << ": " << error
                      << (problems.empty() ? "" : problems[0].name + ": " + problems[0].reason);
      clean += ok;
    }
  }
  zip::SetMessageBoxHandler({});
  EXPECT_GT(clean, 200);
}
