#include "installer/DownloadPart.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace fx {

namespace {

std::optional<std::uint64_t> RegularSize(const std::filesystem::path& file) {
  struct stat info {};
  if (::lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uint64_t>(info.st_size);
}

std::string Reason() {
  return std::strerror(errno);
}

}  // namespace

std::filesystem::path PartFile(const std::filesystem::path& target) {
  std::filesystem::path part = target;
  part += ".part";
  return part;
}

TDiskState ReadDiskState(const std::filesystem::path& target) {
  return {RegularSize(target), RegularSize(PartFile(target)).value_or(0)};
}

TFileReader::TFileReader(const std::filesystem::path& file) : FPath(file) {
  FFd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (FFd < 0) throw EDownloadFile("cannot read " + file.string() + ": " + Reason());
}

TFileReader::~TFileReader() {
  if (FFd >= 0) ::close(FFd);
}

std::string TFileReader::Read(std::size_t most) {
  std::string bytes(most, '\0');
  ssize_t got = 0;
  do
    got = ::read(FFd, bytes.data(), most);
  while (got < 0 && errno == EINTR);
  if (got < 0) throw EDownloadFile("cannot read " + FPath.string() + ": " + Reason());
  bytes.resize(static_cast<std::size_t>(got));
  return bytes;
}

TPartFile::TPartFile(std::filesystem::path target)
    : FTarget(std::move(target)), FPart(PartFile(FTarget)) {}

TPartFile::~TPartFile() {
  Close();
}

void TPartFile::Fail(const std::string& what) const {
  throw EDownloadFile("cannot " + what + " " + FPart.string() + ": " + Reason());
}

void TPartFile::Open(std::uint64_t offset) {
  Close();
  std::error_code error;
  std::filesystem::create_directories(FPart.parent_path(), error);
  FFd = ::open(FPart.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (FFd < 0) Fail("open");
  if (::ftruncate(FFd, static_cast<off_t>(offset)) != 0) Fail("cut");
  if (::lseek(FFd, static_cast<off_t>(offset), SEEK_SET) < 0) Fail("seek in");
}

void TPartFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(FFd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) Fail("write");
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

void TPartFile::Close() {
  if (FFd >= 0) ::close(FFd);
  FFd = -1;
}

void TPartFile::Commit() {
  if (FFd < 0) {
    FFd = ::open(FPart.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (FFd < 0) Fail("open");
  }
  if (::fsync(FFd) != 0) Fail("flush");
  Close();
  // rename replaces a link at the target instead of writing through it.
  if (::rename(FPart.c_str(), FTarget.c_str()) != 0)
    throw EDownloadFile("cannot rename " + FPart.string() + " to " + FTarget.string() + ": " +
                        Reason());
}

void TPartFile::Remove() {
  Close();
  ::unlink(FPart.c_str());
}

bool TExistingReader::Step(std::chrono::steady_clock::time_point now, std::size_t piece) {
  if (FRead == TDiskRead::None) return false;
  try {
    if (!FReader)
      FReader.emplace(FRead == TDiskRead::Target ? FMachine.Target() : PartFile(FMachine.Target()));
    if (std::string bytes = FReader->Read(piece); !bytes.empty()) {
      FMachine.Existing(bytes);
      return true;
    }
  } catch (const EDownloadFile&) {
    // Gone or unreadable since it was looked at: it ends where reading stopped, and the
    // hash decides what it is worth.
  }
  FReader.reset();
  FRead = FMachine.ExistingEnd(now);
  return FRead != TDiskRead::None;
}

}  // namespace fx
