#pragma once

#include <QPixmap>
#include <QString>

#include <filesystem>
#include <memory>

namespace fx {

// The optional picture library beside the program: a Qt binary resource file whose
// pictures are found by number (play modes 1000 to 1004, game types 21000 upwards). It stays
// registered with Qt's resource system for as long as the object lives.
//
// Inside the file each picture lies under the prefix kPictureLibraryPrefix, named by its
// number alone ("/fxgold/1000"). Every instance maps the file under a root of its own, so two
// libraries (or two opens of the same file) never shadow each other's pictures.
class TPictureLibrary {
  struct TOpenTag {
    explicit TOpenTag() = default;
  };

 public:
  static constexpr const char* kFileName = "fxgold.rcc";
  static constexpr const char* kPictureLibraryPrefix = "fxgold";

  // Null when the file is missing or is not a resource file Qt can map. Never throws: the
  // program runs without its pictures.
  static std::unique_ptr<TPictureLibrary> Open(const std::filesystem::path& rccFile);

  // kFileName beside the running program (a build tree) or in the installed data folder
  // (FindDataFile). Needs a QCoreApplication.
  static std::filesystem::path DefaultPath();

  // Only Open makes one: the tag is private, which keeps the constructor out of other hands
  // while letting std::make_unique reach it.
  TPictureLibrary(TOpenTag, QString file, QString mapRoot);
  ~TPictureLibrary();
  TPictureLibrary(const TPictureLibrary&) = delete;
  TPictureLibrary& operator=(const TPictureLibrary&) = delete;

  // A null pixmap when the library has no picture of that number.
  QPixmap Picture(int number) const;

 private:
  QString FFile;
  QString FMapRoot;
};

}  // namespace fx
