#pragma once

#include <QSlider>

class QStyleOptionSlider;

namespace fx {

// A horizontal track bar that can show a selection range on its groove, drawn as a band
// in the highlight colour between the positions of SelStart and SelEnd. The range shows
// while EnableSelection is on and SelStart and SelEnd are not both 0. Tick marks below the
// groove, every tickInterval() values (the main window's limits use 2).
class TExtTrackBar : public QSlider {
  Q_OBJECT
  Q_PROPERTY(bool EnableSelection READ EnableSelection WRITE SetEnableSelection)
  Q_PROPERTY(int SelStart READ SelStart WRITE SetSelStart)
  Q_PROPERTY(int SelEnd READ SelEnd WRITE SetSelEnd)

 public:
  explicit TExtTrackBar(QWidget* parent = nullptr);

  bool EnableSelection() const { return FEnableSelection; }
  void SetEnableSelection(bool value);
  int SelStart() const { return FSelStart; }
  void SetSelStart(int value);
  int SelEnd() const { return FSelEnd; }
  void SetSelEnd(int value);

  // Whether a selection range is drawn now.
  bool HasSelection() const;
  // The columns of the band that shows the selection, empty when none is drawn.
  QRect SelectionRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect SelectionRect(const QStyleOptionSlider& option) const;
  int PositionOf(const QStyleOptionSlider& option, const QRect& groove, int value) const;

  bool FEnableSelection = false;
  int FSelStart = 0;
  int FSelEnd = 0;
};

}  // namespace fx
