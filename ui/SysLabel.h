#pragma once

#include <QLabel>

namespace fx {

// A label that draws its text itself, as plain text. With ShowPath it shows a path that
// is too long for it with the middle left out ("/home/.../maps/e1m1.bsp") and takes "&"
// literally; without, "&" marks the mnemonic, and a disabled label shows its text
// embossed.
class TSysLabel : public QLabel {
  Q_OBJECT
  Q_PROPERTY(bool ShowPath READ ShowPath WRITE SetShowPath)

 public:
  explicit TSysLabel(QWidget* parent = nullptr);

  bool ShowPath() const { return FShowPath; }
  void SetShowPath(bool value);

  // The text as it is drawn: with ShowPath, elided in the middle to the contents width.
  QString ShownText() const;

  // With ShowPath the label can shrink below its text's width, as the path is elided.
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QRect TextArea() const;
  int TextFlags() const;

  bool FShowPath = false;
};

}  // namespace fx
