#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace fx {

// The program's hint window: a frameless tool-tip window that never takes the focus or the
// mouse, with the text centred and word-wrapped inside a one-pixel black frame, in the
// tool-tip colours (or a colour the hint asks for).
class TNewHintWindow : public QWidget {
  Q_OBJECT

 public:
  explicit TNewHintWindow(QWidget* parent = nullptr);

  // The rectangle, at (0, 0), that shows `text` wrapped at `maxWidth` pixels. It includes
  // the two pixels that ActivateHint takes off the bottom.
  QRect CalcHintRect(int maxWidth, const QString& text) const;

  // Shows `text` over `rect` less the two bottom rows, in `color` or, when that is
  // invalid, in the tool-tip background colour.
  void ActivateHint(const QRect& rect, const QString& text, const QColor& color = QColor());

  QString Text() const { return FText; }
  QColor Color() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  static constexpr int kFrame = 1;
  static constexpr int kHorizontalPadding = 3;
  static constexpr int kVerticalPadding = 1;
  static constexpr int kActivateShrink = 2;

  static int TextFlags();

  QString FText;
};

}  // namespace fx
