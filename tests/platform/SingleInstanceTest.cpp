#include "platform/SingleInstance.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <unistd.h>

namespace fx {
namespace {

constexpr int kWaitMs = 5000;

// A name no other test run uses, so runs side by side do not meet.
QString UniqueName(const char* what) {
  static int counter = 0;
  return QStringLiteral("fxprobe-%1-%2-%3")
      .arg(QString::number(::getpid()), QString::fromLatin1(what), QString::number(++counter));
}

// One copy of the stand-in program, with the lines it has printed.
class TProbe {
 public:
  explicit TProbe(const QString& name) {
    FProcess.setProgram(QStringLiteral(FX_SINGLE_INSTANCE_PROBE));
    FProcess.setArguments({name});
    FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FProcess.start();
  }
  ~TProbe() {
    if (FProcess.state() == QProcess::NotRunning) return;
    FProcess.write("quit\n");
    FProcess.closeWriteChannel();
    if (!FProcess.waitForFinished(kWaitMs)) {
      FProcess.kill();
      FProcess.waitForFinished(kWaitMs);
    }
  }
  TProbe(const TProbe&) = delete;
  TProbe& operator=(const TProbe&) = delete;

  // Waits until `line` has been printed `times` times in all; false when it was not in time.
  bool WaitFor(const QString& line, int times = 1) {
    const QDeadlineTimer deadline(kWaitMs);
    for (;;) {
      ReadLines();
      if (FLines.count(line) >= times) return true;
      if (deadline.hasExpired()) return false;
      if (!FProcess.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        ReadLines();
        return FLines.count(line) >= times;
      }
    }
  }

  // Waits for the first line: "primary" or "secondary".
  QString Role() {
    const QDeadlineTimer deadline(kWaitMs);
    while (FLines.isEmpty() && !deadline.hasExpired()) {
      FProcess.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
      ReadLines();
      if (FProcess.state() == QProcess::NotRunning) break;
    }
    ReadLines();
    return FLines.isEmpty() ? QString() : FLines.front();
  }

  // Exit code once it has ended by itself, or -1.
  int WaitForExit() {
    if (!FProcess.waitForFinished(kWaitMs) && FProcess.state() != QProcess::NotRunning) return -1;
    return FProcess.exitStatus() == QProcess::NormalExit ? FProcess.exitCode() : -1;
  }

  void KillHard() {
    FProcess.kill();  // SIGKILL: the socket file stays behind, as after a crash
    FProcess.waitForFinished(kWaitMs);
  }

  int Count(const QString& line) {
    ReadLines();
    return static_cast<int>(FLines.count(line));
  }

 private:
  void ReadLines() {
    while (FProcess.canReadLine())
      FLines << QString::fromLatin1(FProcess.readLine()).trimmed();
  }

  QProcess FProcess;
  QStringList FLines;
};

TEST(SingleInstanceNameTest, NameIsProgramFileNameAndUser) {
  const QString uid = QString::number(::getuid());
  EXPECT_EQ(TSingleInstance::InstanceName(QStringLiteral("/usr/games/Fraxinel.exe")),
            QStringLiteral("Fraxinel-") + uid);
  EXPECT_EQ(TSingleInstance::InstanceName(QStringLiteral("fraxinel")),
            QStringLiteral("fraxinel-") + uid);
  // A renamed copy is another instance, as on Windows.
  EXPECT_NE(TSingleInstance::InstanceName(QStringLiteral("/opt/a/fraxinel")),
            TSingleInstance::InstanceName(QStringLiteral("/opt/a/fraxinel2")));
  // The folder does not matter, only the file name.
  EXPECT_EQ(TSingleInstance::InstanceName(QStringLiteral("/opt/a/fraxinel")),
            TSingleInstance::InstanceName(QStringLiteral("/home/b/fraxinel")));
}

TEST(SingleInstanceNameTest, NameIsSafeForASocketPath) {
  const QString uid = QString::number(::getuid());
  EXPECT_EQ(TSingleInstance::InstanceName(QStringLiteral("/opt/my launcher!/Frax inel*.v2.bin")),
            QStringLiteral("Frax_inel_.v2-") + uid);
  EXPECT_EQ(TSingleInstance::InstanceName(QString()), QStringLiteral("fraxinel-") + uid);
  // Socket paths hold 107 bytes at most.
  const QString longName = QStringLiteral("/opt/") + QString(300, QLatin1Char('x'));
  EXPECT_LT(TSingleInstance::ServerName(longName).toLocal8Bit().size(), 100);
}

TEST(SingleInstanceProcessTest, SecondCopyAsksTheFirstAndEnds) {
  const QString name = UniqueName("second");
  TProbe first(name);
  ASSERT_EQ(first.Role(), QStringLiteral("primary"));

  TProbe second(name);
  EXPECT_EQ(second.Role(), QStringLiteral("secondary"));
  EXPECT_EQ(second.WaitForExit(), 0);
  EXPECT_TRUE(first.WaitFor(QStringLiteral("activated")));
  // The copy that ended must not have taken the first one's socket with it.
  EXPECT_TRUE(QFileInfo::exists(TSingleInstance::ServerName(name)));

  TProbe third(name);
  EXPECT_EQ(third.Role(), QStringLiteral("secondary"));
  EXPECT_EQ(third.WaitForExit(), 0);
  EXPECT_TRUE(first.WaitFor(QStringLiteral("activated"), 2));
}

TEST(SingleInstanceProcessTest, SocketOfACrashedCopyIsTakenOver) {
  const QString name = UniqueName("stale");
  {
    TProbe crashed(name);
    ASSERT_EQ(crashed.Role(), QStringLiteral("primary"));
    crashed.KillHard();
  }
  ASSERT_TRUE(QFileInfo::exists(TSingleInstance::ServerName(name)))
      << "the killed copy should have left its socket behind";

  TProbe next(name);
  EXPECT_EQ(next.Role(), QStringLiteral("primary"));
  TProbe after(name);
  EXPECT_EQ(after.Role(), QStringLiteral("secondary"));
  EXPECT_TRUE(next.WaitFor(QStringLiteral("activated")));
}

TEST(SingleInstanceProcessTest, DifferentNamesRunSideBySide) {
  TProbe one(UniqueName("one"));
  TProbe two(UniqueName("two"));
  EXPECT_EQ(one.Role(), QStringLiteral("primary"));
  EXPECT_EQ(two.Role(), QStringLiteral("primary"));
}

TEST(SingleInstanceProcessTest, CopiesStartedTogetherGiveOnePrimary) {
  // The race between "nobody listens" and "listen" is narrow; a few rounds make it likely
  // that a missing lock shows.
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    const QString name = UniqueName("race");
    std::vector<std::unique_ptr<TProbe>> probes;
    for (int i = 0; i < 4; ++i)
      probes.push_back(std::make_unique<TProbe>(name));
    int primaries = 0;
    int secondaries = 0;
    for (auto& probe : probes) {
      const QString role = probe->Role();
      primaries += role == QStringLiteral("primary");
      secondaries += role == QStringLiteral("secondary");
    }
    EXPECT_EQ(primaries, 1);
    EXPECT_EQ(secondaries, 3);
  }
}

// The first copy, in this process, talking to hand-made clients.
class SingleInstanceServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(FInstance.TryAcquire()); }

  // Sends bytes as a client and returns what came back before the server closed.
  QByteArray Send(const QByteArray& bytes) {
    QLocalSocket client;
    client.connectToServer(TSingleInstance::ServerName(FName));
    if (!client.waitForConnected(kWaitMs)) return "not connected";
    client.write(bytes);
    client.flush();
    QByteArray reply;
    // The server runs in our event loop, so wait by processing events.
    const bool closed = QTest::qWaitFor(
        [&] {
          reply += client.readAll();
          return client.state() == QLocalSocket::UnconnectedState;
        },
        kWaitMs);
    reply += client.readAll();
    return closed ? reply : "still connected: " + reply;
  }

  QString FName = UniqueName("server");
  TSingleInstance FInstance{FName};
  QSignalSpy FActivations{&FInstance, &TSingleInstance::activationRequested};
};

TEST_F(SingleInstanceServerTest, RaiseRequestIsAnsweredAndSignalled) {
  EXPECT_TRUE(FInstance.IsPrimary());
  EXPECT_EQ(Send("raise\n"), QByteArray("ok\n"));
  EXPECT_EQ(FActivations.count(), 1);
  EXPECT_EQ(Send("raise\n"), QByteArray("ok\n"));
  EXPECT_EQ(FActivations.count(), 2);
}

TEST_F(SingleInstanceServerTest, OtherRequestsAreDroppedWithoutActivation) {
  EXPECT_EQ(Send("quit\n"), QByteArray());
  EXPECT_EQ(Send(QByteArray(1000, 'r')), QByteArray());
  EXPECT_EQ(FActivations.count(), 0);
  EXPECT_TRUE(FInstance.IsPrimary());
}

TEST_F(SingleInstanceServerTest, SilentClientNeitherBlocksOthersNorStays) {
  QLocalSocket silent;
  silent.connectToServer(TSingleInstance::ServerName(FName));
  ASSERT_TRUE(silent.waitForConnected(kWaitMs));

  EXPECT_EQ(Send("raise\n"), QByteArray("ok\n"));
  EXPECT_EQ(FActivations.count(), 1);
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return silent.state() == QLocalSocket::UnconnectedState; }, kWaitMs));
}

TEST_F(SingleInstanceServerTest, SocketIsRemovedWhenTheFirstCopyEnds) {
  const QString name = UniqueName("ending");
  const QString socket = TSingleInstance::ServerName(name);
  auto ending = std::make_unique<TSingleInstance>(name);
  ASSERT_TRUE(ending->TryAcquire());
  ASSERT_TRUE(QFileInfo::exists(socket));
  ending.reset();
  EXPECT_FALSE(QFileInfo::exists(socket));
  // The other copy is untouched.
  EXPECT_EQ(Send("raise\n"), QByteArray("ok\n"));
}

TEST(BringToFrontTest, RestoresShowsAndKeepsMaximised) {
  QWidget minimised;
  minimised.showMinimized();
  ASSERT_TRUE(minimised.isMinimized());
  TSingleInstance::BringToFront(&minimised);
  EXPECT_FALSE(minimised.isMinimized());
  EXPECT_TRUE(minimised.isVisible());

  QWidget maximised;
  maximised.showMaximized();
  maximised.setWindowState(maximised.windowState() | Qt::WindowMinimized);
  ASSERT_TRUE(maximised.isMinimized());
  TSingleInstance::BringToFront(&maximised);
  EXPECT_FALSE(maximised.isMinimized());
  EXPECT_TRUE(maximised.isMaximized());

  QWidget hidden;
  TSingleInstance::BringToFront(&hidden);
  EXPECT_TRUE(hidden.isVisible());

  TSingleInstance::BringToFront(nullptr);
}

}  // namespace
}  // namespace fx
