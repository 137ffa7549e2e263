// The regedit text format: the exact bytes we write, what we accept from
// Windows' exports, and that no malformed or cut-off file is taken as valid.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegFile.h"

namespace fx {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string CrLf(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (const auto line : lines)
    out.append(line).append("\r\n");
  return out;
}

// A version 5 export as Windows writes it: UTF-16LE with a byte-order mark.
std::string Utf16File(std::u16string_view text) {
  std::string out = "\xFF\xFE";
  for (const char16_t unit : text) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

TRegTree Parse(std::string_view text, std::vector<std::string>* warnings = nullptr) {
  return ParseRegFile(text, HKEY_CURRENT_USER, "test.reg", warnings);
}

TEST(RegFileWriteTest, ASmallTreeIsWrittenAsRegedit4Text) {
  TRegTree tree;
  tree.SetValue("", "Root", {REG_SZ, "top"});
  tree.SetValue("Software\\Fraxinel", "", {REG_SZ, "Default"});
  tree.SetValue("Software\\Fraxinel", "Name", {REG_SZ, "Say \"hi\" C:\\x"});
  tree.SetValue("Software\\Fraxinel", "Count", {REG_DWORD, std::string("\x2a\0\0\0", 4)});
  tree.SetValue("Software\\Fraxinel", "Neg", {REG_DWORD, "\xFF\xFF\xFF\xFF"});
  tree.SetValue("Software\\Fraxinel", "Blob", {REG_BINARY, "\x01\x02\xFF"});
  tree.SetValue("Software\\Fraxinel", "Path", {REG_EXPAND_SZ, "%Q%"});
  tree.SetValue("Software\\Fraxinel", "Multi", {REG_MULTI_SZ, std::string("a\0b\0\0", 5)});
  tree.SetValue("Software\\Fraxinel", "QWord", {11, std::string("\x01\0\0\0\0\0\0\0", 8)});
  tree.SetValue("Software\\Fraxinel", "None", {REG_NONE, ""});
  tree.SetValue("Software\\Fraxinel", "Lines", {REG_SZ, "a\r\nb"});
  tree.CreateKey("Software\\Fraxinel\\Empty");
  tree.CreateKey("software\\alpha");

  EXPECT_EQ(FormatRegFile(tree, HKEY_CURRENT_USER),
            CrLf({"REGEDIT4",
                  "",
                  "[HKEY_CURRENT_USER]",
                  "\"Root\"=\"top\"",
                  "",
                  "[HKEY_CURRENT_USER\\Software]",
                  "",
                  "[HKEY_CURRENT_USER\\Software\\alpha]",
                  "",
                  "[HKEY_CURRENT_USER\\Software\\Fraxinel]",
                  "@=\"Default\"",
                  "\"Name\"=\"Say \\\"hi\\\" C:\\\\x\"",
                  "\"Count\"=dword:0000002a",
                  "\"Neg\"=dword:ffffffff",
                  "\"Blob\"=hex:01,02,ff",
                  "\"Path\"=hex(2):25,51,25,00",
                  "\"Multi\"=hex(7):61,00,62,00,00",
                  "\"QWord\"=hex(b):01,00,00,00,00,00,00,00",
                  "\"None\"=hex(0):",
                  "\"Lines\"=hex(1):61,0d,0a,62,00",
                  "",
                  "[HKEY_CURRENT_USER\\Software\\Fraxinel\\Empty]",
                  ""}));
  EXPECT_EQ(FormatRegFile(TRegTree(), HKEY_LOCAL_MACHINE), "REGEDIT4\r\n\r\n");
  EXPECT_THROW(FormatRegFile(tree, 0x1234), ERegistryException);
}

TEST(RegFileWriteTest, LongHexDataWrapsLikeRegedit) {
  TRegTree tree;
  std::string bytes;
  for (int i = 0; i < 40; ++i)
    bytes += static_cast<char>(i);
  tree.SetValue("K", "Long", {REG_BINARY, bytes});
  EXPECT_EQ(FormatRegFile(tree, HKEY_CURRENT_USER),
            CrLf({"REGEDIT4", "", "[HKEY_CURRENT_USER\\K]",
                  "\"Long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,"
                  "15,\\",
                  "  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27", ""}));

  tree.SetValue("K", "Huge", {REG_BINARY, std::string(1000, '\x5a')});
  const std::string text = FormatRegFile(tree, HKEY_CURRENT_USER);
  std::size_t start = 0, longest = 0, lines = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    longest = std::max(longest, end - start);
    ++lines;
  }
  EXPECT_LE(longest, 80u);
  EXPECT_GT(lines, 40u);
  EXPECT_EQ(Parse(text).FindValue("K", "Huge")->Data, std::string(1000, '\x5a'));
}

TEST(RegFileRoundTripTest, EveryTypeAndAwkwardNameComesBackUnchanged) {
  TRegTree tree;
  std::string all;
  for (int i = 0; i < 256; ++i)
    all += static_cast<char>(i);
  tree.SetValue("", "AtRoot", {REG_DWORD, std::string("\x01\x02\x03\x04", 4)});
  tree.SetValue("Types", "", {REG_SZ, ""});
  tree.SetValue("Types", "@", {REG_SZ, "not the default"});
  tree.SetValue("Types", "Quote\"Back\\slash", {REG_SZ, "\"\\\"\\"});
  tree.SetValue("Types", "Umlaut \xC3\xBC", {REG_SZ, "\xC3\xA4\xFF raw 8-bit"});
  tree.SetValue("Types", "Tab", {REG_SZ, "a\tb;c=d[e]"});
  tree.SetValue("Types", "Breaks", {REG_SZ, "line1\r\nline2\n"});
  tree.SetValue("Types", "Zero", {REG_SZ, std::string("a\0b\0", 4)});
  tree.SetValue("Types", "Expand", {REG_EXPAND_SZ, "%PATH%"});
  tree.SetValue("Types", "Multi", {REG_MULTI_SZ, std::string("one\0two\0\0", 9)});
  tree.SetValue("Types", "All", {REG_BINARY, all});
  tree.SetValue("Types", "NoBytes", {REG_BINARY, ""});
  tree.SetValue("Types", "ShortDword", {REG_DWORD, "\x07"});
  tree.SetValue("Types", "Big", {0x100, "\x10\x20"});
  tree.SetValue("Types", "None", {REG_NONE, "\x00\x01"});
  tree.CreateKey("Odd]Name\\[Inner]");
  tree.CreateKey("-Dash");
  tree.CreateKey("Empty");

  const std::string text = FormatRegFile(tree, HKEY_CURRENT_USER);
  const TRegTree back = Parse(text);
  EXPECT_TRUE(back == tree) << text;
  EXPECT_EQ(FormatRegFile(back, HKEY_CURRENT_USER), text) << "written back byte for byte";
  EXPECT_THAT(back.SubKeyNames(""), ElementsAre("-Dash", "Empty", "Odd]Name", "Types"));
}

TEST(RegFileReadTest, AWindowsVersion5ExportInUtf16IsReadAsUtf8) {
  const std::string file = Utf16File(
      u"Windows Registry Editor Version 5.00\r\n"
      u"\r\n"
      u"; exported by hand\r\n"
      u"[HKEY_CURRENT_USER\\Software\\M\u00fcller]\r\n"
      u"\"Gr\u00fc\u00dfe\"=\"Sch\u00f6n \U0001F600\"\r\n"
      u"@=\"default\"\r\n"
      u"\"Dir\"=hex(2):25,00,51,00,25,00,5c,00,\\\r\n"
      u"  fc,00,00,00\r\n"
      u"\"Count\"=dword:00000010\r\n"
      u"\"Text1\"=hex(1):41,00,00,00\r\n"
      u"\"Multi\"=hex(7):61,00,00,00,e4,00,00,00,00,00\r\n"
      u"\"Bin\"=hex:de,ad\r\n"
      u"\r\n"
      u"[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n"
      u"\"x\"=\"y\"\r\n"
      u"\r\n");
  std::vector<std::string> warnings;
  const TRegTree tree = Parse(file, &warnings);
  const std::string key = "software\\m\xC3\xBCller";
  EXPECT_THAT(tree.SubKeyNames("Software"), ElementsAre("M\xC3\xBCller"));
  EXPECT_THAT(tree.ValueNames(key), ElementsAre("Gr\xC3\xBC\xC3\x9F"
                                                "e",
                                                "", "Dir", "Count", "Text1", "Multi", "Bin"));
  EXPECT_EQ(*tree.FindValue(key,
                            "Gr\xC3\xBC\xC3\x9F"
                            "e"),
            (TRegValue{REG_SZ, "Sch\xC3\xB6n \xF0\x9F\x98\x80"}));
  EXPECT_EQ(*tree.FindValue(key, "Dir"), (TRegValue{REG_EXPAND_SZ, "%Q%\\\xC3\xBC"}));
  EXPECT_EQ(*tree.FindValue(key, "Count"), (TRegValue{REG_DWORD, std::string("\x10\0\0\0", 4)}));
  EXPECT_EQ(*tree.FindValue(key, "Text1"), (TRegValue{REG_SZ, "A"}));
  EXPECT_EQ(*tree.FindValue(key, "Multi"),
            (TRegValue{REG_MULTI_SZ, std::string("a\0\xC3\xA4\0\0", 6)}));
  EXPECT_EQ(*tree.FindValue(key, "Bin"), (TRegValue{REG_BINARY, "\xDE\xAD"}));
  EXPECT_FALSE(tree.KeyExists("Software\\Other"));
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_THAT(warnings[0], StartsWith("test.reg, line 14: "));
  EXPECT_THAT(warnings[0], HasSubstr("HKEY_LOCAL_MACHINE"));

  const std::string written = FormatRegFile(tree, HKEY_CURRENT_USER);
  EXPECT_THAT(written, HasSubstr("\r\n\"Dir\"=hex(2):25,51,25,5c,c3,bc,00\r\n"));
  EXPECT_THAT(written, HasSubstr("\r\n\"Text1\"=\"A\"\r\n"));
}

TEST(RegFileReadTest, LenientLayoutsAreAccepted) {
  const TRegTree tree = Parse(
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
      "\n"
      "  ; comment\n"
      "[hkey_current_user\\A]   \n"
      "  \"s\" = \"x\"  \n"
      "\"d\"=DWORD:2a\n"
      "\"h\"=hex:1, 2 ,\\\n"
      "\t3\n"
      "\"t\"=hex:01,02,\n"
      "\"e\"=hex:\n");
  EXPECT_EQ(tree.FindValue("A", "s")->Data, "x");
  EXPECT_EQ(tree.FindValue("A", "d")->Data, std::string("\x2a\0\0\0", 4));
  EXPECT_EQ(tree.FindValue("A", "h")->Data, "\x01\x02\x03");
  EXPECT_EQ(tree.FindValue("A", "t")->Data, "\x01\x02");
  EXPECT_EQ(*tree.FindValue("A", "e"), (TRegValue{REG_BINARY, ""}));
}

TEST(RegFileReadTest, KeyAndValueDeletionsApplyInFileOrder) {
  const TRegTree tree = Parse(CrLf({
      "REGEDIT4",
      "[HKEY_CURRENT_USER\\A]",
      "\"keep\"=\"1\"",
      "\"drop\"=\"2\"",
      "[HKEY_CURRENT_USER\\A\\B\\C]",
      "\"deep\"=dword:1",
      "[HKEY_CURRENT_USER\\A]",
      "\"DROP\"=-",
      "\"never\"=-",
      "[-HKEY_CURRENT_USER\\a\\b]",
      "[-HKEY_CURRENT_USER\\Nothing]",
      "[HKEY_CURRENT_USER\\A\\B2]",
  }));
  EXPECT_THAT(tree.ValueNames("A"), ElementsAre("keep"));
  EXPECT_THAT(tree.SubKeyNames("A"), ElementsAre("B2"));
}

struct TBadFile {
  const char* Name;
  std::string Text;
  int Line;
  const char* Reason;
};

TEST(RegFileReadTest, MalformedFilesNameTheFileAndTheLine) {
  const std::string head = "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n";
  const std::vector<TBadFile> cases = {
      {"empty", "", 1, "empty"},
      {"no header", "[HKEY_CURRENT_USER\\A]\r\n", 1, "not a registry file"},
      {"value outside a section", "REGEDIT4\r\n\r\n\"a\"=\"b\"\r\n", 3, "outside"},
      {"value after a key deletion", "REGEDIT4\r\n[-HKEY_CURRENT_USER\\A]\r\n@=\"b\"\r\n", 3,
       "outside"},
      {"bad escape", head + "\"a\"=\"b\\n\"\r\n", 3, "bad escape"},
      {"bad escape in a name", head + "\"a\\x\"=\"b\"\r\n", 3, "bad escape"},
      {"bad hex", head + "\"a\"=hex:01,zz\r\n", 3, "bad hex byte"},
      {"three hex digits", head + "\"a\"=hex:100\r\n", 3, "bad hex byte"},
      {"bad hex continuation", head + "\"a\"=hex:01,\\\r\n  0g\r\n", 3, "bad hex byte"},
      {"bad hex type", head + "\"a\"=hex(zz):01\r\n", 3, "hex(...)"},
      {"unterminated string", head + "\"a\"=\"abc\r\n", 3, "unterminated"},
      {"unterminated name", head + "\"a=\"abc\"\r\n", 3, "expected '='"},
      {"text after a string", head + "\"a\"=\"b\" c\r\n", 3, "after the string"},
      {"dword with nine digits", head + "\"a\"=dword:000000001\r\n", 3, "1 to 8"},
      {"dword without digits", head + "\"a\"=dword:\r\n", 3, "1 to 8"},
      {"dword not hex", head + "\"a\"=dword:0000000x\r\n", 3, "1 to 8"},
      {"unknown data", head + "\"a\"=str:x\r\n", 3, "unknown kind"},
      {"empty data", head + "@=\r\n", 3, "unknown kind"},
      {"unclosed section", "REGEDIT4\r\n[HKEY_CURRENT_USER\\A\r\n", 2, "must end with ']'"},
      {"unknown root", "REGEDIT4\r\n[HKEY_NOWHERE\\A]\r\n", 2, "unknown root"},
      {"stray text", head + "hello\r\n", 3, "unexpected text"},
      {"zero byte in a key name",
       std::string("REGEDIT4\r\n[HKEY_CURRENT_USER\\A") + '\0' + "B]\r\n", 2, "zero byte"},
      {"cut in the middle of a line", head + "\"a\"=dword:0000", 3, "truncated"},
      {"cut inside a string", head + "\"a\"=\"C:\\\\Qu", 3, "truncated"},
      {"cut inside a name", head + "\"Na", 3, "truncated"},
      {"cut after a name", head + "\"Name\"=", 3, "truncated"},
      {"cut inside a key name", "REGEDIT4\r\n[HKEY_CURRENT_USER\\So", 2, "truncated"},
      {"cut after an escaped quote", head + "\"a\"=\"x\\\"", 3, "truncated"},
      {"cut inside hex bytes", head + "\"a\"=hex:01,02", 3, "truncated"},
      {"cut inside a hex continuation", head + "\"a\"=hex:01,\\\r\n  02,0", 4, "truncated"},
      {"cut during hex continuation", head + "\"a\"=hex:01,02,\\\r\n", 3, "past the end"},
      {"blank line in hex continuation", head + "\"a\"=hex:01,\\\r\n\r\n\"b\"=\"c\"\r\n", 4,
       "continuation"},
      {"odd UTF-16 byte count", Utf16File(u"Windows Registry Editor Version 5.00\r\n") + "A", 2,
       "middle of a character"},
      {"UTF-16 big-endian", "\xFE\xFF", 1, "big-endian"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    try {
      Parse(c.Text);
      ADD_FAILURE() << "accepted";
    } catch (const ERegFileParseError& e) {
      EXPECT_EQ(e.FileName(), "test.reg");
      EXPECT_EQ(e.Line(), c.Line);
      EXPECT_THAT(e.what(), StartsWith("test.reg, line " + std::to_string(c.Line) + ": "));
      EXPECT_THAT(e.Reason(), HasSubstr(c.Reason));
    }
  }
}

TEST(RegFileReadTest, ALastLineWithoutItsBreakIsReadWhenItIsWhole) {
  const std::string head = "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=\"1\"\r\n";
  struct TCase {
    const char* Name;
    std::string Text;
    std::optional<std::string> Value;  // the value "a" of key A afterwards
  };
  const std::vector<TCase> cases = {
      {"a string", head + "\"a\"=\"C:\\\\Quake\"", "C:\\Quake"},
      {"a string before a lone carriage return", head + "\"a\"=\"b\"\r", "b"},
      {"a dword", head + "\"a\"=dword:0000002a", std::string("\x2a\0\0\0", 4)},
      {"a deletion", head + "\"a\"=-", std::nullopt},
      {"a key", head + "[HKEY_CURRENT_USER\\A\\B]", "1"},
      {"a comment", head + "; edited by hand", "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TRegTree tree;
    ASSERT_NO_THROW(tree = Parse(c.Text));
    const TRegValue* value = tree.FindValue("A", "a");
    ASSERT_EQ(value != nullptr, c.Value.has_value());
    if (value != nullptr) {
      EXPECT_EQ(value->Data, *c.Value);
    }
  }
  EXPECT_TRUE(Parse(head + "[HKEY_CURRENT_USER\\A\\B]").KeyExists("A\\B"));
}

// A cut right before or right after a line break leaves whole lines: only the lines
// after it are lost, and that cannot be told from the text.
bool CutAtLineEnd(std::string_view text, std::size_t cut) {
  const std::string_view rest = text.substr(cut);
  return text.substr(0, cut).ends_with('\n') || rest.starts_with("\r\n") || rest.starts_with('\n');
}

TEST(RegFileReadTest, AFileCutAnywhereInsideALineIsNeverTaken) {
  TRegTree tree;
  tree.SetValue("Software\\Fraxinel", "Name", {REG_SZ, "value"});
  tree.SetValue("Software\\Fraxinel", "Count", {REG_DWORD, std::string("\x2a\0\0\0", 4)});
  tree.SetValue("Software\\Fraxinel", "Blob", {REG_BINARY, std::string(60, '\x11')});
  tree.SetValue("Software\\Fraxinel\\Sub", "", {REG_EXPAND_SZ, "x"});
  const std::string text = FormatRegFile(tree, HKEY_CURRENT_USER);
  int rejected = 0;
  for (std::size_t cut = 0; cut < text.size(); ++cut) {
    const std::string_view part(text.data(), cut);
    if (CutAtLineEnd(text, cut)) continue;
    EXPECT_THROW(Parse(part), ERegFileParseError) << "cut at " << cut << ":\n" << part;
    ++rejected;
  }
  EXPECT_GT(rejected, 200);
}

}  // namespace
}  // namespace fx
