#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QWidget;

namespace fx {

// Keeps a second copy of the program from running. The first copy listens on a local socket
// named after the program file and the user; a later copy finds it there, asks it to come to
// the front and ends. A copy whose program file has another name runs side by side.
class TSingleInstance : public QObject {
  Q_OBJECT

 public:
  // programPath: argv[0] or QCoreApplication::applicationFilePath().
  explicit TSingleInstance(const QString& programPath, QObject* parent = nullptr);
  ~TSingleInstance() override;

  // "<file name without folder and extension>-<uid>", kept to characters that are safe in a
  // socket file name.
  static QString InstanceName(const QString& programPath);
  // Where the socket lives: in the user's runtime folder, out of reach of other users.
  static QString ServerName(const QString& programPath);

  // True when this copy may run: no other copy listens (a socket left by a crashed copy is
  // taken over), or the guard itself cannot be set up. False when another copy runs; it has
  // been asked to come to the front, and the caller ends with exit code 0.
  bool TryAcquire();
  // True while this copy listens for later ones.
  bool IsPrimary() const;

  // Restores a minimised window (keeping it maximised if it was), shows, raises and
  // activates it.
  static void BringToFront(QWidget* window);

 signals:
  // A later copy asked to bring this one forward.
  void activationRequested();

 private:
  bool AskRunningCopy();
  void Listen();
  void AcceptConnections();
  void ServeClient(QLocalSocket* client);
  void HandleRequest(QLocalSocket* client);

  QString FServerName;
  QString FLockPath;
  std::unique_ptr<QLocalServer> FServer;
};

}  // namespace fx
