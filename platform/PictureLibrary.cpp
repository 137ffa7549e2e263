#include "platform/PictureLibrary.h"

#include <QCoreApplication>
#include <QFile>
#include <QResource>

#include <atomic>
#include <cstdint>
#include <exception>
#include <utility>

#include "platform/InstallLayout.h"

namespace fx {

namespace {

QString ToQString(const std::filesystem::path& path) {
#ifdef _WIN32
  return QString::fromStdWString(path.native());
#else
  // Bytes as the file system holds them; a name that is not UTF-8 must still open.
  return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

std::filesystem::path ToPath(const QString& path) {
#ifdef _WIN32
  return std::filesystem::path(path.toStdWString());
#else
  return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// Signature, version and the offsets of tree, data and names: four bytes each.
constexpr std::uintmax_t kResourceHeaderSize = 20;

// Qt's resource tree is global to the process: a root per instance keeps a library opened
// twice, or one opened by a test next to the program's own, from hiding the other.
QString NextMapRoot() {
  static std::atomic<unsigned> counter{0};
  return QStringLiteral("/fx-picture-library-%1").arg(++counter);
}

}  // namespace

std::unique_ptr<TPictureLibrary> TPictureLibrary::Open(const std::filesystem::path& rccFile) {
  try {
    std::error_code error;
    if (!std::filesystem::is_regular_file(rccFile, error)) return nullptr;
    // Too short for the header of a resource file. Qt would read such a file into a buffer
    // of its own and, on rejecting it, never free that buffer.
    const std::uintmax_t size = std::filesystem::file_size(rccFile, error);
    if (error || size < kResourceHeaderSize) return nullptr;
    const QString file = ToQString(rccFile);
    const QString root = NextMapRoot();
    if (!QResource::registerResource(file, root)) return nullptr;
    return std::make_unique<TPictureLibrary>(TOpenTag{}, file, root);
  } catch (const std::exception&) {
    return nullptr;
  }
}

std::filesystem::path TPictureLibrary::DefaultPath() {
  return FindDataFile(ToPath(QCoreApplication::applicationDirPath()), kFileName);
}

TPictureLibrary::TPictureLibrary(TOpenTag, QString file, QString mapRoot)
    : FFile(std::move(file)), FMapRoot(std::move(mapRoot)) {}

TPictureLibrary::~TPictureLibrary() {
  QResource::unregisterResource(FFile, FMapRoot);
}

QPixmap TPictureLibrary::Picture(int number) const {
  const QString name =
      QStringLiteral(":%1/%2/%3").arg(FMapRoot, QLatin1String(kPictureLibraryPrefix)).arg(number);
  if (!QFile::exists(name)) return {};
  return QPixmap(name);
}

}  // namespace fx
