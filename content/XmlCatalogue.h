#pragma once

// The long-standing XML database: <files><file id type rating normalized_users_rating> with
// author, title, md5sum, size (KiB), date, description, tags/tag and techinfo (zipbasedir,
// commandline, startmap*, requirements/file@id).

#include <string_view>

#include "content/ContentPackage.h"

namespace fx {

// Reads the whole database. A record that is malformed (no or an unsafe id, a bad date,
// size, rating or hash, an id given twice) is left out with its reason; the rest loads.
// Throws ECatalogue for a document over 64 MB, one that is not well-formed, has a DOCTYPE
// (and so entities), nests deeper than 32, holds a text over 1 MB, or is not a <files> list.
TCatalogue ReadXmlCatalogue(std::string_view bytes);

}  // namespace fx
