#include "ui/ExtendedHint.h"

#include <QApplication>
#include <QHelpEvent>
#include <QScreen>
#include <QToolTip>

#include <algorithm>

#include "ui/NewHintWindow.h"

namespace fx {

namespace {

// As long as Qt keeps its own tool tips up: ten seconds, and more for long texts.
int ShowTimeMs(const QString& text) {
  constexpr int kBaseMs = 10000;
  constexpr int kPerCharacterMs = 40;
  constexpr int kFreeCharacters = 100;
  const auto extra = std::max<qsizetype>(0, text.size() - kFreeCharacters);
  return kBaseMs + kPerCharacterMs * static_cast<int>(extra);
}

QColor HintColorOf(const THint& hint, const QColor& fallback) {
  if (!hint.Color) return fallback;
  const auto rgb = RgbFromColorValue(*hint.Color);
  return rgb ? QColor::fromRgb(*rgb) : fallback;
}

bool TakeAscii(QChar value, char& out) {
  if (value.unicode() >= 0x80) return false;
  out = static_cast<char>(value.unicode());
  return true;
}

}  // namespace

TExtendedHint::TExtendedHint(QObject* parent)
    : QObject(parent),
      FHintColor(QToolTip::palette().color(QPalette::Inactive, QPalette::ToolTipBase)),
      FWindow(std::make_unique<TNewHintWindow>()) {
  FHideTimer.setSingleShot(true);
  connect(&FHideTimer, &QTimer::timeout, this, &TExtendedHint::HideHint);
  SetEnabled(true);
}

TExtendedHint::~TExtendedHint() {
  if (FEnabled && qApp != nullptr) qApp->removeEventFilter(this);
}

void TExtendedHint::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  if (FEnabled) {
    qApp->installEventFilter(this);
  } else {
    qApp->removeEventFilter(this);
    HideHint();
  }
}

void TExtendedHint::SetHintColor(const QColor& value) {
  if (!value.isValid()) return;
  FHintColor = value;
  QPalette colours = QToolTip::palette();
  colours.setColor(QPalette::ToolTipBase, value);
  QToolTip::setPalette(colours);
}

void TExtendedHint::SetColorCmd(QChar value) {
  char command = 0;
  if (TakeAscii(value, command)) FCommands.SetColorCmd(command);
}

void TExtendedHint::SetFixedCmd(QChar value) {
  char command = 0;
  if (TakeAscii(value, command)) FCommands.SetFixedCmd(command);
}

void TExtendedHint::SetLineCmd(QChar value) {
  char command = 0;
  if (TakeAscii(value, command)) FCommands.SetLineCmd(command);
}

void TExtendedHint::HideHint() {
  FHideTimer.stop();
  FHintWidget = nullptr;
  FWindow->hide();
}

bool TExtendedHint::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ToolTip && watched->isWidgetType() &&
      Serves(*static_cast<QWidget*>(watched))) {
    return ShowHintFor(static_cast<QWidget*>(watched), *static_cast<QHelpEvent*>(event));
  }
  if (FWindow->isVisible() && HidesHint(watched, *event)) HideHint();
  return false;
}

bool TExtendedHint::Serves(const QWidget& widget) const {
  const QWidget* window = widget.window();
  if (const auto* form = qobject_cast<const QWidget*>(parent())) return window == form->window();
  const auto own = window->findChildren<TExtendedHint*>(Qt::FindDirectChildrenOnly);
  return std::none_of(own.begin(), own.end(),
                      [](const TExtendedHint* hint) { return hint->Enabled(); });
}

bool TExtendedHint::ShowHintFor(QWidget* widget, const QHelpEvent& help) {
  const QString tip = widget->toolTip();
  // Not ours: Qt passes the event on to the parents, or the widget makes its own tip
  // (item views, tab bars).
  if (tip.isEmpty()) return false;

  QToolTip::hideText();
  const THint hint = ProcessHintText(tip.toStdString(), FCommands, widget->property("Tag").toInt());
  const QString text = QString::fromStdString(hint.Text);
  if (text.isEmpty()) {
    HideHint();
    return true;
  }

  const QPoint cursor = help.globalPos();
  const QScreen* screen = QGuiApplication::screenAt(cursor);
  if (screen == nullptr) screen = widget->screen();
  const int maxWidth = hint.FixedWidth.value_or(screen->availableGeometry().width());
  QRect rect = FWindow->CalcHintRect(maxWidth, text);
  const THintPoint at =
      HintPosition({cursor.x(), cursor.y()}, {cursor.x(), cursor.y()}, kCursorHeight);
  rect.moveTo(at.X, at.Y);

  FWindow->ActivateHint(PlaceOnScreen(rect, cursor), text, HintColorOf(hint, FHintColor));
  FHintWidget = widget;
  FHideTimer.start(ShowTimeMs(text));
  return true;
}

bool TExtendedHint::HidesHint(const QObject* watched, const QEvent& event) const {
  switch (event.type()) {
    case QEvent::Leave:
    case QEvent::Hide:
      return watched == FHintWidget || FHintWidget.isNull();
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::WindowDeactivate:
      return watched != FWindow.get();
    default:
      return false;
  }
}

QRect TExtendedHint::PlaceOnScreen(QRect rect, const QPoint& cursor) const {
  const QScreen* screen = QGuiApplication::screenAt(cursor);
  if (screen == nullptr) return rect;
  const QRect area = screen->availableGeometry();
  if (rect.right() > area.right()) rect.moveRight(area.right());
  if (rect.bottom() > area.bottom()) rect.moveBottom(area.bottom());
  if (rect.left() < area.left()) rect.moveLeft(area.left());
  if (rect.top() < area.top()) rect.moveTop(area.top());
  return rect;
}

}  // namespace fx
