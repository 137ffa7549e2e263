#include "settings/SetupPlacement.h"

#include <algorithm>

namespace fx {

namespace {

constexpr int kBeyondSplash = 80;
constexpr int kInsideScreen = 40;

}  // namespace

TWindowPos SetupDialogPosition(const TWindowRect& splash, int dialogWidth, int dialogHeight,
                               const TWindowRect& screen) {
  TWindowPos pos{splash.Left + splash.Width - dialogWidth + kBeyondSplash,
                 splash.Top + splash.Height - dialogHeight + kBeyondSplash};
  const int screenRight = screen.Left + screen.Width;
  const int screenBottom = screen.Top + screen.Height;
  if (pos.Left + dialogWidth > screenRight || pos.Top + dialogHeight > screenBottom) {
    pos.Left = screenRight - dialogWidth - kInsideScreen;
    pos.Top = screenBottom - dialogHeight - kInsideScreen;
  }
  pos.Left = std::max(pos.Left, screen.Left);
  pos.Top = std::max(pos.Top, screen.Top);
  return pos;
}

}  // namespace fx
