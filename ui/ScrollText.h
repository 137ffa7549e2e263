#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

#include "platform/Timer.h"
#include "ui/ScrollTextCore.h"

namespace fx {

// A block of text lines that moves across the control in a fixed number of timer steps
// (TScrollTextCore holds the rules). It paints into an off-screen picture of its size and
// copies that at once, so the text does not flicker. A new control is 200 x 20 pixels,
// black "Arial" 10 points on the button-face colour, and scrolls from right to left at once.
class TScrollText : public QWidget {
  Q_OBJECT

 public:
  // `timer` drives the steps; null: a timer of the GUI thread.
  explicit TScrollText(QWidget* parent = nullptr, std::unique_ptr<TTimer> timer = nullptr);
  ~TScrollText() override;

  TScrollTextCore& Core() { return FCore; }
  const TScrollTextCore& Core() const { return FCore; }
  void SetTimer(std::unique_ptr<TTimer> timer) { FCore.SetTimer(std::move(timer)); }

  const QFont& Font() const { return FFont; }
  void SetFont(const QFont& font);
  const QColor& FontColor() const { return FFontColor; }
  void SetFontColor(const QColor& colour);
  const QColor& Color() const { return FColor; }
  void SetColor(const QColor& colour);

  // The block as measured for the control's present size and font.
  TScrollLayout Measure() const;

  QSize sizeHint() const override { return {200, 20}; }

 signals:
  void Begin();
  void Step();
  void End();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void PaintBlock(QPainter& painter) const;

  TScrollTextCore FCore;
  QFont FFont;
  QColor FFontColor = Qt::black;
  QColor FColor;
};

}  // namespace fx
