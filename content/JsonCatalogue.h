#pragma once

// The JSON records (one object per package: sha256, bytes, description, files, install,
// tags "key[:qualifier]=value", urls), as pages of an array from the web API or as a local
// folder json/by-sha256/<2 hex>/<sha256>.json, and the 2021 release's add-on list
// ({"addons": [{id, name, author, date, size, description{lang}, gamedir, download,
// screenshots}]}).

#include <filesystem>
#include <memory>
#include <string_view>

#include "content/ContentPackage.h"

namespace fx {

// One record. Throws ECatalogue with the reason when it is malformed.
TContentPackage ReadJsonRecord(std::string_view bytes);

// A page of the API: a JSON array of records. A malformed record is left out with its reason.
// Throws ECatalogue for a document over 64 MB, bad JSON, nesting over 32, or not an array.
TCatalogue ReadJsonPage(std::string_view bytes);

// A page read as its bytes come (from a file, a piece at a time): each record is parsed and
// made as soon as it is whole, so the page never stands in memory as one parsed document.
// Feed and Finish throw ECatalogue as ReadJsonPage does.
class TJsonPageReader {
 public:
  TJsonPageReader();
  ~TJsonPageReader();
  void Feed(std::string_view bytes);
  TCatalogue Finish();

 private:
  struct TState;
  std::unique_ptr<TState> F;
};

// The folder `root` holding json/by-sha256/. Only regular files whose names are the
// record's own hash below the folder of its first two digits are read (symbolic links are
// not followed); each other file, and a record over 16 MB, is listed as skipped.
TCatalogue ReadJsonFolder(const std::filesystem::path& root);

// The add-on list. Throws ECatalogue as ReadJsonPage does.
TCatalogue ReadAddonList(std::string_view bytes);

}  // namespace fx
