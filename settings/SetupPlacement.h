#pragma once

namespace fx {

// A window's or a screen's area in pixels.
struct TWindowRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

struct TWindowPos {
  int Left = 0;
  int Top = 0;
  friend bool operator==(const TWindowPos&, const TWindowPos&) = default;
};

// Where the first-run setup dialog goes while the splash screen shows: overlapping the
// splash's bottom-right corner, its own bottom-right corner 80 pixels beyond the splash's.
// When that would take it past the right or bottom edge of the screen, it goes 40 pixels
// inside both edges instead. It never starts left of or above the screen, so a dialog
// larger than the screen keeps its title bar within reach.
TWindowPos SetupDialogPosition(const TWindowRect& splash, int dialogWidth, int dialogHeight,
                               const TWindowRect& screen);

}  // namespace fx
