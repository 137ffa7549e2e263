#include "ui/ScrollTextCore.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace fx {

namespace {

constexpr int kMinSpeed = 1;
constexpr int kMaxSpeed = 1000;

// Round to nearest, ties to even, as the default floating-point rounding does.
int Round(double value) {
  return static_cast<int>(std::nearbyint(value));
}

int StyleExtra(TTextStyle style, int depth) {
  switch (style) {
    case TTextStyle::tsRaised:
    case TTextStyle::tsLowered:
      return 2 * depth;
    case TTextStyle::tsShaddow:
      return depth;
    case TTextStyle::tsNormal:
      break;
  }
  return 0;
}

int CentringOffset(int control, int block) {
  return block < control ? (control - block) / 2 : 0;
}

}  // namespace

TScrollLayout MeasureScrollText(int fontHeight, const std::vector<int>& lineWidths,
                                TTextStyle style, int depth, int controlWidth, int controlHeight) {
  const int extra = StyleExtra(style, depth);
  TScrollLayout layout;
  layout.LineHeight = fontHeight + extra;
  const int widest =
      lineWidths.empty() ? 0 : *std::max_element(lineWidths.begin(), lineWidths.end());
  layout.BlockWidth = widest + extra;
  layout.BlockHeight = static_cast<int>(lineWidths.size()) * layout.LineHeight;
  layout.OffsetX = CentringOffset(controlWidth, layout.BlockWidth);
  layout.OffsetY = CentringOffset(controlHeight, layout.BlockHeight);
  return layout;
}

TScrollPoint ScrollStartPoint(const TScrollLayout& layout, TScrollDirection direction,
                              double progress, int controlWidth, int controlHeight) {
  const double f = progress;
  const int acrossX = layout.BlockWidth + controlWidth;
  const int acrossY = layout.BlockHeight + controlHeight;
  switch (direction) {
    case TScrollDirection::sdRightToLeft:
      return {Round((1 - f) * acrossX) - layout.BlockWidth, layout.OffsetY};
    case TScrollDirection::sdLeftToRight:
      return {Round(f * acrossX) - layout.BlockWidth, layout.OffsetY};
    case TScrollDirection::sdTopToBottom:
      return {layout.OffsetX, Round(f * acrossY) - layout.BlockHeight};
    case TScrollDirection::sdBottomToTop:
      return {layout.OffsetX, Round((1 - f) * acrossY) - layout.BlockHeight};
    case TScrollDirection::sdStatic:
      break;
  }
  return {layout.OffsetX, layout.OffsetY};
}

int LineIndent(TTextAlignment alignment, int blockWidth, int textWidth) {
  switch (alignment) {
    case TTextAlignment::taLeftJustify:
      return 0;
    case TTextAlignment::taRightJustify:
      return blockWidth - textWidth;
    case TTextAlignment::taCenter:
      break;
  }
  return Round(blockWidth / 2.0 - textWidth / 2.0);
}

std::vector<TStyleCopy> StyleCopies(TTextStyle style, int depth) {
  switch (style) {
    case TTextStyle::tsRaised:
      return {{-depth, -depth, true}, {depth, depth, false}};
    case TTextStyle::tsLowered:
      return {{-depth, -depth, false}, {depth, depth, true}};
    case TTextStyle::tsShaddow:
      return {{depth, depth, false}};
    case TTextStyle::tsNormal:
      break;
  }
  return {};
}

TScrollTextCore::TScrollTextCore(std::unique_ptr<TTimer> timer)
    : FTimer(timer ? std::move(timer) : std::make_unique<TManualTimer>()) {
  ConnectTimer();
  FTimer->SetInterval(std::chrono::milliseconds(FSpeed));
  // A new control scrolls at once.
  SetScrollDirection(TScrollDirection::sdRightToLeft);
}

TScrollTextCore::~TScrollTextCore() {
  FTimer->Stop();
  FTimer->SetOnTimer({});
}

void TScrollTextCore::ConnectTimer() {
  FTimer->SetOnTimer([this] { Tick(); });
}

void TScrollTextCore::SetTimer(std::unique_ptr<TTimer> timer) {
  if (!timer) return;
  const bool running = FTimer->Running();
  FTimer->Stop();
  FTimer->SetOnTimer({});
  FTimer = std::move(timer);
  ConnectTimer();
  FTimer->SetInterval(std::chrono::milliseconds(FSpeed));
  if (running) FTimer->Start();
}

void TScrollTextCore::Changed() const {
  if (OnChanged) OnChanged();
}

void TScrollTextCore::SetItems(const std::vector<std::string>& items) {
  if (items == FItems) return;
  FItems = items;
  Changed();
}

void TScrollTextCore::SetTextStyle(TTextStyle style) {
  if (style == FTextStyle) return;
  FTextStyle = style;
  Changed();
}

void TScrollTextCore::SetDepth(int depth) {
  if (depth == FDepth) return;
  FDepth = depth;
  Changed();
}

void TScrollTextCore::SetAlignment(TTextAlignment alignment) {
  if (alignment == FAlignment) return;
  FAlignment = alignment;
  Changed();
}

void TScrollTextCore::SetScrollDirection(TScrollDirection direction) {
  FDirection = direction;
  if (direction == TScrollDirection::sdStatic)
    Stop();
  else
    Start(FPosition);
  Changed();
}

void TScrollTextCore::SetSteps(int steps) {
  FSteps = std::max(steps, 1);
  FPosition = std::min(FPosition, FSteps);
}

void TScrollTextCore::SetSpeed(int speed) {
  FSpeed = std::clamp(speed, kMinSpeed, kMaxSpeed);
  FTimer->SetInterval(std::chrono::milliseconds(FSpeed));
}

void TScrollTextCore::SetContinuous(bool continuous) {
  if (continuous == FContinuous) return;
  FContinuous = continuous;
  if (FDirection != TScrollDirection::sdStatic) Start(FPosition);
}

double TScrollTextCore::Progress() const {
  return static_cast<double>(FPosition) / FSteps;
}

void TScrollTextCore::Start(int position) {
  if (FTimer->Running()) return;
  if (position >= 0 && position <= FSteps) FPosition = position;
  FTimer->Start();
}

void TScrollTextCore::Stop() {
  FTimer->Stop();
}

void TScrollTextCore::Tick() {
  if (!FTimer->Running()) return;
  if (FPosition == 0 && OnBegin) OnBegin();
  ++FPosition;
  if (OnPaint) OnPaint();
  if (OnStep) OnStep();
  if (FPosition > FSteps) {
    FTimer->Stop();
    if (OnEnd) OnEnd();
    FPosition = 0;
    if (FContinuous) Start(0);
  }
}

}  // namespace fx
