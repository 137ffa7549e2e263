#pragma once

// Work that may take long (hashing an archive, unpacking, verifying) runs on a thread of
// its own while the window keeps answering: RunInBackground starts it and turns a local
// event loop until it ends, calling `tick` on the GUI thread every 50 ms meanwhile (for
// progress). An exception of the work is thrown again to the caller. The caller disables
// what must not be used meanwhile.

#include <functional>

namespace fx {

void RunInBackground(const std::function<void()>& work, const std::function<void()>& tick = {});

}  // namespace fx
