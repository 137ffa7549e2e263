#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "fixtures/ZipBuilder.h"
#include "installer/Archive.h"
#include "installer/Inflate64.h"

namespace fx {
namespace {

std::string Inflate(bool d64, const std::string& in, std::size_t piece, std::uint64_t max) {
  std::string out;
  TInflater inflater(d64, max, [&](std::string_view b) { out += b; });
  for (std::size_t at = 0; at < in.size(); at += piece)
    inflater.Feed(std::string_view(in).substr(at, piece));
  if (!inflater.Finished()) throw EInflate("not finished");
  return out;
}

TEST(Inflater, DecodesWhatZlibWritesFedInAnyPieces) {
  const std::vector<std::string> inputs = {
      "", "a", std::string(300000, 'z'), test::SampleBytes(700000, 1), test::SampleBytes(5000, 2)};
  for (const std::string& data : inputs)
    for (const int level : {0, 1, 9})
      for (const std::size_t piece : {std::size_t{1}, std::size_t{77}, std::size_t{1} << 20}) {
        if (piece == 1 && data.size() > 10000) continue;  // a byte at a time costs seconds
        const std::string z = test::RawDeflate(data, level);
        EXPECT_EQ(Inflate(false, z, piece, data.size()), data)
            << data.size() << " bytes, level " << level << ", pieces of " << piece;
      }
}

TEST(Inflater, RefusesBadDataAndOutputPastItsLimit) {
  const std::string good = test::RawDeflate(test::SampleBytes(10000, 3), 6);
  struct TCase {
    const char* What;
    std::string In;
    std::uint64_t Max;
    bool D64;
  } cases[] = {
      {"block type 3", std::string("\x07", 1), 100, false},
      {"stored length not matching its complement", std::string("\x01\x05\x00\x00\x00", 5), 100,
       false},
      // A fixed block whose first code is a copy: nothing before it to copy from.
      {"distance before the start", std::string("\x03\x02", 2) + std::string(4, '\0'), 100, false},
      {"more than the declared size", good, 9999, false},
      {"distance code 30 outside Deflate64", std::string("\x0b\x0c\xf8\x03", 4), 1 << 20, false},
  };
  for (const TCase& c : cases)
    EXPECT_THROW(Inflate(c.D64, c.In, 4096, c.Max), EInflate) << c.What;
  // Cut short: never Finished, never an overread.
  std::string out;
  TInflater cut(false, 1 << 20, [&](std::string_view b) { out += b; });
  cut.Feed(std::string_view(good).substr(0, good.size() / 2));
  EXPECT_FALSE(cut.Finished());
}

// Runs a shell command; its standard error is dropped, and its standard output unless the
// command sends it somewhere itself.
bool Shell(const std::string& command, bool quiet = true) {
  return std::system((command + (quiet ? " >/dev/null 2>&1" : " 2>/dev/null")).c_str()) == 0;
}

// Deflate64 archives as 7-Zip writes them, each entry checked byte for byte against unzip.
TEST(Inflater, Deflate64ArchivesFrom7ZipMatchUnzip) {
  test::TTempDir dir;
  const std::vector<std::pair<std::string, std::string>> files = {
      {"empty.txt", ""},
      {"maps/repeats.bsp", test::SampleBytes(45000, 4) + test::SampleBytes(45000, 4) +
                               test::SampleBytes(45000, 4)},  // matches 45,000 back: past 32 KiB
      {"zeros.lmp", std::string(400000, '\0')},               // runs past 258: code 285 + 16 bits
      {"mixed.dat", test::SampleBytes(3 << 20, 5)},
  };
  for (const auto& [name, data] : files)
    test::WriteFileBytes(dir / "src" / name, data);
  const std::string zip = (dir / "d64.zip").string();
  ASSERT_TRUE(
      Shell("cd '" + (dir / "src").string() + "' && 7z a -tzip -mm=Deflate64 '" + zip + "' ."))
      << "7z (p7zip-full) is needed";
  const auto archive = OpenZipArchive(zip);
  int checked = 0;
  for (std::size_t i = 0; i < archive->Entries().size(); ++i) {
    const TArchiveEntry& e = archive->Entries()[i];
    if (e.IsFolder) continue;
    std::string ours;
    archive->Read(i, [&](std::string_view b) { ours += b; });
    const std::filesystem::path theirs = dir / "unzip.out";
    ASSERT_TRUE(
        Shell("unzip -p '" + zip + "' '" + e.Name + "' > '" + theirs.string() + "'", false));
    const std::string unzipped = test::ReadFileBytes(theirs);
    EXPECT_EQ(ours.size(), unzipped.size()) << e.Name;
    EXPECT_TRUE(ours == unzipped) << e.Name;
    if (e.Size > 0) {
      EXPECT_EQ(e.Method, 9) << e.Name;
    }
    ++checked;
  }
  EXPECT_EQ(checked, 4);
}

TEST(ZipArchive, ReadsZip64AndChecksEveryEntry) {
  test::TTempDir dir;
  const std::string data = test::SampleBytes(100000, 6);
  for (const bool zip64 : {false, true}) {
    const auto path = dir / (zip64 ? "64.zip" : "32.zip");
    test::WriteFileBytes(path,
                         test::BuildZip({{"maps/a.bsp", data}, {"b.txt", "hello", 0}}, zip64));
    const auto archive = OpenZipArchive(path.string());
    ASSERT_EQ(archive->Entries().size(), 2u);
    std::string a, b;
    archive->Read(0, [&](std::string_view p) { a += p; });
    archive->Read(1, [&](std::string_view p) { b += p; });
    EXPECT_EQ(a, data);
    EXPECT_EQ(b, "hello");
  }
}

TEST(ZipArchive, RefusesEntriesByName) {
  test::TTempDir dir;
  struct TCase {
    const char* What;
    test::TZipTestEntry Entry;
    std::string Reason;
  } cases[] = {
      {"bzip2", {"x.bsp", "abc", 12}, "compressed with method 12 (bzip2), which is not supported"},
      {"encrypted", test::TZipTestEntry("x.bsp", "abc", 0).WithEncryption(),
       "encrypted, which is not supported"},
      {"wrong CRC", test::TZipTestEntry("x.bsp", "abc").WithCrc(1234), "bad CRC"},
      {"declared smaller", test::TZipTestEntry("x.bsp", "abcdef").WithDeclared(3),
       "holds more data than it declares"},
      {"declared larger", test::TZipTestEntry("x.bsp", "abc", 0).WithDeclared(9),
       "holds less data than it declares"},
  };
  for (const TCase& c : cases) {
    const auto path = dir / "x.zip";
    test::WriteFileBytes(path, test::BuildZip({c.Entry}));
    try {
      const auto archive = OpenZipArchive(path.string());
      archive->Read(0, [](std::string_view) {});
      ADD_FAILURE() << c.What << ": read";
    } catch (const EArchive& e) {
      EXPECT_EQ(e.Entry(), "x.bsp") << c.What;
      EXPECT_EQ(std::string(e.what()), c.Reason) << c.What;
    }
  }
}

}  // namespace
}  // namespace fx
