#include "app/TestDriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QLineEdit>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include <unistd.h>

namespace fx {

namespace {

template <typename T>
T* ModalControl(const QString& name) {
  QWidget* modal = QApplication::activeModalWidget();
  return modal != nullptr ? modal->findChild<T*>(name) : nullptr;
}

QAction* TopLevelAction(const QString& name) {
  for (QWidget* window : QApplication::topLevelWidgets())
    if (auto* action = window->findChild<QAction*>(name)) return action;
  return nullptr;
}

}  // namespace

TTestDriver::TTestDriver()
    : FInput(std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read)) {
  connect(FInput.get(), &QSocketNotifier::activated, this, &TTestDriver::ReadInput);
  qApp->installEventFilter(this);
}

TTestDriver::~TTestDriver() = default;

void TTestDriver::Report(const QString& line) {
  std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

bool TTestDriver::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(watched);
    if (widget->isWindow() && widget->isModal())
      Report(QStringLiteral("modal ") + QString::fromLatin1(widget->metaObject()->className()));
  }
  return QObject::eventFilter(watched, event);
}

void TTestDriver::ReadInput() {
  char buffer[512];
  const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
  if (count <= 0) {
    FInput->setEnabled(false);  // the test closed its end
    return;
  }
  FPending.append(buffer, count);
  for (qsizetype end = FPending.indexOf('\n'); end >= 0; end = FPending.indexOf('\n')) {
    FCommands << QString::fromUtf8(FPending.left(end)).trimmed();
    FPending.remove(0, end + 1);
  }
  if (!FRunning) RunNext();
}

// One command per pass of the event loop, so that what a command sets off (a dialog's
// exec() returning) happens before the next one runs.
void TTestDriver::RunNext() {
  FRunning = !FCommands.isEmpty();
  if (!FRunning) return;
  QTimer::singleShot(0, this, [this] {
    const QString command = FCommands.takeFirst();
    if (command == QLatin1String("sync")) {
      Sync();
      return;
    }
    Report((Run(command) ? QStringLiteral("ok ") : QStringLiteral("failed ")) + command);
    RunNext();
  });
}

bool TTestDriver::Run(const QString& command) {
  const QString verb = command.section(QLatin1Char(' '), 0, 0);
  const QString name = command.section(QLatin1Char(' '), 1, 1);
  const QString rest = command.section(QLatin1Char(' '), 2);
  if (verb == QLatin1String("set")) {
    auto* edit = ModalControl<QLineEdit>(name);
    if (edit != nullptr) edit->setText(rest);
    return edit != nullptr;
  }
  if (verb == QLatin1String("check")) {
    auto* box = ModalControl<QAbstractButton>(name);
    if (box != nullptr) box->setChecked(rest == QLatin1String("1"));
    return box != nullptr;
  }
  if (verb == QLatin1String("accept")) {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog != nullptr) dialog->accept();
    return dialog != nullptr;
  }
  if (verb == QLatin1String("trigger")) {
    QAction* action = TopLevelAction(name);
    // Queued: the action's dialog runs its own loop, in which the next commands run.
    if (action != nullptr) QTimer::singleShot(0, action, &QAction::trigger);
    return action != nullptr;
  }
  return false;
}

void TTestDriver::Sync() {
  if (QApplication::activeModalWidget() != nullptr || QThread::currentThread()->loopLevel() > 1) {
    QTimer::singleShot(10, this, &TTestDriver::Sync);
    return;
  }
  Report(QStringLiteral("synced"));
  RunNext();
}

}  // namespace fx
