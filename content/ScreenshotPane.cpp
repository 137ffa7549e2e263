#include "content/ScreenshotPane.h"

#include <QImageReader>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <system_error>

#include "content/Screenshot.h"
#include "platform/RegularFile.h"

namespace fx {

namespace {

constexpr int kAllocationMB = 64;  // a 4 MB JPEG may not unpack into more than this
constexpr int kMaxSide = 8192;     // pixels, either way
constexpr int kShownHeight = 260;  // pixels of the pane at most

std::string Head(const std::filesystem::path& file) {
  try {
    return ReadRegularFile(file, 8);
  } catch (const EFileOpenError&) {
    return {};  // no image
  }
}

}  // namespace

TScreenshotPane::TScreenshotPane(QWidget* parent) : QWidget(parent) {
  FButton = new QPushButton(tr("Sho&w screenshot"), this);
  FButton->setObjectName(QStringLiteral("ScreenshotBtn"));
  FButton->setAutoDefault(false);
  FImage = new QLabel(this);
  FImage->setObjectName(QStringLiteral("ScreenshotImage"));
  FImage->setAlignment(Qt::AlignCenter);
  FText = new QLabel(this);
  FText->setObjectName(QStringLiteral("ScreenshotText"));
  FText->setWordWrap(true);
  FText->setTextFormat(Qt::PlainText);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FButton, 0, Qt::AlignLeft);
  layout->addWidget(FImage);
  layout->addWidget(FText);
  connect(FButton, &QPushButton::clicked, this, &TScreenshotPane::Fetch);
  ShowPackage(nullptr);
}

TScreenshotPane::~TScreenshotPane() {
  ++FGeneration;
  if (FBusy && FDownloader) FDownloader->Cancel(FDownload);
}

void TScreenshotPane::SetUp(TDownloader* downloader, std::filesystem::path folder) {
  FDownloader = downloader;
  FFolder = std::move(folder);
}

void TScreenshotPane::Say(const QString& text) {
  FText->setText(text);
  FText->setVisible(!text.isEmpty());
}

void TScreenshotPane::ShowPackage(const TContentPackage* package) {
  // Each keystroke of the search shows the current package again: what is shown stays, and
  // a cached picture is not decoded again.
  if (package && package->Id == FId) {
    FUrls = ScreenshotUrls(*package, {});
    return;
  }
  FImage->clear();
  FImage->hide();
  Say({});
  FId = package ? package->Id : std::string();
  FUrls = package ? ScreenshotUrls(*package, {}) : std::vector<std::string>();
  FButton->setEnabled(!FUrls.empty() && FDownloader && !FFolder.empty());
  FButton->setVisible(package != nullptr);
  if (!package) return;
  if (FUrls.empty()) {
    Say(tr("The catalogue names no screenshot for this package."));
    return;
  }
  // One fetched before is shown without the network; a broken one is fetched again.
  const std::filesystem::path cached = ScreenshotCacheFile(FFolder, FId);
  std::error_code error;
  if (!FFolder.empty() && std::filesystem::is_regular_file(cached, error)) {
    QString why;
    if (!ShowFile(cached, &why)) std::filesystem::remove(cached, error);
  }
}

void TScreenshotPane::Fetch() {
  if (FUrls.empty() || !FDownloader || FFolder.empty()) return;
  if (FBusy) FDownloader->Cancel(FDownload);
  std::error_code error;
  std::filesystem::create_directories(FFolder, error);
  TDownloadRequest request;
  request.Urls = FUrls;
  request.Target = ScreenshotCacheFile(FFolder, FId).string() + ".new";
  request.MaxBytes = kMaxScreenshotBytes;
  request.UseCache = false;
  const std::uint64_t generation = ++FGeneration;
  QPointer<TScreenshotPane> self(this);
  const std::string id = FId;
  FBusy = true;
  FButton->setEnabled(false);
  Say(tr("Fetching the screenshot..."));
  FDownload = FDownloader->Start(std::move(request),
                                 {{}, [self, generation, id](const TDownloadResult& result) {
                                    if (!self || self->FGeneration != generation) return;
                                    self->Fetched(result, id);
                                  }});
}

void TScreenshotPane::Fetched(const TDownloadResult& result, const std::string& id) {
  FBusy = false;
  const std::filesystem::path cached = ScreenshotCacheFile(FFolder, id);
  std::error_code error;
  const auto fresh = std::filesystem::path(cached.string() + ".new");
  QString why;
  if (result.Outcome != TDownloadOutcome::Done) {
    why = result.Outcome == TDownloadOutcome::Cancelled
              ? tr("The download was cancelled.")
              : tr("No screenshot: %1").arg(QString::fromStdString(result.ErrorText()));
  } else if (ImageKindOf(Head(fresh)) == TImageKind::None) {
    why = tr("No screenshot: %1 did not send a JPEG or PNG image.")
              .arg(QString::fromStdString(result.Url));
  } else {
    std::filesystem::rename(fresh, cached, error);
    if (error) why = tr("No screenshot: %1").arg(QString::fromStdString(error.message()));
  }
  std::filesystem::remove(fresh, error);
  if (id != FId) return;  // the user has moved on; it is cached for when they come back
  FButton->setEnabled(true);
  if (why.isEmpty() && !ShowFile(cached, &why)) std::filesystem::remove(cached, error);
  if (!why.isEmpty()) Say(why);
}

bool TScreenshotPane::ShowFile(const std::filesystem::path& file, QString* why) {
  std::error_code error;
  const auto bytes = std::filesystem::file_size(file, error);
  const TImageKind kind = ImageKindOf(Head(file));
  if (error || bytes > kMaxScreenshotBytes || kind == TImageKind::None) {
    *why = tr("No screenshot: the file is not a JPEG or PNG image of at most 4 MB.");
    return false;
  }
  QImageReader reader(QString::fromStdString(file.string()), kind == TImageKind::Jpeg
                                                                 ? QByteArrayLiteral("jpeg")
                                                                 : QByteArrayLiteral("png"));
  reader.setDecideFormatFromContent(false);
  reader.setAllocationLimit(kAllocationMB);
  const QSize size = reader.size();
  if (!size.isValid() || size.width() > kMaxSide || size.height() > kMaxSide) {
    *why = tr("No screenshot: the image's size cannot be read or is too large.");
    return false;
  }
  const QImage image = reader.read();
  if (image.isNull()) {
    *why = tr("No screenshot: %1").arg(reader.errorString());
    return false;
  }
  const int width = std::max(64, std::min(image.width(), this->width()));
  FImage->setPixmap(
      QPixmap::fromImage(image.scaled(width, std::min(image.height(), kShownHeight),
                                      Qt::KeepAspectRatio, Qt::SmoothTransformation)));
  FImage->show();
  Say({});
  FButton->setEnabled(false);
  return true;
}

}  // namespace fx
