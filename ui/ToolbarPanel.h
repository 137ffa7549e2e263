#pragma once

#include <QWidget>

namespace fx {

// A container for a row of tool buttons, painted in the button-face colour with bevel
// lines. Its children go into the contents rectangle, which the border width (standard
// and title styles) or the client width (new style) shrinks; a layout set on the panel
// follows it.
class TToolbarPanel : public QWidget {
  Q_OBJECT

 public:
  enum TToolbarBevelStyle { tbNone, tbRaised, tbLowered, tbRaisedEdge, tbLoweredEdge };
  Q_ENUM(TToolbarBevelStyle)
  enum TTPViewStyle { tvsStandard, tvsNewStyle, tvsTitle };
  Q_ENUM(TTPViewStyle)

  Q_PROPERTY(TToolbarBevelStyle BevelTop READ BevelTop WRITE SetBevelTop)
  Q_PROPERTY(TToolbarBevelStyle BevelBottom READ BevelBottom WRITE SetBevelBottom)
  Q_PROPERTY(TTPViewStyle ViewStyle READ ViewStyle WRITE SetViewStyle)
  Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
  Q_PROPERTY(int ClientWidth READ ClientWidth WRITE SetClientWidth)

  explicit TToolbarPanel(QWidget* parent = nullptr);

  TToolbarBevelStyle BevelTop() const { return FBevelTop; }
  void SetBevelTop(TToolbarBevelStyle value);
  TToolbarBevelStyle BevelBottom() const { return FBevelBottom; }
  void SetBevelBottom(TToolbarBevelStyle value);
  TTPViewStyle ViewStyle() const { return FViewStyle; }
  void SetViewStyle(TTPViewStyle value);
  // Negative widths are refused.
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value);
  // The width of the new style's raised part; below 1 the full width.
  int ClientWidth() const { return FClientWidth; }
  void SetClientWidth(int value);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void AlignChildren();
  int RaisedWidth() const;

  TToolbarBevelStyle FBevelTop = tbLowered;
  TToolbarBevelStyle FBevelBottom = tbLowered;
  TTPViewStyle FViewStyle = tvsStandard;
  int FBorderWidth = 0;
  int FClientWidth = 0;
};

using TToolbarBevelStyle = TToolbarPanel::TToolbarBevelStyle;
using TTPViewStyle = TToolbarPanel::TTPViewStyle;
using enum TToolbarPanel::TToolbarBevelStyle;
using enum TToolbarPanel::TTPViewStyle;

}  // namespace fx
