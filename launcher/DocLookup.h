#pragma once

// Where the main window's demo "Docs..." button looks for the text that came with a demo.

#include <filesystem>
#include <optional>
#include <string>

namespace fx {

// The demo the demo "Docs..." button is about: the playback demo in demo playback, else the
// record demo while recording is checked; "(None)" counts as empty.
std::string DemoDocumentName(int playMode, const std::string& demoPlay, bool recordDemo,
                             const std::string& demoRecord);

// "ID1\<demo>.TXT", else "<patch>\<demo>.TXT" when a patch is given.
std::optional<std::filesystem::path> FindDemoDocument(const std::filesystem::path& gameFolder,
                                                      const std::string& patch,
                                                      const std::string& demoName);

}  // namespace fx
