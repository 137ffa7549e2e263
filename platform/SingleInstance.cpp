#include "platform/SingleInstance.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <QtGlobal>

#include <unistd.h>

namespace fx {

namespace {

// Every wait is bounded: a hung first copy must not hang the second, and a client that says
// nothing must not hold on to the first.
constexpr int kSocketTimeoutMs = 1000;
constexpr int kLockTimeoutMs = 3000;
constexpr qint64 kMaxRequestBytes = 64;
// Socket paths are limited to 107 bytes; the runtime folder takes some of them.
constexpr int kMaxBaseNameLength = 40;

const QByteArray kRaiseRequest = "raise\n";
const QByteArray kRaiseReply = "ok\n";

// The user's private runtime folder (Qt makes one below the temporary folder, owned by the user
// and closed to others, when the session names none). Looked up once: Qt warns on every look-up
// when XDG_RUNTIME_DIR is not set.
const QString& RuntimeFolder() {
  static const QString folder = [] {
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
  }();
  return folder;
}

}  // namespace

TSingleInstance::TSingleInstance(const QString& programPath, QObject* parent)
    : QObject(parent),
      FServerName(ServerName(programPath)),
      FLockPath(RuntimeFolder() + QLatin1Char('/') + InstanceName(programPath) +
                QStringLiteral(".lock")) {}

TSingleInstance::~TSingleInstance() {
  // Closing the server removes its socket file, so the next copy starts cleanly.
  FServer.reset();
}

QString TSingleInstance::InstanceName(const QString& programPath) {
  QString base = QFileInfo(programPath).completeBaseName().left(kMaxBaseNameLength);
  for (QChar& c : base) {
    const bool safe = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                      (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                      (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.') ||
                      c == QLatin1Char('-') || c == QLatin1Char('_');
    if (!safe) c = QLatin1Char('_');
  }
  if (base.isEmpty()) base = QStringLiteral("fraxinel");
  return base + QLatin1Char('-') + QString::number(::getuid());
}

QString TSingleInstance::ServerName(const QString& programPath) {
  return RuntimeFolder() + QLatin1Char('/') + InstanceName(programPath);
}

bool TSingleInstance::TryAcquire() {
  if (IsPrimary()) return true;
  // Two copies started together must not both find no server and both listen: the check and
  // the listen happen under one lock. A lock that cannot be had in time (its holder hangs) is
  // given up on: starting unguarded is better than not starting.
  QLockFile lock(FLockPath);
  const bool locked = lock.tryLock(kLockTimeoutMs);
  if (!locked) qWarning("Single instance: cannot lock %s", qPrintable(FLockPath));
  if (AskRunningCopy()) return false;
  Listen();
  return true;
}

bool TSingleInstance::IsPrimary() const {
  return FServer && FServer->isListening();
}

bool TSingleInstance::AskRunningCopy() {
  QLocalSocket socket;
  socket.connectToServer(FServerName);
  if (!socket.waitForConnected(kSocketTimeoutMs)) {
    // A refused connection is a socket left behind by a crashed copy; a timeout means a copy
    // that is alive but busy, which still counts as running.
    return socket.error() == QLocalSocket::SocketTimeoutError;
  }
  socket.write(kRaiseRequest);
  socket.waitForBytesWritten(kSocketTimeoutMs);
  // Waiting for the answer keeps us alive until the request has been read.
  const QDeadlineTimer deadline(kSocketTimeoutMs);
  while (!socket.canReadLine() && !deadline.hasExpired() &&
         socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
  }
  socket.disconnectFromServer();
  return true;
}

void TSingleInstance::Listen() {
  FServer = std::make_unique<QLocalServer>();
  FServer->setSocketOptions(QLocalServer::UserAccessOption);
  connect(FServer.get(), &QLocalServer::newConnection, this, &TSingleInstance::AcceptConnections);
  if (FServer->listen(FServerName)) return;
  // Nobody answered on the socket, so whatever is left there belongs to a copy that died.
  QLocalServer::removeServer(FServerName);
  if (!FServer->listen(FServerName)) {
    qWarning("Single instance: cannot listen on %s: %s", qPrintable(FServerName),
             qPrintable(FServer->errorString()));
  }
}

void TSingleInstance::AcceptConnections() {
  while (QLocalSocket* client = FServer->nextPendingConnection())
    ServeClient(client);
}

void TSingleInstance::ServeClient(QLocalSocket* client) {
  // The server owns the client; it is deleted once gone, or dropped when it says nothing.
  connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
  connect(client, &QLocalSocket::readyRead, this, [this, client] { HandleRequest(client); });
  QTimer::singleShot(kSocketTimeoutMs, client, [client] { client->abort(); });
  if (client->bytesAvailable() > 0) HandleRequest(client);
}

void TSingleInstance::HandleRequest(QLocalSocket* client) {
  if (!client->canReadLine()) {
    if (client->bytesAvailable() > kMaxRequestBytes) client->abort();
    return;
  }
  const QByteArray request = client->readLine(kMaxRequestBytes + 1);
  const bool raise = request == kRaiseRequest;
  if (raise) client->write(kRaiseReply);
  client->disconnectFromServer();
  if (raise) emit activationRequested();
}

void TSingleInstance::BringToFront(QWidget* window) {
  if (window == nullptr) return;
  if (window->isMinimized())
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace fx
