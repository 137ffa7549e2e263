#pragma once

// What the scrolling text control decides without drawing anything: its properties with
// their setter rules, the pass of timer steps, the measuring and the places it draws at.
// The widget (ui/ScrollText) supplies the font's measures and paints.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Timer.h"

namespace fx {

enum class TTextStyle { tsNormal, tsRaised, tsLowered, tsShaddow };
// The ordinals are the ones the control always had.
enum class TTextAlignment { taCenter = 0, taLeftJustify = 1, taRightJustify = 2 };
enum class TScrollDirection {
  sdStatic,
  sdRightToLeft,
  sdLeftToRight,
  sdTopToBottom,
  sdBottomToTop
};

struct TScrollPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TScrollPoint&, const TScrollPoint&) = default;
};

// The block of lines as measured for a control of a given size.
struct TScrollLayout {
  int LineHeight = 0;
  int BlockWidth = 0;   // the widest line
  int BlockHeight = 0;  // lines x line height
  int OffsetX = 0;      // centring offsets; 0 when the block does not fit
  int OffsetY = 0;
};

// `fontHeight` is the font's character height plus its external leading; `lineWidths` the
// text width of each line. Raised and lowered text add 2 x depth to the height and the
// width, shadowed text adds depth.
TScrollLayout MeasureScrollText(int fontHeight, const std::vector<int>& lineWidths,
                                TTextStyle style, int depth, int controlWidth, int controlHeight);

// Where the block starts at `progress` (0 to 1) of a pass.
TScrollPoint ScrollStartPoint(const TScrollLayout& layout, TScrollDirection direction,
                              double progress, int controlWidth, int controlHeight);

// How far a line of `textWidth` stands in from the block's left edge.
int LineIndent(TTextAlignment alignment, int blockWidth, int textWidth);

// The copies drawn before a line for its style, offset from it, in the button-highlight or
// the button-shadow colour.
struct TStyleCopy {
  int Dx = 0;
  int Dy = 0;
  bool Highlight = false;  // false: the shadow colour
  friend bool operator==(const TStyleCopy&, const TStyleCopy&) = default;
};
std::vector<TStyleCopy> StyleCopies(TTextStyle style, int depth);

// The properties and the timer of the control. A change that alters the drawing calls
// OnChanged (the widget re-measures and repaints); a tick calls OnPaint between moving on
// and OnStep.
class TScrollTextCore {
 public:
  // The timer is the control's own; a null one is replaced by a TManualTimer.
  explicit TScrollTextCore(std::unique_ptr<TTimer> timer);
  ~TScrollTextCore();
  TScrollTextCore(const TScrollTextCore&) = delete;
  TScrollTextCore& operator=(const TScrollTextCore&) = delete;

  // Replaces the timer; the new one runs when the old one did.
  void SetTimer(std::unique_ptr<TTimer> timer);
  const TTimer& Timer() const { return *FTimer; }

  const std::vector<std::string>& Items() const { return FItems; }
  void SetItems(const std::vector<std::string>& items);
  TTextStyle TextStyle() const { return FTextStyle; }
  void SetTextStyle(TTextStyle style);
  int Depth() const { return FDepth; }
  void SetDepth(int depth);
  TTextAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TTextAlignment alignment);
  TScrollDirection ScrollDirection() const { return FDirection; }
  // Anything but sdStatic starts with the current step, sdStatic stops.
  void SetScrollDirection(TScrollDirection direction);
  int Steps() const { return FSteps; }
  // At least 1: a pass has one step or more.
  void SetSteps(int steps);
  int Speed() const { return FSpeed; }
  // Milliseconds per step, held within 1 to 1000.
  void SetSpeed(int speed);
  bool Continuous() const { return FContinuous; }
  // A new value starts the timer unless the direction is static.
  void SetContinuous(bool continuous);
  int Position() const { return FPosition; }
  // Position / Steps.
  double Progress() const;

  // When the timer does not run: takes `position` as the current step when it lies within
  // 0 to Steps, then starts the timer.
  void Start(int position);
  void Stop();

  // One timer step.
  void Tick();

  std::function<void()> OnBegin;
  std::function<void()> OnStep;
  std::function<void()> OnEnd;
  std::function<void()> OnChanged;
  std::function<void()> OnPaint;

 private:
  void Changed() const;
  void ConnectTimer();

  std::unique_ptr<TTimer> FTimer;
  std::vector<std::string> FItems{"ScrollText"};
  TTextStyle FTextStyle = TTextStyle::tsNormal;
  int FDepth = 1;
  TTextAlignment FAlignment = TTextAlignment::taCenter;
  TScrollDirection FDirection = TScrollDirection::sdStatic;
  int FSteps = 80;
  int FSpeed = 100;
  bool FContinuous = true;
  int FPosition = 0;
};

}  // namespace fx
