#pragma once

#include <QChar>
#include <QColor>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "ui/HintText.h"

class QHelpEvent;

namespace fx {

class TNewHintWindow;

// Shows the application's tool tips in the program's own hint window, with the command
// characters of the hint texts handled (see ProcessHintText): while enabled it is an
// application-wide event filter that takes every tool-tip event of a widget with a tool
// tip. Turning it off, or destroying it, gives the tool tips back to Qt.
//
// The colour that ColorCmd asks for comes from the showing widget's "Tag" property (an
// integer colour value 0x00BBGGRR; a dynamic property set in the form).
//
// One belongs to a form that wants its own settings (its parent is the form) and serves
// that form's controls only; the program's own, with no form for parent, serves every
// window that has no enabled one of its own. So a form's line command does not break the
// hints of the dialogs it opens.
class TExtendedHint : public QObject {
  Q_OBJECT
  Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
  Q_PROPERTY(bool CmdsEnabled READ CmdsEnabled WRITE SetCmdsEnabled)
  Q_PROPERTY(QColor HintColor READ HintColor WRITE SetHintColor)
  Q_PROPERTY(QChar ColorCmd READ ColorCmd WRITE SetColorCmd)
  Q_PROPERTY(QChar FixedCmd READ FixedCmd WRITE SetFixedCmd)
  Q_PROPERTY(QChar LineCmd READ LineCmd WRITE SetLineCmd)
  Q_PROPERTY(int FixedWitdh READ FixedWitdh WRITE SetFixedWitdh)

 public:
  explicit TExtendedHint(QObject* parent = nullptr);
  ~TExtendedHint() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  bool CmdsEnabled() const { return FCommands.CmdsEnabled(); }
  void SetCmdsEnabled(bool value) { FCommands.SetCmdsEnabled(value); }
  QColor HintColor() const { return FHintColor; }
  // Also the colour of Qt's own tool tips, as the application's hint colour.
  void SetHintColor(const QColor& value);
  // Command characters outside ASCII are refused and the old one stays.
  QChar ColorCmd() const { return QChar::fromLatin1(FCommands.ColorCmd()); }
  void SetColorCmd(QChar value);
  QChar FixedCmd() const { return QChar::fromLatin1(FCommands.FixedCmd()); }
  void SetFixedCmd(QChar value);
  QChar LineCmd() const { return QChar::fromLatin1(FCommands.LineCmd()); }
  void SetLineCmd(QChar value);
  int FixedWitdh() const { return FCommands.FixedWitdh(); }
  // Values below 100 are refused and the old width stays.
  void SetFixedWitdh(int value) { FCommands.SetFixedWitdh(value); }

  // The window the hints are shown in (for tests and for a look at what is shown).
  TNewHintWindow& HintWindow() const { return *FWindow; }
  void HideHint();

  // The height the hint keeps clear below the cursor's hot spot. Qt does not tell the
  // cursor's size; 32 is the standard cursor height.
  static constexpr int kCursorHeight = 32;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Serves(const QWidget& widget) const;
  bool ShowHintFor(QWidget* widget, const QHelpEvent& help);
  bool HidesHint(const QObject* watched, const QEvent& event) const;
  QRect PlaceOnScreen(QRect rect, const QPoint& cursor) const;

  bool FEnabled = false;
  THintCommands FCommands;
  QColor FHintColor;
  std::unique_ptr<TNewHintWindow> FWindow;
  QPointer<QWidget> FHintWidget;
  QTimer FHideTimer;
};

}  // namespace fx
