#include "gamedata/BSPUtil.h"

#include <array>

#include "gamedata/CParser.h"
#include "gamedata/FileLayouts.h"
#include "gamedata/FrameStream.h"

namespace fx {

namespace {

struct TEntityScan {
  std::string Result;
  bool ClassFound = false;
};

// Scans entity by entity; only the wanted entity's value is kept.
void ScanEntities(TCParser& parser, std::string_view className, std::string_view key,
                  TEntityScan& scan) {
  bool valueFound = false;
  parser.CheckToken('{');
  while (parser.Token() != toEOF && !(scan.ClassFound && valueFound)) {
    parser.NextToken();
    if (parser.Token() == '}') {
      if (scan.ClassFound) break;
      parser.NextToken();
      parser.CheckToken('{');
      parser.NextToken();
      valueFound = false;
      scan.Result.clear();
    } else if (parser.Token() == toEOF) {
      break;
    }
    parser.CheckToken(toString);
    // The key is copied (reading the value may move the buffer), the value only when it is
    // the one wanted: a title scan passes over most pairs.
    const std::string pairKey(parser.TokenText());
    parser.NextToken();
    parser.CheckToken(toString);
    const std::string_view value = parser.TokenText();
    if (pairKey == "classname" && value == className) {
      scan.ClassFound = true;
    } else if (pairKey == key) {
      scan.Result.assign(value);
      valueFound = true;
    }
  }
}

}  // namespace

std::string FindEntityValue(TStream& stream, std::string_view className, std::string_view key) {
  TEntityScan scan;
  {
    TCParser parser(stream);
    ScanEntities(parser, className, key, scan);
  }
  if (!scan.ClassFound) return std::string(kNoEntityMarker);
  return scan.Result;
}

std::string ReadMapTitle(TStream& stream) {
  try {
    std::array<unsigned char, layout::bsp::kHeaderSize> header{};
    stream.ReadBuffer(header.data(), layout::bsp::kHeaderSize);
    const std::int32_t offset = layout::ReadLE32(header.data(), layout::bsp::kEntitiesOffsetAt);
    const std::int32_t length = layout::ReadLE32(header.data(), layout::bsp::kEntitiesLengthAt);
    TFrameStream entities(stream, offset, length);
    std::string title = FindEntityValue(entities, "worldspawn", "message");
    if (title.empty()) return std::string(kUntitledTitle);
    return title;
  } catch (...) {
    return std::string(kUntitledTitle);
  }
}

std::string ReadMapTitleFromFile(const std::filesystem::path& fileName) {
  try {
    TFileStream file(fileName, TFileStream::TMode::OpenRead);
    return ReadMapTitle(file);
  } catch (...) {
    return std::string(kUntitledTitle);
  }
}

std::string ReadMapTitleInFolder(int folderHandle, const std::string& name) {
  try {
    TFileStream file(folderHandle, name);
    return ReadMapTitle(file);
  } catch (...) {
    return std::string(kUntitledTitle);
  }
}

namespace {

constexpr std::array<unsigned char, 256> MakeTitleTable() {
  std::array<unsigned char, 256> table{};
  for (int c = 0; c < 256; ++c)
    table[c] = static_cast<unsigned char>(c);
  table[11] = table[139] = '=';
  table[16] = table[144] = '[';
  table[17] = table[145] = ']';
  for (int c = 18; c <= 27; ++c)
    table[c] = static_cast<unsigned char>(c - 18 + '0');
  for (int c = 146; c <= 155; ++c)
    table[c] = static_cast<unsigned char>(c - 146 + '0');
  table[28] = table[133] = '-';
  for (int c = 161; c <= 255; ++c)
    table[c] = static_cast<unsigned char>(c - 128);
  return table;
}

constexpr std::array<unsigned char, 256> kTitleTable = MakeTitleTable();

}  // namespace

std::string TranslateTitle(std::string_view title) {
  std::string result(title);
  for (char& c : result)
    c = static_cast<char>(kTitleTable[static_cast<unsigned char>(c)]);
  return result;
}

}  // namespace fx
