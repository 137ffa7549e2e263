#include "content/XmlCatalogue.h"

#include <expat.h>

#include <charconv>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "content/ContentText.h"

namespace fx {

namespace {

// The record being read, as the texts stand; checked when </file> ends it.
struct TRawRecord {
  TContentPackage Package;
  std::string Size, Date, Rating, UsersRating, Type;
  unsigned long Line = 0;
  bool Hidden = false;
};

struct TXmlReader {
  XML_Parser Parser = nullptr;
  TCatalogue Result;
  std::set<std::string> Ids;
  std::vector<std::string> Open;  // element names from the root
  std::optional<TRawRecord> Record;
  std::string Text;
  std::string Refusal;  // set when the whole document is refused

  void Refuse(std::string reason) {
    if (Refusal.empty()) Refusal = std::move(reason);
    XML_StopParser(Parser, XML_FALSE);
  }
  std::string_view Parent() const {
    if (Open.size() < 2) return {};
    return Open[Open.size() - 2];
  }
};

const char* Attribute(const XML_Char** atts, const char* name) {
  for (int i = 0; atts[i]; i += 2)
    if (std::strcmp(atts[i], name) == 0) return atts[i + 1];
  return nullptr;
}

// Rows of the "type" attribute, as the database numbers them; others are shown untyped.
std::string_view TypeName(std::string_view code) {
  if (code == "1") return "map";
  if (code == "2") return "mod";
  if (code == "4") return "speedmap";
  if (code == "5") return "misc";
  return "";
}

void StartRecord(TXmlReader& r, const XML_Char** atts) {
  TRawRecord raw;
  raw.Line = XML_GetCurrentLineNumber(r.Parser);
  if (const char* id = Attribute(atts, "id")) raw.Package.Id = id;
  if (const char* type = Attribute(atts, "type")) raw.Type = type;
  if (const char* rating = Attribute(atts, "rating")) raw.Rating = rating;
  if (const char* users = Attribute(atts, "normalized_users_rating")) raw.UsersRating = users;
  for (const char* hide : {"hide", "fte_hide"})
    if (const char* value = Attribute(atts, hide); value && std::strcmp(value, "1") == 0)
      raw.Hidden = true;
  r.Record = std::move(raw);
}

void OnStart(void* data, const XML_Char* name, const XML_Char** atts) {
  auto& r = *static_cast<TXmlReader*>(data);
  if (static_cast<int>(r.Open.size()) >= kMaxCatalogueDepth)
    return r.Refuse("elements nest deeper than " + std::to_string(kMaxCatalogueDepth));
  for (int i = 0; atts[i]; i += 2)
    if (std::strlen(atts[i + 1]) > kMaxCatalogueString)
      return r.Refuse("an attribute is longer than 1 MB");
  r.Open.emplace_back(name);
  r.Text.clear();
  if (r.Open.size() == 1 && r.Open[0] != "files") return r.Refuse("this is not the XML database");
  if (r.Open.size() == 2 && r.Open[1] == "file") StartRecord(r, atts);
  if (r.Record && r.Open.back() == "file" && r.Parent() == "requirements")
    if (const char* id = Attribute(atts, "id")) r.Record->Package.Requirements.emplace_back(id);
}

void OnText(void* data, const XML_Char* text, int length) {
  auto& r = *static_cast<TXmlReader*>(data);
  // The blanks between a record's elements are never stored: only a text element's own.
  if (!r.Record || r.Open.size() == 2) return;
  const std::string& element = r.Open.back();
  if (element == "techinfo" || element == "tags" || element == "requirements") return;
  if (r.Text.size() + static_cast<std::size_t>(length) > kMaxCatalogueString)
    return r.Refuse("a text is longer than 1 MB");
  r.Text.append(text, static_cast<std::size_t>(length));
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
  p.Md5 = LowerAscii(p.Md5);
  if (const std::string_view type = TypeName(raw.Type); !type.empty()) p.Types.emplace_back(type);
  p.Sources = kFromXml;
  p.Urls.push_back("https://www.quaddicted.com/filebase/" + p.Id + ".zip");
  p.Links.push_back("https://www.quaddicted.com/reviews/" + p.Id + ".html");
  p.Screenshots.push_back("https://www.quaddicted.com/reviews/screenshots/" + p.Id +
                          "_injector.jpg");
  return std::nullopt;
}

void EndRecord(TXmlReader& r) {
  TRawRecord raw = std::move(*r.Record);
  r.Record.reset();
  const std::string name = "file '" + raw.Package.Id + "' (line " + std::to_string(raw.Line) + ")";
  if (auto reason = CheckRecord(raw)) {
    r.Result.Skipped.push_back({name, *reason});
  } else if (!r.Ids.insert(raw.Package.Id).second) {
    r.Result.Skipped.push_back({name, "its id appears twice"});
  } else {
    r.Result.Packages.push_back(std::move(raw.Package));
  }
}

// The text of a finished element goes where its name and parent say.
void StoreText(TXmlReader& r, std::string_view element, std::string_view parent) {
  TRawRecord& raw = *r.Record;
  TContentPackage& p = raw.Package;
  std::string text(parent == "description" || element == "description" ? r.Text
                                                                       : TrimBlanks(r.Text));
  if (parent == "file") {
    if (element == "author")
      p.Author = std::move(text);
    else if (element == "title")
      p.Title = std::move(text);
    else if (element == "md5sum")
      p.Md5 = std::move(text);
    else if (element == "size")
      raw.Size = std::move(text);
    else if (element == "date")
      raw.Date = std::move(text);
    else if (element == "description")
      p.Description = std::move(text);
  } else if (parent == "tags" && element == "tag" && !text.empty()) {
    p.Tags.push_back(std::move(text));
  } else if (parent == "techinfo") {
    if (element == "zipbasedir")
      p.ZipBaseDir = std::move(text);
    else if (element == "commandline")
      p.CommandLine = std::move(text);
    else if (element == "startmap" && !text.empty())
      p.StartMaps.push_back(std::move(text));
  }
}

void OnEnd(void* data, const XML_Char*) {
  auto& r = *static_cast<TXmlReader*>(data);
  if (r.Record) {
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
