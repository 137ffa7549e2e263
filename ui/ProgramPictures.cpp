#include "ui/ProgramPictures.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

#include "ui/ExePictures.h"

// Q_INIT_RESOURCE names a function in the global namespace, so it cannot be used from
// inside fx.
static void InitFraxinelResource() {
  Q_INIT_RESOURCE(fraxinel);
}

namespace fx {

void RegisterProgramPictures() {
  static const bool registered = [] {
    InitFraxinelResource();
    return true;
  }();
  (void)registered;
}

QIcon ProgramIcon() {
  RegisterProgramPictures();
  return QIcon(kProgramIconPicture);
}

std::vector<QPixmap> RotatingLogoFrames() {
  RegisterProgramPictures();
  std::vector<QPixmap> frames;
  frames.reserve(kRotatingLogoFrameCount);
  for (int i = 0; i < kRotatingLogoFrameCount; ++i)
    frames.emplace_back(kRotatingLogoFramePicture.arg(i));
  return frames;
}

QPixmap ExecutableSmallPicture(int index) {
  if (index < 0 || index >= kExePictureCount) return {};
  RegisterProgramPictures();
  const QPixmap strip(kExeSmallStripPicture);
  return strip.copy(index * kExeSmallPictureSize, 0, kExeSmallPictureSize, kExeSmallPictureSize);
}

QPixmap ExecutableLargePicture(int index) {
  if (index < 0 || index >= kExePictureCount) return {};
  RegisterProgramPictures();
  return QPixmap(kExeLargePicture.arg(index));
}

QPixmap UnusablePicture(const QPixmap& picture) {
  if (picture.isNull()) return picture;
  QPixmap marked(picture.size());
  marked.fill(Qt::transparent);
  QPainter painter(&marked);
  painter.setOpacity(0.45);
  painter.drawPixmap(0, 0, picture);
  painter.setOpacity(1.0);
  painter.setRenderHint(QPainter::Antialiasing);
  // The badge takes the lower right corner: 10 of 16 pixels, half of a large picture.
  const int side = std::max(10, std::min(picture.width(), picture.height()) / 2);
  const QRectF badge(picture.width() - side, picture.height() - side, side, side);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(200, 30, 30));
  painter.drawEllipse(badge.adjusted(0.5, 0.5, -0.5, -0.5));
  QPen cross(Qt::white, std::max(1.5, side / 7.0), Qt::SolidLine, Qt::RoundCap);
  painter.setPen(cross);
  const QRectF inner = badge.adjusted(side * 0.3, side * 0.3, -side * 0.3, -side * 0.3);
  painter.drawLine(inner.topLeft(), inner.bottomRight());
  painter.drawLine(inner.topRight(), inner.bottomLeft());
  return marked;
}

}  // namespace fx
