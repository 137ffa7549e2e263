#include "ui/MenuBarKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

namespace fx {

namespace {

QKeySequence AccessKey(const QString& caption) {
  return QKeySequence::mnemonic(caption);
}

// The widget an access key of `control` gives the focus to, as Qt's own handling does.
QWidget* FocusTarget(QWidget* control) {
  if (auto* label = qobject_cast<QLabel*>(control)) return label->buddy();
  return control;
}

}  // namespace

TMenuBarKeys::TMenuBarKeys(QWidget& window, QMenuBar& menuBar)
    : QObject(&window), FWindow(window), FMenuBar(&menuBar) {
  // Application-wide: the keys go to whichever control has the focus, or to an open menu.
  qApp->installEventFilter(this);
}

TMenuBarKeys::~TMenuBarKeys() {
  if (qApp != nullptr) qApp->removeEventFilter(this);
}

bool TMenuBarKeys::IsReceiver(const QObject* watched) const {
  // A key event travels up the parents while no one takes it; it counts once.
  const QWidget* receiver = QApplication::activePopupWidget();
  if (receiver == nullptr) receiver = QApplication::focusWidget();
  if (receiver == nullptr) receiver = QApplication::activeWindow();
  return watched == receiver;
}

bool TMenuBarKeys::IsOurs(const QWidget& receiver) const {
  if (receiver.window() == &FWindow) return true;
  // An open menu of the menu bar (its menus and their submenus are its descendants).
  for (const QObject* object = &receiver; object != nullptr; object = object->parent())
    if (object == FMenuBar) return true;
  return false;
}

QAction* TMenuBarKeys::MenuFor(QKeyCombination key) const {
  if (FMenuBar.isNull()) return nullptr;
  for (QAction* title : FMenuBar->actions())
    if (title->isVisible() && title->isEnabled() && AccessKey(title->text()) == QKeySequence(key))
      return title;
  return nullptr;
}

QList<QWidget*> TMenuBarKeys::ControlsFor(QKeyCombination key) const {
  QList<QWidget*> controls;
  for (QWidget* control : FWindow.findChildren<QWidget*>()) {
    QString caption;
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
      caption = button->text();
    else if (const auto* label = qobject_cast<const QLabel*>(control); label && label->buddy())
      caption = label->text();
    const QWidget* target = FocusTarget(control);
    if (caption.isEmpty() || !control->isVisible() || !target->isEnabled()) continue;
    if (AccessKey(caption) == QKeySequence(key)) controls.push_back(control);
  }
  return controls;
}

void TMenuBarKeys::OpenMenu(QAction& title) {
  FMenuBar->setActiveAction(&title);
  // As the key opens a menu in Qt: with its first item highlighted.
  if (QMenu* menu = title.menu()) {
    for (QAction* item : menu->actions()) {
      if (item->isVisible() && item->isEnabled() && !item->isSeparator()) {
        menu->setActiveAction(item);
        break;
      }
    }
  }
}

bool TMenuBarKeys::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type != QEvent::ShortcutOverride && type != QEvent::KeyPress) || !IsReceiver(watched))
    return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (key->key() == Qt::Key_Alt || key->key() == Qt::Key_unknown) return false;
  const QKeyCombination combination(key->modifiers() & ~Qt::KeypadModifier,
                                    static_cast<Qt::Key>(key->key()));
  QAction* title = nullptr;
  QList<QWidget*> controls;
  if (combination.keyboardModifiers() == Qt::AltModifier &&
      IsOurs(*static_cast<QWidget*>(watched))) {
    title = MenuFor(combination);
    if (title != nullptr) controls = ControlsFor(combination);
  }
  if (controls.isEmpty()) {
    if (type == QEvent::KeyPress) FLastKey = {};
    return false;
  }
  if (type == QEvent::ShortcutOverride) {
    // Taken as a plain key press, so that Qt does not hand it to the controls first.
    event->accept();
    return true;
  }
  FStep = combination == FLastKey ? (FStep + 1) % (controls.size() + 1) : 0;
  FLastKey = combination;
  if (FStep == 0) {
    OpenMenu(*title);
  } else {
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    FocusTarget(controls[FStep - 1])->setFocus(Qt::ShortcutFocusReason);
  }
  return true;
}

}  // namespace fx
