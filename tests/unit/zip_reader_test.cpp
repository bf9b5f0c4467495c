// Zip archives of report folders: those another tool makes (tests/unit/make_zip_fixtures.py) list
// and read back byte for byte, stored, deflated and streamed; a damaged or hostile archive (lying
// sizes and offsets, huge declarations, zip64, split, encrypted, unknown methods, cut short at any
// byte) is an error value, never a crash, and nothing is read past the cap.
#include "fleet/zip_reader.h"
#include "tests/unit/zip_maker.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <functional>

namespace {
using namespace kit::fleet;

std::string Csv() {
  std::string csv = "\xEF\xBB\xBFProgram,Component,Result,Message\r\n";
  for (int i = 0; i < 200; ++i) csv += "probe_" + std::to_string(i) + ",X" + std::to_string(i) + ".OCX,works,runs\r\n";
  return csv;
}

std::string Picture() {
  std::string picture(1 << 20, '\0');
  for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<char>((i * 7 + i / 1000) % 251);
  return picture;
}

std::string ReadOrError(const ZipReader& zip, const ZipEntry& entry) {
  std::string error;
  const std::optional<std::string> bytes = zip.Read(entry, error);
  EXPECT_EQ(bytes.has_value(), error.empty()) << entry.name << ": " << error;
  return bytes ? *bytes : "<error: " + error + ">";
}

TEST(ZipReader, ReadsAReportFolderAsAnotherToolZippedIt) {
  for (const char* file : {"report.zip", "streamed.zip"}) {
    const ZipReader zip = ZipReader::FromFile(std::string(KIT_ZIP_FIXTURES) + "/" + file);
    ASSERT_EQ(zip.Error(), "") << file;
    std::vector<std::string> names;
    for (const ZipEntry& entry : zip.Entries()) names.push_back(entry.name);
    EXPECT_EQ(names, (std::vector<std::string>{"kit_survey_PC1/", "kit_survey_PC1/report.csv", "kit_survey_PC1/machine.txt",
                                               "kit_survey_PC1/picture.bin", "kit_survey_PC1/\xC3\xA9t\xC3\xA9.txt",
                                               "../outside.txt", "/absolute.txt", "kit_survey_PC1/empty.txt"}))
        << file << ": names are given as stored, those pointing outside the folder included";
    ASSERT_EQ(names.size(), 8u);
    EXPECT_TRUE(zip.Entries()[0].IsFolder());
    EXPECT_FALSE(zip.Entries()[1].IsFolder());
    EXPECT_EQ(ReadOrError(zip, zip.Entries()[0]), "");
    EXPECT_EQ(ReadOrError(zip, *zip.Find("kit_survey_PC1/report.csv")), Csv()) << file;
    EXPECT_EQ(ReadOrError(zip, *zip.Find("kit_survey_PC1/machine.txt")), "machine=PC1\r\nkit=1.00\r\n") << file;
    EXPECT_TRUE(ReadOrError(zip, *zip.Find("kit_survey_PC1/picture.bin")) == Picture()) << file;
    EXPECT_EQ(ReadOrError(zip, zip.Entries()[4]), "\xC3\xA9t\xC3\xA9") << file;
    EXPECT_EQ(ReadOrError(zip, *zip.Find("../outside.txt")), "out") << file;
    EXPECT_EQ(ReadOrError(zip, *zip.Find("/absolute.txt")), "abs") << file;
    EXPECT_EQ(ReadOrError(zip, zip.Entries()[7]), "") << file;
    EXPECT_EQ(zip.Find("report.csv"), nullptr) << "a name is found whole, never by its end";
  }
  const ZipReader missing = ZipReader::FromFile(std::string(KIT_ZIP_FIXTURES) + "/no such.zip");
  EXPECT_NE(missing.Error().find("cannot open"), std::string::npos) << missing.Error();
  EXPECT_TRUE(missing.Entries().empty());
}

using kit::test::Le32;
using kit::test::Put16;
using kit::test::Put32;
using Built = kit::test::MadeZip;

// Two entries, "a.txt" stored and "b.txt" deflated, and the archive's end record.
Built Build() { return kit::test::MakeZip({{"a.txt", "stored text"}, {"b.txt", std::string(5000, 'b') + "end", true}}); }

TEST(ZipReader, ABuiltArchiveReads) {
  const ZipReader zip(Build().bytes);
  ASSERT_EQ(zip.Error(), "");
  ASSERT_EQ(zip.Entries().size(), 2u);
  EXPECT_EQ(ReadOrError(zip, zip.Entries()[0]), "stored text");
  EXPECT_EQ(ReadOrError(zip, zip.Entries()[1]), std::string(5000, 'b') + "end");
}

TEST(ZipReader, DamagedOrHostileArchivesAreErrorsNotCrashes) {
  struct Case {
    const char* what;
    std::function<void(Built&)> damage;
    const char* directoryError;  // nullptr: the directory reads, and entry `entry` does not
    int entry;
    const char* readError;
  };
  const Case cases[] = {
      {"empty file", [](Built& b) { b.bytes.clear(); }, "too short", 0, nullptr},
      {"no end record", [](Built& b) { Put32(b.bytes, b.end, 0); }, "no end record", 0, nullptr},
      {"end record's comment runs past the end", [](Built& b) { Put16(b.bytes, b.end + 20, 1); }, "no end record", 0, nullptr},
      {"directory beyond the archive", [](Built& b) { Put32(b.bytes, b.end + 16, 0x7FFFFFF0); }, "outside the archive", 0, nullptr},
      {"directory longer than the archive", [](Built& b) { Put32(b.bytes, b.end + 12, 0x7FFFFFF0); }, "outside the archive", 0, nullptr},
      {"more entries declared than the directory holds",
       [](Built& b) { Put16(b.bytes, b.end + 8, 60000); Put16(b.bytes, b.end + 10, 60000); }, "too short for its 60000", 0, nullptr},
      {"a name running past the directory", [](Built& b) { Put16(b.bytes, b.central[1] + 28, 0xFFF0); }, "runs past", 0, nullptr},
      {"a directory entry's signature broken", [](Built& b) { b.bytes[b.central[1]] = 'X'; }, "entry 2 of the central directory is damaged", 0, nullptr},
      {"zip64 end record", [](Built& b) { Put32(b.bytes, b.end + 16, 0xFFFFFFFF); }, "zip64", 0, nullptr},
      {"zip64 locator before the end",
       [](Built& b) { b.bytes.insert(b.end, Le32(0x07064B50) + std::string(16, '\0')); }, "zip64", 0, nullptr},
      {"zip64 entry size", [](Built& b) { Put32(b.bytes, b.central[0] + 24, 0xFFFFFFFF); }, "needs zip64", 0, nullptr},
      {"split over disks", [](Built& b) { Put16(b.bytes, b.end + 4, 1); }, "several disks", 0, nullptr},
      {"local header offset out of range", [](Built& b) { Put32(b.bytes, b.central[0] + 42, 0x10000000); }, nullptr, 0, "no local header"},
      {"local header offset at no header", [](Built& b) { Put32(b.bytes, b.central[1] + 42, 3); }, nullptr, 1, "no local header"},
      {"compressed size past the end", [](Built& b) { Put32(b.bytes, b.central[1] + 20, 0x00FFFFFF); }, nullptr, 1, "past the archive's end"},
      {"local name length past the end", [](Built& b) { Put16(b.bytes, b.local[1] + 26, 0xFFFF); }, nullptr, 1, "past the archive's end"},
      {"a huge declared size", [](Built& b) { Put32(b.bytes, b.central[1] + 24, 0x7FFFFFFF); }, nullptr, 1, "more than an entry"},
      {"declared size just above the cap", [](Built& b) { Put32(b.bytes, b.central[1] + 24, kMaxZipEntrySize + 1); }, nullptr, 1, "more than an entry"},
      {"inflates to more than declared", [](Built& b) { Put32(b.bytes, b.central[1] + 24, 100); }, nullptr, 1, "more than its declared 100"},
      {"inflates to less than declared", [](Built& b) { Put32(b.bytes, b.central[1] + 24, 6000); }, nullptr, 1, "not its declared 6000"},
      {"deflated data cut short", [](Built& b) { Put32(b.bytes, b.central[1] + 20, 10); }, nullptr, 1, "ends early"},
      {"deflated data garbage", [](Built& b) { for (int i = 0; i < 8; ++i) b.bytes[b.local[1] + 35 + i] = '\xFF'; }, nullptr, 1, "damaged"},
      {"checksum wrong", [](Built& b) { Put32(b.bytes, b.central[0] + 16, 1234); }, nullptr, 0, "checksum"},
      {"stored text changed", [](Built& b) { b.bytes[b.local[0] + 35] ^= 1; }, nullptr, 0, "checksum"},
      {"stored with differing sizes", [](Built& b) { Put32(b.bytes, b.central[0] + 24, 5); }, nullptr, 0, "sizes differ"},
      {"an unknown method", [](Built& b) { Put16(b.bytes, b.central[1] + 10, 12); }, nullptr, 1, "method 12"},
      {"encrypted", [](Built& b) { Put16(b.bytes, b.central[0] + 8, 1); }, nullptr, 0, "encrypted"},
  };
  for (const Case& c : cases) {
    Built built = Build();
    c.damage(built);
    const ZipReader zip(built.bytes);
    if (c.directoryError) {
      EXPECT_NE(zip.Error().find(c.directoryError), std::string::npos) << c.what << ": \"" << zip.Error() << "\"";
      EXPECT_TRUE(zip.Entries().empty()) << c.what;
      continue;
    }
    ASSERT_EQ(zip.Error(), "") << c.what;
    std::string error = "sentinel";
    const std::optional<std::string> bytes = zip.Read(zip.Entries()[c.entry], error);
    EXPECT_FALSE(bytes.has_value()) << c.what << ": read " << (bytes ? bytes->size() : 0) << " bytes";
    EXPECT_NE(error.find(c.readError), std::string::npos) << c.what << ": \"" << error << "\"";
  }
}

TEST(ZipReader, AnArchiveCutShortOrWithAByteChangedNeverCrashes) {
  const std::string whole = Build().bytes;
  int read = 0;
  const auto readAll = [&](const std::string& bytes) {
    const ZipReader zip(bytes);
    for (const ZipEntry& entry : zip.Entries()) {
      std::string error;
      if (zip.Read(entry, error)) ++read;
    }
  };
  for (std::size_t length = 0; length < whole.size(); ++length) readAll(whole.substr(0, length));
  EXPECT_EQ(read, 0) << "no archive cut short reads: its end record is gone";
  for (std::size_t at = 0; at < whole.size(); ++at) {
    for (const char value : {'\0', '\xFF', '\x7F'}) {
      std::string changed = whole;
      changed[at] = value;
      readAll(changed);
    }
  }
  EXPECT_GT(read, 0);
}

}  // namespace
