#pragma once

#include <string>
#include <string_view>

namespace fx {

// Text from the game's files and servers (map titles, server and player names) as the
// game's console draws it, in UTF-8 for the program's windows. The game's character set is
// not a text encoding: its upper half (128-255) repeats the lower half in another colour,
// and the lower half puts glyphs where ASCII has control characters. So a byte above 127
// shows as its look-alike 128 below, the gold digits and brackets as plain ones, the dots
// as bullets, the rule pieces as dashes, the menu arrow as ">", a tab or line break as a
// blank, and the other glyphs as "_". Display only: what a script or the game is handed
// keeps the original bytes.
std::string QuakeTextToUtf8(std::string_view text);

// The one ASCII character a byte shows as, a bullet as '.': what sorting and searching
// compare, so that they agree with what is shown without building the text.
char QuakePlainChar(char byte);

}  // namespace fx
