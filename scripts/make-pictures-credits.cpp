// The four JPEG pictures of the about box's credits (1024 x 768): 1000 the title card of
// "CREDITS", 1001 the emblem of "FRAXINEL", 1002 the backdrop the credits roll over (its
// centre is black, where the rolling text stands), 1003 the ash tree of "ASHTREE".
// Encoded with libjpeg at a fixed quality, so the same pixels give the same bytes.
#include "make-pictures.h"

// After <cstdio>, which it needs.
#include <jpeglib.h>

namespace pictures {

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

QImage Canvas(std::uint32_t seed) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  PaintMetal(image, seed);
  return image;
}

void PaintFrame(QPainter& p, const QRectF& r) {
  PaintBevel(p, r, 6, 140);
  PaintBevel(p, r.adjusted(18, 18, -18, -18), 2, 80);
  for (const QPointF c : {r.topLeft() + QPointF(34, 34), r.topRight() + QPointF(-34, 34),
                          r.bottomLeft() + QPointF(34, -34), r.bottomRight() + QPointF(-34, -34)})
    PaintRivet(p, c, 8);
}

// The ring and leaf of the splash picture, `scale` times its size, its centre at `centre`.
void PaintEmblem(QPainter& p, QPointF centre, qreal scale) {
  p.save();
  p.translate(centre);
  p.scale(scale, scale);
  QPainterPath ring;
  ring.addEllipse(QPointF(0, 0), 50, 50);
  ring.addEllipse(QPointF(0, 0), 43, 43);
  p.setPen(QPen(QColor(15, 8, 3), 2));
  p.setBrush(Bronze(-50, 50));
  p.drawPath(ring);
  const QPainterPath leaf = AshLeaf(88).translated(0, 44);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 150));
  p.drawPath(leaf.translated(2, 3));
  p.setPen(QPen(QColor(15, 8, 3), 1.5));
  p.setBrush(Bronze(-44, 44));
  p.drawPath(leaf);
  p.restore();
}

QImage TitleCard(const QString& serif, const QString& sans) {
  QImage image = Canvas(0xc4ed17u);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal cx = kWidth / 2.0;
  PaintGlow(p, QPointF(cx, 300), 420, QColor(255, 96, 16, 70));
  PaintEmblem(p, QPointF(cx, 250), 2.2);
  PaintEngraved(p, MakeFont(serif, 150, QFont::Bold, 4), QStringLiteral("Fraxinel"), cx, 560,
                Bronze(440, 570));
  PaintEngraved(p, MakeFont(sans, 40, QFont::Normal, 6), QStringLiteral("THE CREDITS"), cx, 640,
                QColor(214, 186, 150));
  PaintFrame(p, QRectF(image.rect()));
  p.end();
  return image;
}

QImage EmblemCard(const QString& serif, const QString& sans) {
  QImage image = Canvas(0xf4a11u);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal cx = kWidth / 2.0;
  PaintGlow(p, QPointF(cx, 340), 380, QColor(255, 120, 30, 90));
  PaintEmblem(p, QPointF(cx, 330), 3.6);
  PaintEngraved(p, MakeFont(serif, 64, QFont::Bold, 2), QStringLiteral("Ash and iron"), cx, 680,
                Bronze(630, 690));
  PaintEngraved(p, MakeFont(sans, 24, QFont::Normal, 3), QStringLiteral("a launcher for Quake"), cx,
                724, QColor(214, 186, 150));
  PaintFrame(p, QRectF(image.rect()));
  p.end();
  return image;
}

// Black where the rolling text stands (62.5 % by 60 % of the picture, centred), framed.
QImage Backdrop() {
  QImage image = Canvas(0xbacdu);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF panel(kWidth * 0.1875, kHeight * 0.2, kWidth * 0.625, kHeight * 0.6);
  PaintGlow(p, panel.center(), 560, QColor(255, 96, 16, 60));
  for (int i = 0; i < 2; ++i) {
    const qreal x = i == 0 ? panel.left() / 2 : kWidth - panel.left() / 2;
    p.save();
    p.translate(x, kHeight * 0.72);
    p.setPen(QPen(QColor(15, 8, 3), 1.5));
    p.setBrush(Bronze(-180, 0));
    p.drawPath(AshLeaf(180));
    p.restore();
  }
  const QRectF border = panel.adjusted(-14, -14, 14, 14);
  p.setPen(QPen(QColor(15, 8, 3), 2));
  p.setBrush(Bronze(border.top(), border.bottom()));
  p.drawRoundedRect(border, 10, 10);
  p.fillRect(panel, Qt::black);
  PaintFrame(p, QRectF(image.rect()));
  p.end();
  return image;
}

// A round-crowned tree of ash leaves on an ember sky.
QImage AshTree(const QString& serif) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, kHeight);
  sky.setColorAt(0.0, QColor(20, 8, 6));
  sky.setColorAt(0.6, QColor(120, 40, 12));
  sky.setColorAt(1.0, QColor(230, 120, 40));
  p.fillRect(image.rect(), sky);
  const qreal cx = kWidth / 2.0;
  // Trunk and limbs.
  QPainterPath trunk;
  trunk.moveTo(cx - 26, kHeight);
  trunk.cubicTo(cx - 18, 560, cx - 30, 470, cx - 6, 380);
  trunk.lineTo(cx + 6, 380);
  trunk.cubicTo(cx + 30, 470, cx + 18, 560, cx + 26, kHeight);
  trunk.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(18, 10, 6));
  p.drawPath(trunk);
  p.setPen(QPen(QColor(18, 10, 6), 14, Qt::SolidLine, Qt::RoundCap));
  for (const qreal dx : {-170.0, -90.0, 90.0, 170.0})
    p.drawLine(QPointF(cx, 470), QPointF(cx + dx, 300 - std::abs(dx) / 4));
  // The crown: leaves in rings around its centre, turned outwards.
  TNoise noise(0xa54u);
  const QPainterPath leaf = AshLeaf(90);
  for (int ring = 0; ring < 4; ++ring) {
    const int count = 8 + ring * 7;
    const qreal radius = 40 + ring * 80;
    for (int i = 0; i < count; ++i) {
      const qreal angle = 360.0 * i / count + noise.Next(20);
      QTransform t;
      t.translate(cx, 280);
      t.rotate(angle);
      t.translate(0, -radius * 0.8);
      p.setPen(QPen(QColor(10, 6, 3), 1.2));
      p.setBrush(Bronze(-90, 0));
      p.drawPath(t.map(leaf));
    }
  }
  PaintEngraved(p, MakeFont(serif, 72, QFont::Bold, 3), QStringLiteral("Fraxinus"), cx, 720,
                Bronze(660, 730));
  PaintFrame(p, QRectF(image.rect()));
  p.end();
  return image;
}

}  // namespace

bool SaveJpeg(const QImage& picture, const QString& file) {
  const QImage image = picture.convertToFormat(QImage::Format_RGB888);
  std::FILE* out = std::fopen(qPrintable(file), "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    return false;
  }
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out);
  info.image_width = static_cast<JDIMENSION>(image.width());
  info.image_height = static_cast<JDIMENSION>(image.height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 88, TRUE);
  info.optimize_coding = TRUE;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(out) == 0;
}

bool WriteCreditPictures(const QString& serif, const QString& sans, const QString& folder) {
  return SaveJpeg(TitleCard(serif, sans), folder + QStringLiteral("credits-1000.jpg")) &&
         SaveJpeg(EmblemCard(serif, sans), folder + QStringLiteral("credits-1001.jpg")) &&
         SaveJpeg(Backdrop(), folder + QStringLiteral("credits-1002.jpg")) &&
         SaveJpeg(AshTree(serif), folder + QStringLiteral("credits-1003.jpg"));
}

}  // namespace pictures
