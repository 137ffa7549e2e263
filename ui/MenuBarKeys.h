#pragma once

#include <QKeyCombination>
#include <QObject>
#include <QPointer>

class QAction;
class QMenuBar;
class QWidget;

namespace fx {

// Gives a window's menu bar the first press of its access keys. Qt hands a key that a menu
// title shares with controls of the window to the controls first (Alt+T focuses "Limit
// play&time to:" before it opens "&Tools"); a desktop user expects the menu. While this
// object lives, the first press of such a key opens the menu; pressing the key again at
// once goes on to the controls that share it, focusing one a press as Qt does for a key
// several controls share, and then to the menu again. Any other key starts over. Keys no
// control shares are left to Qt.
class TMenuBarKeys : public QObject {
  Q_OBJECT

 public:
  // A child of `window`; `menuBar` is the window's.
  TMenuBarKeys(QWidget& window, QMenuBar& menuBar);
  ~TMenuBarKeys() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool IsReceiver(const QObject* watched) const;
  bool IsOurs(const QWidget& receiver) const;
  QAction* MenuFor(QKeyCombination key) const;
  QList<QWidget*> ControlsFor(QKeyCombination key) const;
  void OpenMenu(QAction& title);

  QWidget& FWindow;
  QPointer<QMenuBar> FMenuBar;
  QKeyCombination FLastKey;
  qsizetype FStep = 0;
};

}  // namespace fx
