#pragma once

// What the about box shows and the hidden words it listens for: texts, addresses, the
// credit lines, and the rule for a word typed with Alt held down.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FormatSettings.h"
#include "platform/Version.h"

namespace fx {

// "Major.MinorRelease (Build N)", as the version resource's four numbers fill
// "%d.%d%d (Build %d)".
std::string AboutVersionText(const TVersion& version);
// Total physical memory in kilobytes, grouped in thousands, with " KB".
std::string AboutMemoryText(std::uint64_t bytes,
                            const TFormatSettings& settings = FormatSettings());

// A link of the about box: what it says and the file it opens.
struct TAboutLink {
  std::string Caption;
  std::filesystem::path File;
  friend bool operator==(const TAboutLink&, const TAboutLink&) = default;
};
// What the links lead to, as long as the project has no page of its own: the README and the
// manual page installed with the program in `programFolder`, each only where it is found.
std::vector<TAboutLink> AboutLinks(const std::filesystem::path& programFolder);

inline constexpr const char* kAboutTrademarkNote =
    "Quake is a registered trademark of its owners. Fraxinel is an independent front end and "
    "is neither made nor endorsed by them.";

// A code word and the credit picture it shows.
struct TCodeWord {
  std::string_view Word;
  int Picture;
};
// "CREDITS" first: it is the one that rolls the credits after its picture.
inline constexpr TCodeWord kCodeWords[] = {
    {"CREDITS", 1000},
    {"FRAXINEL", 1001},
    {"ASHTREE", 1003},
};
// The picture behind the rolling credits.
inline constexpr int kCreditsBackdropPicture = 1002;

// The lines that roll up over the backdrop.
std::vector<std::string> CreditLines();

// Collects the capital letters typed with Alt held down. A letter that leaves the word no
// longer the beginning of a code word clears it, and is left to the dialog's own keys;
// every other letter is taken.
class TCodeWordTyper {
 public:
  struct TResult {
    bool Consumed = false;
    const TCodeWord* Completed = nullptr;  // the word just finished, then cleared
  };

  // `letter` is 'A' to 'Z'; anything else is not taken and leaves the word as it stands.
  TResult Type(char letter);
  const std::string& Word() const { return FWord; }

 private:
  std::string FWord;
};

}  // namespace fx
