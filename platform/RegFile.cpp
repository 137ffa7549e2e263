#include "platform/RegFile.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace fx {

namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kCrLf = "\r\n";
// Where regedit breaks a long hex line (it counts the columns written so far).
constexpr std::size_t kMaxHexColumn = 77;

// ---- text helpers ---------------------------------------------------------

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

std::string_view Trim(std::string_view s) {
  return TrimRight(TrimLeft(s));
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameName(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to maxDigits hexadecimal digits, nothing else.
std::optional<std::uint32_t> ParseHexNumber(std::string_view s, std::size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  std::uint32_t n = 0;
  for (const char c : s) {
    const int d = HexDigit(c);
    if (d < 0) return std::nullopt;
    n = n * 16 + static_cast<std::uint32_t>(d);
  }
  return n;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// UTF-16LE (an even number of bytes) to UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  const auto unit = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8);
  };
  const std::size_t count = bytes.size() / 2;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendUtf8(out, 0xFFFD);
    } else {
      AppendUtf8(out, u);
    }
  }
  return out;
}

// ---- reading ----------------------------------------------------------------

struct TLine {
  std::string_view Text;
  int Number;
  bool Unterminated = false;  // the file's last line, without a line break
};

class TRegFileParser {
 public:
  TRegFileParser(std::string_view bytes, HKEY root, const std::string& fileName,
                 std::vector<std::string>* warnings)
      : FRoot(root), FFileName(fileName), FWarnings(warnings) {
    Decode(bytes);
    SplitLines();
  }

  TRegTree Run() {
    CheckHeader();
    for (FIndex = 1; FIndex < FLines.size(); ++FIndex)
      ParseLine(FLines[FIndex]);
    return std::move(FTree);
  }

 private:
  enum class TSection { None, Ours, Ignored };

  [[noreturn]] void Fail(int line, const std::string& reason) const {
    throw ERegFileParseError(FFileName, line, reason);
  }

  void Decode(std::string_view bytes) {
    if (bytes.starts_with("\xFF\xFE")) {
      bytes.remove_prefix(2);
      FText = Utf16ToUtf8(bytes.substr(0, bytes.size() & ~std::size_t{1}));
      if (bytes.size() % 2 != 0) FailAtEnd("the file ends in the middle of a character");
    } else if (bytes.starts_with("\xFE\xFF")) {
      Fail(1, "UTF-16 big-endian files are not supported");
    } else {
      if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
      FText = std::string(bytes);
    }
  }

  [[noreturn]] void FailAtEnd(const std::string& reason) const {
    int line = 1;
    for (const char c : FText)
      if (c == '\n') ++line;
    Fail(line, reason + " (truncated?)");
  }

  void SplitLines() {
    std::string_view text = FText;
    int number = 1;
    while (!text.empty()) {
      const std::size_t end = text.find('\n');
      // A hand edit may leave the last line without its break; whether that line is
      // whole is decided where it is parsed (CheckWhole).
      const bool unterminated = end == std::string_view::npos;
      std::string_view line = text.substr(0, unterminated ? text.size() : end);
      if (line.ends_with('\r')) line.remove_suffix(1);
      FLines.push_back({line, number++, unterminated});
      text.remove_prefix(unterminated ? text.size() : end + 1);
    }
  }

  void CheckHeader() {
    if (FLines.empty()) Fail(1, "the file is empty");
    const auto header = Trim(FLines[0].Text);
    if (header == kHeader4) {
      FUnicode = false;
    } else if (header == kHeader5) {
      FUnicode = true;
    } else {
      Fail(1, "not a registry file: the first line must be \"REGEDIT4\" or \"" +
                  std::string(kHeader5) + "\"");
    }
  }

  // A last line without its break is taken only when it cannot be the front of a longer
  // line: a key in brackets, a closed string, a deletion, a dword with all eight digits,
  // blank or a comment. Hex data there could end between two bytes, so it is taken as cut
  // off, as is everything else. A cut just before or after a line break cannot be told from
  // the text; our own files are replaced whole, so only other writers can leave one.
  [[noreturn]] void FailCutOff(int number) const {
    Fail(number, "the file ends in the middle of a line (truncated?)");
  }
  void CheckWhole(const TLine& line, std::string_view data) const {
    if (!line.Unterminated) return;
    if (StartsWithNoCase(data, "hex")) FailCutOff(line.Number);
    if (StartsWithNoCase(data, "dword:") && TrimRight(data.substr(6)).size() != 8)
      FailCutOff(line.Number);
  }

  void ParseLine(const TLine& line) {
    FCurrent = &line;
    if (!line.Unterminated) return ParseText(line);
    try {
      ParseText(line);
    } catch (const ERegFileParseError&) {
      FailCutOff(line.Number);
    }
  }

  void ParseText(const TLine& line) {
    const auto text = TrimLeft(line.Text);
    if (Trim(text).empty() || text.front() == ';') return;
    if (text.front() == '[') return ParseSection(line.Number, TrimRight(text));
    if (text.front() == '"' || text.front() == '@') return ParseValue(line.Number, text);
    Fail(line.Number, "unexpected text \"" + std::string(TrimRight(text)) + "\"");
  }

  void ParseSection(int number, std::string_view text) {
    if (!text.ends_with(']')) Fail(number, "a key name in brackets must end with ']'");
    auto inner = text.substr(1, text.size() - 2);
    const bool remove = inner.starts_with('-');
    if (remove) inner.remove_prefix(1);
    const std::size_t slash = inner.find('\\');
    const auto rootName = inner.substr(0, slash);
    const auto path =
        slash == std::string_view::npos ? std::string_view{} : inner.substr(slash + 1);
    const auto root = RootKeyFromName(rootName);
    if (!root) Fail(number, "unknown root key \"" + std::string(rootName) + "\"");
    if (*root != FRoot) {
      Warn(number, "the section for " + std::string(inner) + " was ignored: this file holds " +
                       RootKeyName(FRoot));
      FSection = TSection::Ignored;
      return;
    }
    ApplySection(number, path, remove);
  }

  void ApplySection(int number, std::string_view path, bool remove) {
    if (remove) {
      if (TRegTree::SplitPath(path).empty())
        Warn(number, "a root key cannot be deleted; the line was ignored");
      FTree.DeleteKey(path);
      FSection = TSection::None;
      return;
    }
    try {
      FTree.CreateKey(path);
    } catch (const ERegistryException& e) {
      Fail(number, e.what());
    }
    FPath = std::string(path);
    FSection = TSection::Ours;
  }

  void Warn(int number, const std::string& message) {
    if (FWarnings)
      FWarnings->push_back(FFileName + ", line " + std::to_string(number) + ": " + message);
  }

  // A quoted string starting at text[pos] == '"'; pos ends after the closing quote.
  std::string ParseQuoted(int number, std::string_view text, std::size_t& pos) const {
    std::string out;
    for (++pos; pos < text.size(); ++pos) {
      const char c = text[pos];
      if (c == '"') {
        ++pos;
        return out;
      }
      if (c == '\\') {
        if (pos + 1 >= text.size() || (text[pos + 1] != '\\' && text[pos + 1] != '"'))
          Fail(number, "bad escape in a quoted string: only \\\\ and \\\" are allowed");
        ++pos;
      }
      out += text[pos];
    }
    Fail(number, "unterminated string");
  }

  void ParseValue(int number, std::string_view text) {
    if (FSection == TSection::None) Fail(number, "a value outside a key section");
    std::size_t pos = 0;
    std::string name;
    if (text.front() == '@')
      pos = 1;
    else
      name = ParseQuoted(number, text, pos);
    const auto rest = TrimLeft(text.substr(pos));
    if (!rest.starts_with('=')) Fail(number, "expected '=' after the value name");
    const auto data = TrimLeft(rest.substr(1));
    if (TrimRight(data) == "-") return Apply(number, name, std::nullopt);
    CheckWhole(*FCurrent, data);
    Apply(number, name, ParseData(number, data));
  }

  void Apply(int number, const std::string& name, std::optional<TRegValue> value) {
    if (FSection != TSection::Ours) return;
    try {
      if (value)
        FTree.SetValue(FPath, name, std::move(*value));
      else
        FTree.DeleteValue(FPath, name);
    } catch (const ERegistryException& e) {
      Fail(number, e.what());
    }
  }

  TRegValue ParseData(int number, std::string_view data) {
    if (data.starts_with('"')) {
      std::size_t pos = 0;
      std::string text = ParseQuoted(number, data, pos);
      if (!Trim(data.substr(pos)).empty()) Fail(number, "unexpected text after the string");
      return {REG_SZ, std::move(text)};
    }
    if (StartsWithNoCase(data, "dword:")) {
      const auto digits = TrimRight(data.substr(6));
      const auto n = ParseHexNumber(digits, 8);
      if (!n) Fail(number, "a dword needs 1 to 8 hexadecimal digits");
      std::string bytes(4, '\0');
      for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<char>((*n >> (8 * i)) & 0xFF);
      return {REG_DWORD, std::move(bytes)};
    }
    if (StartsWithNoCase(data, "hex")) return ParseHexValue(number, data.substr(3));
    Fail(number, "unknown kind of value data \"" + std::string(TrimRight(data)) + "\"");
  }

  // After "hex": either ":" or "(type):", then bytes, perhaps over several lines.
  TRegValue ParseHexValue(int number, std::string_view data) {
    std::uint32_t type = REG_BINARY;
    if (data.starts_with('(')) {
      const std::size_t close = data.find(')');
      const auto t = close == std::string_view::npos ? std::nullopt
                                                     : ParseHexNumber(data.substr(1, close - 1), 8);
      if (!t) Fail(number, "bad value type in hex(...)");
      type = *t;
      data.remove_prefix(close + 1);
    }
    if (!data.starts_with(':')) Fail(number, "expected ':' after hex");
    std::string bytes = ParseHexBytes(number, CollectHexText(number, data.substr(1)));
    return {type, DecodeHexData(type, std::move(bytes))};
  }

  // Joins continuation lines: a line of hex data that ends with '\' goes on.
  std::string CollectHexText(int number, std::string_view first) {
    std::string joined(TrimRight(first));
    while (joined.ends_with('\\')) {
      joined.pop_back();
      if (FIndex + 1 >= FLines.size())
        Fail(number, "hex data continues past the end of the file (truncated?)");
      const TLine& next = FLines[++FIndex];
      if (next.Unterminated) FailCutOff(next.Number);
      const auto piece = Trim(next.Text);
      if (piece.empty()) Fail(next.Number, "expected the continuation of the hex data");
      joined.append(piece);
    }
    return joined;
  }

  std::string ParseHexBytes(int number, std::string_view text) const {
    std::string bytes;
    if (Trim(text).empty()) return bytes;
    std::size_t start = 0;
    while (start <= text.size()) {
      const std::size_t comma = std::min(text.find(',', start), text.size());
      const auto token = Trim(text.substr(start, comma - start));
      const bool last = comma == text.size();
      if (!(token.empty() && last && start > 0)) {
        const auto b = ParseHexNumber(token, 2);
        if (!b) Fail(number, "bad hex byte \"" + std::string(token) + "\"");
        bytes += static_cast<char>(*b);
      }
      start = comma + 1;
    }
    return bytes;
  }

  // Texts in hex form: UTF-16 in a version 5 file, 8-bit in REGEDIT4, and for
  // the single-string types with a terminating zero that our model leaves out.
  std::string DecodeHexData(std::uint32_t type, std::string bytes) const {
    const bool text = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
    if (!text) return bytes;
    if (FUnicode && bytes.size() % 2 == 0) bytes = Utf16ToUtf8(bytes);
    if (type != REG_MULTI_SZ && bytes.ends_with('\0')) bytes.pop_back();
    return bytes;
  }

  HKEY FRoot;
  std::string FFileName;
  std::vector<std::string>* FWarnings;
  std::string FText;
  std::vector<TLine> FLines;
  std::size_t FIndex = 0;
  const TLine* FCurrent = nullptr;
  bool FUnicode = false;
  TSection FSection = TSection::None;
  std::string FPath;
  TRegTree FTree;
};

// ---- writing ----------------------------------------------------------------

std::string Escape(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  for (const char c : s) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

std::string HexNumber(std::uint32_t n, int minDigits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  do {
    out.insert(out.begin(), kDigits[n & 0xF]);
    n >>= 4;
  } while (n != 0);
  while (static_cast<int>(out.size()) < minDigits)
    out.insert(out.begin(), '0');
  return out;
}

void AppendHex(std::string& out, std::size_t column, std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out += HexNumber(static_cast<unsigned char>(bytes[i]), 2);
    if (i + 1 == bytes.size()) break;
    out += ',';
    column += 3;
    if (column >= kMaxHexColumn) {
      out += "\\\r\n  ";
      column = 2;
    }
  }
}

void AppendHexValue(std::string& out, std::size_t column, std::uint32_t type,
                    std::string_view bytes) {
  const std::string prefix = type == REG_BINARY ? "hex:" : "hex(" + HexNumber(type, 1) + "):";
  out += prefix;
  AppendHex(out, column + prefix.size(), bytes);
}

void AppendValue(std::string& out, const TRegTree::TNamedValue& named) {
  const std::size_t lineStart = out.size();
  out += named.Name.empty() ? std::string("@=") : "\"" + Escape(named.Name) + "\"=";
  const std::size_t column = out.size() - lineStart;
  const TRegValue& v = named.Value;
  const bool plainText = v.Data.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos;
  if (v.Type == REG_SZ && plainText) {
    out += "\"" + Escape(v.Data) + "\"";
  } else if (v.Type == REG_SZ || v.Type == REG_EXPAND_SZ) {
    AppendHexValue(out, column, v.Type, v.Data + '\0');
  } else if (v.Type == REG_DWORD && v.Data.size() == 4) {
    std::uint32_t n = 0;
    for (int i = 3; i >= 0; --i)
      n = (n << 8) | static_cast<unsigned char>(v.Data[i]);
    out += "dword:" + HexNumber(n, 8);
  } else {
    AppendHexValue(out, column, v.Type, v.Data);
  }
  out += kCrLf;
}

void AppendKey(std::string& out, const std::string& path, const TRegTree::TKey& key) {
  out += "[" + path + "]";
  out += kCrLf;
  for (const auto& value : key.Values)
    AppendValue(out, value);
  out += kCrLf;
  for (const auto& [name, sub] : key.SubKeys)
    AppendKey(out, path + "\\" + sub->Name, *sub);
}

}  // namespace

ERegFileParseError::ERegFileParseError(const std::string& fileName, int line,
                                       const std::string& reason)
    : ERegistryException(fileName + ", line " + std::to_string(line) + ": " + reason),
      FFileName(fileName),
      FLine(line),
      FReason(reason) {}

TRegTree ParseRegFile(std::string_view bytes, HKEY root, const std::string& fileName,
                      std::vector<std::string>* warnings) {
  std::vector<std::string> found;
  TRegTree tree = TRegFileParser(bytes, root, fileName, &found).Run();
  // Warnings only for a file that was taken: a rejected one says why on its own.
  if (warnings) warnings->insert(warnings->end(), found.begin(), found.end());
  return tree;
}

std::string FormatRegFile(const TRegTree& tree, HKEY root) {
  const std::string rootName = RootKeyName(root);
  if (rootName.empty()) throw ERegistryException("Cannot write a registry root without a name");
  std::string out(kHeader4);
  out += kCrLf;
  out += kCrLf;
  const auto& top = tree.Root();
  if (!top.Values.empty()) {
    out += "[" + rootName + "]";
    out += kCrLf;
    for (const auto& value : top.Values)
      AppendValue(out, value);
    out += kCrLf;
  }
  for (const auto& [name, sub] : top.SubKeys)
    AppendKey(out, rootName + "\\" + sub->Name, *sub);
  return out;
}

}  // namespace fx
