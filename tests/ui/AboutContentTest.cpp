#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "ui/AboutContent.h"
#include "ui/JpegPicture.h"

namespace fx {
namespace {

TEST(AboutContent, VersionAndMemoryTexts) {
  EXPECT_EQ(AboutVersionText({1, 2, 3, 45}), "1.23 (Build 45)");
  EXPECT_EQ(AboutVersionText({0, 1, 0, 0}), "0.10 (Build 0)");
  TFormatSettings settings;
  settings.ThousandSeparator = ".";
  EXPECT_EQ(AboutMemoryText(16ull * 1024 * 1024 * 1024, settings), "16.777.216 KB");
  EXPECT_EQ(AboutMemoryText(1536, settings), "2 KB");  // 1.5 rounds up
}

TEST(AboutContent, LinksLeadToTheInstalledReadmeAndManualPage) {
  test::TTempDir prefix;
  const std::filesystem::path bin = prefix.Path() / "bin";
  EXPECT_TRUE(AboutLinks(bin).empty()) << "a program that runs where nothing is installed";
  const auto readme = prefix.Path() / "share" / "doc" / "fraxinel" / "README.md";
  const auto manual = prefix.Path() / "share" / "man" / "man6" / "fraxinel.6";
  test::WriteFileBytes(readme, "# Fraxinel\n");
  test::WriteFileBytes(manual, ".TH FRAXINEL 6\n");
  EXPECT_EQ(AboutLinks(bin), (std::vector<TAboutLink>{{"Fraxinel's README", readme},
                                                      {"Fraxinel's manual page", manual}}));
}

TEST(CodeWordTyper, TakesLettersWhileTheyBeginACodeWord) {
  TCodeWordTyper typer;
  EXPECT_TRUE(typer.Type('C').Consumed);
  EXPECT_TRUE(typer.Type('R').Consumed);
  EXPECT_EQ(typer.Word(), "CR");
  // X begins no code word after CR: the word is cleared and the key left to the dialog.
  const auto x = typer.Type('X');
  EXPECT_FALSE(x.Consumed);
  EXPECT_EQ(typer.Word(), "");
  EXPECT_FALSE(typer.Type('Z').Consumed);
  EXPECT_FALSE(typer.Type('1').Consumed);

  for (const TCodeWord& code : kCodeWords) {
    const TCodeWord* completed = nullptr;
    for (const char letter : code.Word) {
      const auto result = typer.Type(letter);
      EXPECT_TRUE(result.Consumed) << code.Word;
      completed = result.Completed;
    }
    ASSERT_NE(completed, nullptr) << code.Word;
    EXPECT_EQ(completed->Picture, code.Picture);
    EXPECT_EQ(typer.Word(), "");
  }
  EXPECT_EQ(kCodeWords[0].Word, "CREDITS");
}

// The program's own backdrop: 1024 x 768, black where the credits roll.
TEST(JpegPicture, DecodesAGoodPictureAndReportsBrokenOnes) {
  const std::string good =
      test::ReadFileBytes(FX_SOURCE_DIR "/resources/pictures/credits-1002.jpg");
  const TPixels pixels = DecodeJpeg(good);
  EXPECT_EQ(pixels.Width, 1024);
  EXPECT_EQ(pixels.Height, 768);
  ASSERT_EQ(pixels.Rgb.size(), 1024u * 768 * 3);
  const std::size_t centre = (384u * 1024 + 512) * 3;
  EXPECT_LE(pixels.Rgb[centre] + pixels.Rgb[centre + 1] + pixels.Rgb[centre + 2], 12);

  std::string damaged = good;
  for (std::size_t i = damaged.size() / 3; i < damaged.size() / 3 + 4000; ++i)
    damaged[i] = static_cast<char>(0xff);
  const std::vector<std::pair<const char*, std::string>> broken = {
      {"empty", ""},
      {"no JPEG", "GIF89a not a jpeg at all"},
      {"cut off", good.substr(0, good.size() / 2)},
      {"header only", good.substr(0, 200)},
      {"damaged", damaged},
  };
  for (const auto& [name, data] : broken) {
    try {
      DecodeJpeg(data);
      ADD_FAILURE() << name << " decoded";
    } catch (const EPictureError& e) {
      EXPECT_NE(std::string(e.what()), "") << name;
    }
  }
}

}  // namespace
}  // namespace fx
