// The file store against other processes: a lock held elsewhere, two
// processes saving at once, and a process killed in the middle of a save.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <exception>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "platform/RegFile.h"
#include "platform/RegFileStore.h"
#include "platform/Registry.h"

namespace fx {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr int kDeadlineMs = 30000;

// One end of a pipe each way is all the children need to report progress.
struct TPipe {
  int Read = -1;
  int Write = -1;
  TPipe() {
    int fds[2];
    if (::pipe(fds) != 0) throw std::runtime_error("pipe failed");
    Read = fds[0];
    Write = fds[1];
  }
  ~TPipe() {
    if (Read >= 0) ::close(Read);
    if (Write >= 0) ::close(Write);
  }
  TPipe(const TPipe&) = delete;
  TPipe& operator=(const TPipe&) = delete;

  void Signal() const {
    const char byte = 1;
    [[maybe_unused]] const auto n = ::write(Write, &byte, 1);
  }
  // Waits for one byte, at most kDeadlineMs; false on timeout or end of file.
  bool Wait() const {
    pollfd p{Read, POLLIN, 0};
    if (::poll(&p, 1, kDeadlineMs) != 1) return false;
    char byte;
    return ::read(Read, &byte, 1) == 1;
  }
};

// A forked child running `body`; killed and reaped if the test leaves early.
class TChild {
 public:
  explicit TChild(const std::function<void()>& body) : FPid(::fork()) {
    if (FPid < 0) throw std::runtime_error("fork failed");
    if (FPid == 0) {
      int code = 0;
      try {
        body();
      } catch (...) {
        code = 3;
      }
      ::_exit(code);
    }
  }
  ~TChild() {
    if (FPid > 0) {
      ::kill(FPid, SIGKILL);
      ::waitpid(FPid, nullptr, 0);
    }
  }
  TChild(const TChild&) = delete;
  TChild& operator=(const TChild&) = delete;

  void Kill() { ::kill(FPid, SIGKILL); }
  // The exit status as waitpid reports it, waiting at most kDeadlineMs.
  int Join() {
    int status = 0;
    for (int waited = 0; waited < kDeadlineMs; waited += 10) {
      const pid_t done = ::waitpid(FPid, &status, WNOHANG);
      if (done == FPid) {
        FPid = -1;
        return status;
      }
      ::poll(nullptr, 0, 10);  // a short pause while the child works
    }
    ADD_FAILURE() << "child did not end in time";
    return -1;
  }

 private:
  pid_t FPid;
};

bool ExitedCleanly(int status) {
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class RegFileStoreProcessTest : public ::testing::Test {
 protected:
  fs::path Folder() const { return FTemp / "fraxinel"; }
  fs::path UserReg() const { return Folder() / "user.reg"; }
  test::TTempDir FTemp;
};

TEST_F(RegFileStoreProcessTest, ALockHeldElsewhereFailsTheFlushUntilItIsReleased) {
  fs::create_directories(Folder());
  const fs::path lockFile = Folder() / "user.reg.lock";
  TPipe locked, release;
  TChild holder([&] {
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT, 0600);
    if (fd < 0 || ::flock(fd, LOCK_EX) != 0) ::_exit(1);
    locked.Signal();
    release.Wait();
  });
  ASSERT_TRUE(locked.Wait());

  TRegFileStore store(Folder());
  store.SetLockTimeout(std::chrono::milliseconds(100));
  TRegistry reg(store);
  ASSERT_TRUE(reg.OpenKey("Software\\Fraxinel", true));
  reg.WriteString("Waiting", "yes");
  try {
    reg.CloseKey();
    ADD_FAILURE() << "saved although the lock is held";
  } catch (const ERegistryException& e) {
    EXPECT_THAT(e.what(), HasSubstr(lockFile.string()));
    EXPECT_THAT(e.what(), HasSubstr("100 ms"));
  }
  EXPECT_FALSE(fs::exists(UserReg()));
  EXPECT_TRUE(store.HasPendingChanges(HKEY_CURRENT_USER));

  release.Signal();
  EXPECT_TRUE(ExitedCleanly(holder.Join()));
  reg.CloseKey();
  EXPECT_THAT(test::ReadFileBytes(UserReg()), HasSubstr("\"Waiting\"=\"yes\""));
}

TEST_F(RegFileStoreProcessTest, TwoProcessesSavingAtOnceLoseNothing) {
  constexpr int kRounds = 25;
  TPipe start;
  const auto writer = [&](const std::string& who) {
    return [&, who] {
      start.Wait();
      TRegFileStore store(Folder());
      TRegistry reg(store);
      for (int i = 0; i < kRounds; ++i) {
        if (!reg.OpenKey("Software\\" + who, true)) throw std::runtime_error("OpenKey failed");
        reg.WriteInteger("Round" + std::to_string(i), i);
        reg.WriteInteger("Last", i);
        reg.CloseKey();
      }
    };
  };
  TChild one(writer("One"));
  TChild two(writer("Two"));
  start.Signal();
  start.Signal();
  EXPECT_TRUE(ExitedCleanly(one.Join()));
  EXPECT_TRUE(ExitedCleanly(two.Join()));

  TRegFileStore store(Folder());
  TRegistry reg(store);
  for (const char* who : {"One", "Two"}) {
    SCOPED_TRACE(who);
    ASSERT_TRUE(reg.OpenKey(std::string("\\Software\\") + who, false));
    EXPECT_EQ(reg.ReadInteger("Last"), kRounds - 1);
    EXPECT_EQ(reg.GetValueNames().size(), static_cast<std::size_t>(kRounds + 1));
  }
  EXPECT_THAT(store.TakeWarnings(), IsEmpty());
}

constexpr int kValues = 1500;

std::string GenerationText(int generation) {
  return "generation " + std::to_string(generation) + " of the values";
}

// Every value of the big key from one and the same save.
void ExpectOneWholeGeneration(const std::string& bytes, int generation) {
  TRegTree tree;
  ASSERT_NO_THROW(tree = ParseRegFile(bytes, HKEY_CURRENT_USER, "user.reg")) << "torn file";
  const std::string text = GenerationText(generation);
  for (int i = 0; i < kValues; ++i) {
    const TRegValue* value = tree.FindValue("Software\\Big", "Value" + std::to_string(i));
    ASSERT_NE(value, nullptr) << "Value" << i;
    ASSERT_EQ(value->Data, text) << "Value" << i;
  }
}

int ReadGeneration(const std::string& bytes) {
  const TRegTree tree = ParseRegFile(bytes, HKEY_CURRENT_USER, "user.reg");
  const TRegValue* generation = tree.FindValue("Software\\Big", "Generation");
  if (!generation || generation->Data.size() != 4) return -1;
  return static_cast<unsigned char>(generation->Data[0]) |
         static_cast<unsigned char>(generation->Data[1]) << 8;
}

void SaveGeneration(TRegistry& reg, int generation) {
  if (!reg.OpenKey("Software\\Big", true)) throw std::runtime_error("OpenKey failed");
  for (int i = 0; i < kValues; ++i)
    reg.WriteString("Value" + std::to_string(i), GenerationText(generation));
  reg.WriteInteger("Generation", generation);
  reg.CloseKey();
}

TEST_F(RegFileStoreProcessTest, ASaveKilledHalfwayThroughWritingLeavesThePreviousFileWhole) {
  {
    TRegFileStore store(Folder());
    TRegistry reg(store);
    SaveGeneration(reg, 1);
  }
  const std::string before = test::ReadFileBytes(UserReg());
  // The kernel kills the child (SIGXFSZ) once its writing passes half the
  // file's size: a save cut off in the middle, every time.
  TChild saver([&] {
    TRegFileStore store(Folder());
    TRegistry reg(store);
    const rlim_t half = before.size() / 2;
    const rlimit limit{half, half};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(1);
    SaveGeneration(reg, 2);
  });
  const int status = saver.Join();
  ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
  EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
  EXPECT_EQ(test::ReadFileBytes(UserReg()), before);
  ExpectOneWholeGeneration(before, 1);
}

TEST_F(RegFileStoreProcessTest, AProcessKilledAtARandomMomentLeavesAWholeFile) {
  std::random_device random;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    TPipe saved;
    TChild saver([&] {
      TRegFileStore store(Folder());
      TRegistry reg(store);
      for (int generation = 1;; ++generation) {
        SaveGeneration(reg, generation);
        saved.Signal();
      }
    });
    // Let it save a few times, then kill it at whatever point it has reached.
    const int saves = 1 + static_cast<int>(random() % 3);
    for (int i = 0; i < saves; ++i)
      ASSERT_TRUE(saved.Wait());
    saver.Kill();
    saver.Join();

    const std::string bytes = test::ReadFileBytes(UserReg());
    const int generation = ReadGeneration(bytes);
    EXPECT_GE(generation, saves) << "every acknowledged save is in the file";
    ExpectOneWholeGeneration(bytes, generation);
  }

  // What the killed saves left behind goes with the next save.
  TRegFileStore store(Folder());
  store.SetValue(HKEY_CURRENT_USER, "Software\\Big", "After", {REG_SZ, "ok"});
  store.Flush(HKEY_CURRENT_USER);
  EXPECT_THAT(store.TakeWarnings(), IsEmpty());
  for (const auto& entry : fs::directory_iterator(Folder()))
    EXPECT_FALSE(entry.path().filename().string().starts_with("user.reg.tmp-"))
        << "stray temporary file " << entry.path();
}

}  // namespace
}  // namespace fx
