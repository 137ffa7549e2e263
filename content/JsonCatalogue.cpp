#include "content/JsonCatalogue.h"

#include <simdjson.h>

#include <algorithm>
#include <unordered_set>

#include "content/ContentText.h"
#include "content/JsonArraySplitter.h"
#include "content/JsonTags.h"
#include "platform/RegularFile.h"

namespace fx {

namespace {

namespace dom = simdjson::dom;

constexpr int kMaxFileDepth = 8;  // archives inside archives inside archives...
constexpr std::size_t kMaxRecordFile = 16u << 20;

// A record that cannot be read: the reason goes into the skip list.
struct EBadRecord {
  std::string Reason;
};

std::string_view View(dom::element value, std::string_view what) {
  std::string_view text;
  if (value.get_string().get(text)) throw EBadRecord{std::string(what) + " is not a text"};
  if (text.size() > kMaxCatalogueString) throw EBadRecord{std::string(what) + " is over 1 MB"};
  return text;
}

std::string Text(dom::element value, std::string_view what) {
  return std::string(View(value, what));
}

std::uint64_t Number(dom::element value, std::string_view what) {
  std::uint64_t number = 0;
  if (value.get_uint64().get(number))
    throw EBadRecord{std::string(what) + " is not a whole number"};
  return number;
}

std::string Sha256(dom::element value, std::string_view what) {
  std::string_view text;
  if (value.get_string().get(text)) throw EBadRecord{std::string(what) + " is not a text"};
  std::optional<std::string> hash = LowerHexOf(text, 64);
  if (!hash) throw EBadRecord{std::string(what) + " is not 64 hexadecimal digits"};
  return std::move(*hash);
}

std::vector<TContentFile> Files(dom::object files, int depth) {
  if (depth > kMaxFileDepth) throw EBadRecord{"files nest too deep"};
  std::vector<TContentFile> out;
  out.reserve(files.size());
  for (const dom::key_value_pair field : files) {
    if (field.key.size() > 4096) throw EBadRecord{"a file name is over 4096 bytes"};
    TContentFile file;
    file.Path = field.key;
    dom::object entry;
    if (field.value.get_object().get(entry))
      throw EBadRecord{"file '" + file.Path + "' is not an object"};
    for (const dom::key_value_pair attr : entry) {
      if (attr.key == "bytes")
        file.Bytes = Number(attr.value, "a file's bytes");
      else if (attr.key == "sha256")
        file.Sha256 = Sha256(attr.value, "a file's sha256");
      else if (attr.key == "files") {
        dom::object inner;
        if (attr.value.get_object().get(inner)) throw EBadRecord{"inner files are not an object"};
        file.Inner = Files(inner, depth + 1);
      }
    }
    out.push_back(std::move(file));
  }
  return out;
}

void Install(dom::object install, TContentPackage& p) {
  for (const dom::key_value_pair field : install) {
    if (field.key == "extract") {
      p.Extract = Text(field.value, "install.extract");
    } else if (field.key == "extractmapping") {
      dom::object mapping;
      if (field.value.get_object().get(mapping))
        throw EBadRecord{"extractmapping is not an object"};
      for (const dom::key_value_pair remap : mapping) {
        std::optional<std::string> target;
        if (!remap.value.is_null()) target = Text(remap.value, "an extractmapping target");
        p.ExtractMapping.emplace_back(std::string(remap.key), std::move(target));
      }
    }
  }
}

// The texts of a list, as views into the parser's document (valid while it is).
std::vector<std::string_view> Views(dom::element value, std::string_view what) {
  dom::array array;
  if (value.get_array().get(array)) throw EBadRecord{std::string(what) + " is not a list"};
  std::vector<std::string_view> out;
  out.reserve(array.size());
  for (const dom::element item : array)
    out.push_back(View(item, what));
  return out;
}

std::vector<std::string> Strings(dom::element value, std::string_view what) {
  const std::vector<std::string_view> views = Views(value, what);
  return {views.begin(), views.end()};
}

TContentPackage Record(dom::element value) {
  dom::object object;
  if (value.get_object().get(object)) throw EBadRecord{"it is not an object"};
  TContentPackage p;
  bool haveBytes = false;
  std::vector<std::string_view> tags;
  for (const dom::key_value_pair field : object) {
    const std::string_view key = field.key;
    if (key == "sha256")
      p.Sha256 = Sha256(field.value, "sha256");
    else if (key == "bytes")
      haveBytes = (p.Bytes = Number(field.value, "bytes")) > 0;
    else if (key == "description")
      p.Description = Text(field.value, "description");
    else if (key == "urls")
      p.Urls = Strings(field.value, "urls");
    else if (key == "tags")
      tags = Views(field.value, "tags");
    else if (key == "files" || key == "install") {
      dom::object inner;
      if (field.value.get_object().get(inner))
        throw EBadRecord{std::string(key) + " is not an object"};
      if (key == "files")
        p.Files = Files(inner, 1);
      else
        Install(inner, p);
    }
  }
  if (p.Sha256.empty()) throw EBadRecord{"it has no sha256"};
  if (!haveBytes) throw EBadRecord{"it has no size in bytes"};
  if (auto reason = ApplyJsonTags(tags, p)) throw EBadRecord{*reason};
  p.Sources = kFromJson;
  return p;
}

// The message of a document the parser refused.
std::string Refusal(std::string_view what, simdjson::error_code error) {
  return std::string(what) + " is refused: " +
         (error == simdjson::DEPTH_ERROR ? std::string("it nests deeper than 32")
                                         : std::string(simdjson::error_message(error)));
}

// The parser with the limits of every document, and the parse of one.
dom::element Parse(dom::parser& parser, std::string_view bytes, std::string_view what) {
  if (bytes.size() > kMaxCatalogueBytes)
    throw ECatalogue(std::string(what) + " is larger than 64 MB");
  if (parser.allocate(bytes.size() + 1, kMaxCatalogueDepth))
    throw ECatalogue("out of memory for " + std::string(what));
  dom::element root;
  if (const auto error = parser.parse(bytes.data(), bytes.size()).get(root))
    throw ECatalogue(Refusal(what, error));
  return root;
}

std::string RecordName(std::size_t index, const TContentPackage* p) {
  std::string name = "record " + std::to_string(index + 1);
  if (p && !p->Id.empty()) name += " '" + p->Id + "'";
  return name;
}

// The keys (hash, else id) of the packages taken so far.
using TSeen = std::unordered_set<std::string>;

// Whether `p` was taken; a package seen before is not.
bool AddUnique(TCatalogue& catalogue, TSeen& seen, TContentPackage& p) {
  if (!seen.insert(p.Sha256.empty() ? p.Id : p.Sha256).second) return false;
  catalogue.Packages.push_back(std::move(p));
  return true;
}

// At most `limit` bytes and one more, so a file that grew after its size was read is still
// caught by the size check of the parse.
std::optional<std::string> ReadAtMost(const std::filesystem::path& file, std::size_t limit) {
  try {
    std::string bytes = ReadRegularFile(file, limit + 1);
    if (bytes.size() > limit) return std::nullopt;
    return bytes;
  } catch (const EFileOpenError&) {
    return std::nullopt;
  }
}

TContentPackage Addon(dom::element value) {
  dom::object object;
  if (value.get_object().get(object)) throw EBadRecord{"it is not an object"};
  TContentPackage p;
  std::string date;
  for (const dom::key_value_pair field : object) {
    const std::string_view key = field.key;
    if (key == "id")
      p.Id = Text(field.value, "id");
    else if (key == "name")
      p.Title = Text(field.value, "name");
    else if (key == "author")
      p.Author = Text(field.value, "author");
    else if (key == "date")
      date = Text(field.value, "date");
    else if (key == "size")
      p.Bytes = Number(field.value, "size");
    else if (key == "gamedir")
      p.GameDir = Text(field.value, "gamedir");
    else if (key == "download")
      p.Urls = {Text(field.value, "download")};
    else if (key == "screenshots")
      p.Screenshots = Strings(field.value, "screenshots");
    else if (key == "description") {
      dom::object languages;
      if (field.value.get_object().get(languages)) throw EBadRecord{"description is not an object"};
      for (const dom::key_value_pair language : languages)
        if (language.key == "en" || p.Description.empty())
          p.Description = Text(language.value, "description");
    }
  }
  if (!IsSafeName(p.Id)) throw EBadRecord{"its id is missing or not a plain name"};
  if (!IsSafeName(p.GameDir)) throw EBadRecord{"its gamedir is missing or not one folder name"};
  if (!date.empty()) {
    // The list writes "1998/3/24" and "1997".
    const auto parsed = ParseIsoDate(date, '/');
    if (!parsed) throw EBadRecord{"date '" + date + "' is not YYYY[/M[/D]]"};
    p.Date = *parsed;
  }
  p.Mod = p.GameDir;
  p.Types = {"mod"};
  p.SinglePlayer = true;
  p.Sources = kFromAddons;
  return p;
}

// The record `item` (the list's `index`th) as `read` makes it, or why it is left out.
void TakeRecord(TCatalogue& catalogue, TSeen& seen, std::size_t index, dom::element item,
                TContentPackage (*read)(dom::element)) {
  try {
    TContentPackage p = read(item);
    if (!AddUnique(catalogue, seen, p))
      catalogue.Skipped.push_back({RecordName(index, &p), "it appears twice"});
  } catch (const EBadRecord& bad) {
    catalogue.Skipped.push_back({RecordName(index, nullptr), bad.Reason});
  }
}

// Each element of a list read by `read`; a malformed one is left out with its reason.
TCatalogue ReadEach(dom::array list, TContentPackage (*read)(dom::element)) {
  TCatalogue catalogue;
  TSeen seen;
  catalogue.Packages.reserve(list.size());
  seen.reserve(list.size());
  std::size_t index = 0;
  for (const dom::element item : list)
    TakeRecord(catalogue, seen, index++, item, read);
  return catalogue;
}

}  // namespace

TContentPackage ReadJsonRecord(std::string_view bytes) {
  dom::parser parser;
  try {
    return Record(Parse(parser, bytes, "the record"));
  } catch (const EBadRecord& bad) {
    throw ECatalogue("the record is refused: " + bad.Reason);
  }
}

// Each record parsed alone as the splitter hands it on, with the parser's buffers kept from
// one to the next; the array's level counts towards the nesting limit.
struct TJsonPageReader::TState {
  dom::parser Parser;
  TCatalogue Catalogue;
  TSeen Seen;
  std::size_t Index = 0;
  std::size_t Bytes = 0;
  TJsonArraySplitter Splitter{[this](std::string_view element) { Element(element); }};

  TState() {
    if (Parser.allocate(1u << 16, kMaxCatalogueDepth - 1))
      throw ECatalogue("out of memory for the page");
  }
  void Element(std::string_view bytes) {
    dom::element root;
    if (const auto error = Parser.parse(bytes.data(), bytes.size()).get(root))
      throw ECatalogue(Refusal("the page", error));
    TakeRecord(Catalogue, Seen, Index++, root, Record);
  }
};

TJsonPageReader::TJsonPageReader() : F(std::make_unique<TState>()) {}
TJsonPageReader::~TJsonPageReader() = default;

void TJsonPageReader::Feed(std::string_view bytes) {
  F->Bytes += bytes.size();
  if (F->Bytes > kMaxCatalogueBytes) throw ECatalogue("the page is larger than 64 MB");
  F->Splitter.Feed(bytes);
}

TCatalogue TJsonPageReader::Finish() {
  F->Splitter.Finish();
  return std::move(F->Catalogue);
}

TCatalogue ReadJsonPage(std::string_view bytes) {
  TJsonPageReader reader;
  reader.Feed(bytes);
  return reader.Finish();
}

TCatalogue ReadJsonFolder(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  const fs::path base = root / "json" / "by-sha256";
  std::error_code error;
  if (!fs::is_directory(fs::symlink_status(base, error)))
    throw ECatalogue("'" + base.string() + "' is not a folder of records");
  TCatalogue catalogue;
  TSeen seen;
  dom::parser parser;
  std::vector<fs::path> files;
  for (const fs::directory_entry& dir : fs::directory_iterator(base, error)) {
    const std::string prefix = dir.path().filename().string();
    if (!dir.is_directory() || dir.is_symlink() || !IsHexOf(prefix, 2)) continue;
    for (const fs::directory_entry& file : fs::directory_iterator(dir.path(), error))
      files.push_back(file.path());
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    const std::string name =
        file.parent_path().filename().string() + "/" + file.filename().string();
    const std::string stem = LowerAscii(file.stem().string());
    const auto status = fs::symlink_status(file, error);
    try {
      if (!fs::is_regular_file(status) || file.extension() != ".json" || !IsHexOf(stem, 64) ||
          !stem.starts_with(LowerAscii(file.parent_path().filename().string())))
        throw EBadRecord{"not a record file (a regular <sha256>.json below its first two digits)"};
      const auto bytes = ReadAtMost(file, kMaxRecordFile);
      if (!bytes) throw EBadRecord{"it cannot be read or is over 16 MB"};
      TContentPackage p = Record(Parse(parser, *bytes, "the record"));
      if (p.Sha256 != stem) throw EBadRecord{"its sha256 is not its file name"};
      if (!AddUnique(catalogue, seen, p)) catalogue.Skipped.push_back({name, "it appears twice"});
    } catch (const EBadRecord& bad) {
      catalogue.Skipped.push_back({name, bad.Reason});
    } catch (const ECatalogue& refused) {
      catalogue.Skipped.push_back({name, refused.what()});
    }
  }
  return catalogue;
}

TCatalogue ReadAddonList(std::string_view bytes) {
  dom::parser parser;
  dom::array addons;
  if (Parse(parser, bytes, "the add-on list")["addons"].get_array().get(addons))
    throw ECatalogue("the add-on list has no \"addons\" list");
  return ReadEach(addons, Addon);
}

}  // namespace fx
