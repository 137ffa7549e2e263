#pragma once

// The catalogue loader's reads on a thread of Qt's global pool, each one's outcome handed
// back to the GUI thread's event loop: the window keeps answering while tens of megabytes of
// catalogue are parsed.

#include "content/CatalogueLoader.h"

namespace fx {

TCatalogueLoader::TRunAside CatalogueWorker();

}  // namespace fx
