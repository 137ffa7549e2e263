#pragma once

// The same package from several catalogues as one row: matched by the archive's hash
// (SHA-256, then MD5) and then by its id (the archive's file name).

#include <vector>

#include "content/ContentPackage.h"

namespace fx {

// Catalogues in the user's order: an earlier one's fields win, a later one fills what the
// earlier left empty (the XML's ratings, the JSON's files and hashes) and adds start maps,
// requirements and addresses it lacks. Skipped records are kept, in order.
TCatalogue MergeCatalogues(std::vector<TCatalogue> catalogues);

}  // namespace fx
