#include "content/XmlCatalogue.h"

#include <expat.h>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "content/ContentText.h"

namespace fx {

namespace {

constexpr std::size_t kReserveAtMost = 1u << 16;

// The elements the reader acts on; every other name is kOther. Names are looked up once, when
// an element starts, so the handlers after that compare numbers.
enum class TTag : std::uint8_t {
  kOther,
  kFiles,
  kFile,
  kAuthor,
  kTitle,
  kMd5,
  kSize,
  kDate,
  kDescription,
  kTags,
  kTag,
  kTechinfo,
  kZipBaseDir,
  kCommandLine,
  kStartMap,
  kRequirements,
};

TTag TagOf(const XML_Char* name) {
  static constexpr std::pair<std::string_view, TTag> kTags[] = {
      {"files", TTag::kFiles},
      {"file", TTag::kFile},
      {"author", TTag::kAuthor},
      {"title", TTag::kTitle},
      {"md5sum", TTag::kMd5},
      {"size", TTag::kSize},
      {"date", TTag::kDate},
      {"description", TTag::kDescription},
      {"tags", TTag::kTags},
      {"tag", TTag::kTag},
      {"techinfo", TTag::kTechinfo},
      {"zipbasedir", TTag::kZipBaseDir},
      {"commandline", TTag::kCommandLine},
      {"startmap", TTag::kStartMap},
      {"requirements", TTag::kRequirements},
  };
  const std::string_view text(name);
  for (const auto& [tagName, tag] : kTags)
    if (tagName == text) return tag;
  return TTag::kOther;
}

// The record being read, as the texts stand; checked when </file> ends it.
struct TRawRecord {
  TContentPackage Package;
  std::string Size, Date, Rating, UsersRating, Type;
  std::size_t Offset = 0;  // of its start tag, for the line a skip names
  bool Hidden = false;
};

struct TXmlReader {
  XML_Parser Parser = nullptr;
  TCatalogue Result;
  std::unordered_set<std::string> Ids;
  std::vector<TTag> Open;  // elements from the root
  // The record being read (InRecord), kept in one place so its texts are not moved about.
  TRawRecord Record;
  bool InRecord = false;
  std::string Text;
  std::string Refusal;  // set when the whole document is refused
  // The document, and the line at LineAt, for the line a skipped record starts on: expat's
  // own XML_GetCurrentLineNumber counts the lines again at each call, a second pass over the
  // document when asked for every record.
  std::string_view Bytes;
  std::size_t LineAt = 0;
  unsigned long Line = 1;

  // The line of `offset`, counted on from the last one asked (records come in order), as
  // expat counts them: LF, CR LF and a lone CR end a line.
  unsigned long LineOf(std::size_t offset) {
    offset = std::min(offset, Bytes.size());
    for (; LineAt < offset; ++LineAt)
      if (Bytes[LineAt] == '\n' ||
          (Bytes[LineAt] == '\r' && (LineAt + 1 == Bytes.size() || Bytes[LineAt + 1] != '\n')))
        ++Line;
    return Line;
  }

  void Refuse(std::string reason) {
    if (Refusal.empty()) Refusal = std::move(reason);
    XML_StopParser(Parser, XML_FALSE);
  }
  TTag Parent() const { return Open.size() < 2 ? TTag::kOther : Open[Open.size() - 2]; }
};

// Rows of the "type" attribute, as the database numbers them; others are shown untyped.
std::string_view TypeName(std::string_view code) {
  if (code == "1") return "map";
  if (code == "2") return "mod";
  if (code == "4") return "speedmap";
  if (code == "5") return "misc";
  return "";
}

void StartRecord(TXmlReader& r, const XML_Char** atts) {
  TRawRecord& raw = r.Record;
  raw.Offset = static_cast<std::size_t>(std::max<XML_Index>(XML_GetCurrentByteIndex(r.Parser), 0));
  for (int i = 0; atts[i]; i += 2) {
    const std::string_view name(atts[i]);
    const char* value = atts[i + 1];
    if (name == "id")
      raw.Package.Id = value;
    else if (name == "type")
      raw.Type = value;
    else if (name == "rating")
      raw.Rating = value;
    else if (name == "normalized_users_rating")
      raw.UsersRating = value;
    else if ((name == "hide" || name == "fte_hide") && std::strcmp(value, "1") == 0)
      raw.Hidden = true;
  }
  r.InRecord = true;
}

void OnStart(void* data, const XML_Char* name, const XML_Char** atts) {
  auto& r = *static_cast<TXmlReader*>(data);
  if (static_cast<int>(r.Open.size()) >= kMaxCatalogueDepth)
    return r.Refuse("elements nest deeper than " + std::to_string(kMaxCatalogueDepth));
  for (int i = 0; atts[i]; i += 2)
    if (std::strlen(atts[i + 1]) > kMaxCatalogueString)
      return r.Refuse("an attribute is longer than 1 MB");
  const TTag tag = TagOf(name);
  r.Open.push_back(tag);
  r.Text.clear();
  if (r.Open.size() == 1 && tag != TTag::kFiles) return r.Refuse("this is not the XML database");
  if (r.Open.size() == 2 && tag == TTag::kFile) StartRecord(r, atts);
  if (r.InRecord && tag == TTag::kFile && r.Parent() == TTag::kRequirements)
    for (int i = 0; atts[i]; i += 2)
      if (std::strcmp(atts[i], "id") == 0) {
        r.Record.Package.Requirements.emplace_back(atts[i + 1]);
        break;
      }
}

void OnText(void* data, const XML_Char* text, int length) {
  auto& r = *static_cast<TXmlReader*>(data);
  // The blanks between a record's elements are never stored: only a text element's own.
  if (!r.InRecord || r.Open.size() == 2) return;
  const TTag element = r.Open.back();
  if (element == TTag::kTechinfo || element == TTag::kTags || element == TTag::kRequirements)
    return;
  if (r.Text.size() + static_cast<std::size_t>(length) > kMaxCatalogueString)
    return r.Refuse("a text is longer than 1 MB");
  r.Text.append(text, static_cast<std::size_t>(length));
}

// The archive's address of a package: made in one piece, as it is made for every record.
std::string Address(std::string_view base, std::string_view id, std::string_view suffix) {
  std::string address;
  address.reserve(base.size() + id.size() + suffix.size());
  address.append(base).append(id).append(suffix);
  return address;
}

std::optional<std::string> CheckRecord(TRawRecord& raw) {
  TContentPackage& p = raw.Package;
  if (p.Id.empty()) return "it has no id";
  if (!IsSafeName(p.Id)) return "its id is not a plain file name";
  if (raw.Hidden) return "it is marked hidden";
  if (!raw.Date.empty()) {
    const auto date = ParseDottedDate(raw.Date);
    if (!date) return "date '" + raw.Date + "' is not dd.mm.yy or dd.mm.yyyy";
    p.Date = *date;
  }
  if (!raw.Size.empty()) {
    const auto kib = ParseUnsigned(raw.Size);
    if (!kib || *kib > (1ull << 40)) return "size '" + raw.Size + "' is not a number of KiB";
    p.Bytes = *kib * 1024;
  }
  if (!raw.Rating.empty()) {
    if (raw.Rating.size() != 1 || raw.Rating[0] < '1' || raw.Rating[0] > '5')
      return "rating '" + raw.Rating + "' is not 1 to 5";
    p.Rating = raw.Rating[0] - '0';
  }
  if (!raw.UsersRating.empty()) {
    double users = 0;
    const char* end = raw.UsersRating.data() + raw.UsersRating.size();
    const auto parsed = std::from_chars(raw.UsersRating.data(), end, users);
    if (parsed.ec != std::errc() || parsed.ptr != end || !(users >= 0 && users <= 5))
      return "users' rating '" + raw.UsersRating + "' is not a number from 0 to 5";
    p.UsersRating = users;
  }
  if (!p.Md5.empty() && !IsHexOf(p.Md5, 32)) return "md5sum is not 32 hexadecimal digits";
  for (char& c : p.Md5)
    c = LowerAsciiChar(c);
  if (const std::string_view type = TypeName(raw.Type); !type.empty()) p.Types.emplace_back(type);
  p.Sources = kFromXml;
  p.Urls.push_back(Address("https://www.quaddicted.com/filebase/", p.Id, ".zip"));
  p.Links.push_back(Address("https://www.quaddicted.com/reviews/", p.Id, ".html"));
  p.Screenshots.push_back(
      Address("https://www.quaddicted.com/reviews/screenshots/", p.Id, "_injector.jpg"));
  return std::nullopt;
}

void EndRecord(TXmlReader& r) {
  TRawRecord& raw = r.Record;
  const auto name = [&] {
    return "file '" + raw.Package.Id + "' (line " + std::to_string(r.LineOf(raw.Offset)) + ")";
  };
  if (auto reason = CheckRecord(raw)) {
    r.Result.Skipped.push_back({name(), *reason});
  } else if (!r.Ids.insert(raw.Package.Id).second) {
    r.Result.Skipped.push_back({name(), "its id appears twice"});
  } else {
    r.Result.Packages.push_back(std::move(raw.Package));
  }
  raw = TRawRecord{};
  r.InRecord = false;
}

// The text of a finished element goes where its name and parent say; the element's text is
// taken, not copied.
void StoreText(TXmlReader& r, TTag element, TTag parent) {
  TRawRecord& raw = r.Record;
  TContentPackage& p = raw.Package;
  const auto text = [&] {
    if (element != TTag::kDescription) {
      const std::string_view trimmed = TrimBlanks(r.Text);
      if (trimmed.size() != r.Text.size()) return std::string(trimmed);
    }
    return std::move(r.Text);
  };
  if (parent == TTag::kFile) {
    switch (element) {
      case TTag::kAuthor:
        p.Author = text();
        break;
      case TTag::kTitle:
        p.Title = text();
        break;
      case TTag::kMd5:
        p.Md5 = text();
        break;
      case TTag::kSize:
        raw.Size = text();
        break;
      case TTag::kDate:
        raw.Date = text();
        break;
      case TTag::kDescription:
        p.Description = text();
        break;
      default:
        break;
    }
  } else if (parent == TTag::kTags && element == TTag::kTag) {
    if (std::string tag = text(); !tag.empty()) p.Tags.push_back(std::move(tag));
  } else if (parent == TTag::kTechinfo) {
    if (element == TTag::kZipBaseDir)
      p.ZipBaseDir = text();
    else if (element == TTag::kCommandLine)
      p.CommandLine = text();
    else if (element == TTag::kStartMap)
      if (std::string map = text(); !map.empty()) p.StartMaps.push_back(std::move(map));
  }
}

void OnEnd(void* data, const XML_Char*) {
  auto& r = *static_cast<TXmlReader*>(data);
  if (r.InRecord) {
    if (r.Open.size() == 2)
      EndRecord(r);
    else
      StoreText(r, r.Open.back(), r.Parent());
  }
  r.Open.pop_back();
  r.Text.clear();
}

void OnDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  static_cast<TXmlReader*>(data)->Refuse("it has a DOCTYPE (entities are not read)");
}

void OnEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
              const XML_Char*, const XML_Char*, const XML_Char*) {
  static_cast<TXmlReader*>(data)->Refuse("it declares entities");
}

struct TParserFree {
  void operator()(XML_Parser parser) const { XML_ParserFree(parser); }
};

}  // namespace

TCatalogue ReadXmlCatalogue(std::string_view bytes) {
  if (bytes.size() > kMaxCatalogueBytes) throw ECatalogue("the XML database is larger than 64 MB");
  std::unique_ptr<std::remove_pointer_t<XML_Parser>, TParserFree> parser(XML_ParserCreate("UTF-8"));
  if (!parser) throw ECatalogue("out of memory for the XML parser");
  TXmlReader reader;
  reader.Parser = parser.get();
  reader.Bytes = bytes;
  // Every record starts with "<file": their count bounds the list, which then never moves
  // (up to a bound, so a document of nothing but "<file" reserves no gigabytes).
  std::size_t records = 0;
  for (std::size_t at = bytes.find("<file");
       at != std::string_view::npos && records < kReserveAtMost; at = bytes.find("<file", at + 5))
    ++records;
  reader.Result.Packages.reserve(records);
  reader.Ids.reserve(records);
  XML_SetUserData(parser.get(), &reader);
  XML_SetElementHandler(parser.get(), OnStart, OnEnd);
  XML_SetCharacterDataHandler(parser.get(), OnText);
  XML_SetStartDoctypeDeclHandler(parser.get(), OnDoctype);
  XML_SetEntityDeclHandler(parser.get(), OnEntity);
  XML_SetParamEntityParsing(parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);
  const XML_Status status =
      XML_Parse(parser.get(), bytes.data(), static_cast<int>(bytes.size()), XML_TRUE);
  if (!reader.Refusal.empty()) throw ECatalogue("the XML database is refused: " + reader.Refusal);
  if (status != XML_STATUS_OK) {
    throw ECatalogue("the XML database is not well-formed at line " +
                     std::to_string(XML_GetCurrentLineNumber(parser.get())) + ": " +
                     XML_ErrorString(XML_GetErrorCode(parser.get())));
  }
  return std::move(reader.Result);
}

}  // namespace fx
