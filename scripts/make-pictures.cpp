// Draws the program's pictures: the splash picture (421 x 315), the program icon (64 x 64,
// and at 32, 48, 128 and 256 pixels for the icon theme), the frames of the turning window
// icon, the executable pictures, the pictures of the picture library (play modes and game
// types) and the JPEG pictures of the credits. Built and run by scripts/make-pictures; see
// there.
//
// Everything is drawn from numbers in these files and from two font files named on the
// command line, with a fixed-seed noise generator, so the same Qt and fonts give the same
// bytes again.
#include "make-pictures.h"

namespace pictures {

QString FontFamily(const QString& file) {
  const int id = QFontDatabase::addApplicationFont(file);
  if (id < 0) {
    std::fprintf(stderr, "cannot load font %s\n", qPrintable(file));
    std::exit(1);
  }
  return QFontDatabase::applicationFontFamilies(id).value(0);
}

QFont MakeFont(const QString& family, qreal pixelSize, int weight, qreal spacing) {
  QFont font(family);
  font.setPixelSize(static_cast<int>(pixelSize));
  font.setWeight(static_cast<QFont::Weight>(weight));
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setStyleStrategy(QFont::PreferAntialias);
  if (spacing != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
  return font;
}

// Dark, worn metal: a vertical gradient with grain and faint horizontal scratches.
void PaintMetal(QImage& image, std::uint32_t seed) {
  QPainter p(&image);
  QLinearGradient base(0, 0, 0, image.height());
  base.setColorAt(0.0, QColor(48, 34, 24));
  base.setColorAt(0.55, QColor(28, 19, 13));
  base.setColorAt(1.0, QColor(10, 7, 5));
  p.fillRect(image.rect(), base);
  p.end();

  TNoise noise(seed);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int d = noise.Next(17) - 8;
      const QRgb c = line[x];
      line[x] = qRgb(std::clamp(qRed(c) + d, 0, 255), std::clamp(qGreen(c) + d, 0, 255),
                     std::clamp(qBlue(c) + d * 3 / 4, 0, 255));
    }
  }

  QPainter scratches(&image);
  scratches.setRenderHint(QPainter::Antialiasing);
  for (int i = 0; i < 60; ++i) {
    const int x = noise.Next(image.width());
    const int y = noise.Next(image.height());
    const int length = 10 + noise.Next(60);
    const int alpha = 10 + noise.Next(25);
    scratches.setPen(QPen(QColor(200, 170, 130, alpha), 1));
    scratches.drawLine(x, y, x + length, y + noise.Next(3) - 1);
  }
}

// A glowing ember light behind the emblem.
void PaintGlow(QPainter& p, QPointF centre, qreal radius, QColor colour) {
  QRadialGradient glow(centre, radius);
  glow.setColorAt(0.0, colour);
  QColor edge = colour;
  edge.setAlpha(0);
  glow.setColorAt(1.0, edge);
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(centre, radius, radius);
}

// One leaflet of an ash leaf: a pointed ellipse along its axis.
QPainterPath Leaflet(qreal length, qreal width) {
  QPainterPath path;
  path.moveTo(0, 0);
  path.cubicTo(length * 0.25, -width, length * 0.7, -width * 0.8, length, 0);
  path.cubicTo(length * 0.7, width * 0.8, length * 0.25, width, 0, 0);
  return path;
}

// A pinnate ash leaf pointing up, its stalk's foot at the origin, `size` high.
QPainterPath AshLeaf(qreal size) {
  QPainterPath leaf;
  const qreal stalk = size * 0.04;
  leaf.addRect(QRectF(-stalk / 2, -size * 0.78, stalk, size * 0.78));
  const int pairs = 3;
  for (int i = 0; i < pairs; ++i) {
    const qreal y = -size * (0.18 + 0.2 * i);
    const qreal length = size * (0.36 - 0.04 * i);
    const qreal width = size * 0.075;
    for (const int side : {-1, 1}) {
      QTransform t;
      t.translate(0, y);
      t.rotate(side < 0 ? 180 + 28 : -28);
      leaf.addPath(t.map(Leaflet(length, width)));
    }
  }
  QTransform top;
  top.translate(0, -size * 0.76);
  top.rotate(-90);
  leaf.addPath(top.map(Leaflet(size * 0.26, size * 0.075)));
  return leaf.simplified();
}

QLinearGradient Bronze(qreal top, qreal bottom) {
  QLinearGradient g(0, top, 0, bottom);
  g.setColorAt(0.0, QColor(255, 226, 160));
  g.setColorAt(0.45, QColor(201, 138, 64));
  g.setColorAt(0.55, QColor(130, 74, 30));
  g.setColorAt(1.0, QColor(214, 150, 80));
  return g;
}

void PaintRivet(QPainter& p, QPointF centre, qreal radius) {
  QRadialGradient g(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.3);
  g.setColorAt(0.0, QColor(190, 160, 120));
  g.setColorAt(0.5, QColor(90, 66, 44));
  g.setColorAt(1.0, QColor(20, 14, 10));
  p.setPen(QPen(QColor(0, 0, 0, 160), 1));
  p.setBrush(g);
  p.drawEllipse(centre, radius, radius);
}

// A bevelled border: light on the top and left, dark on the bottom and right.
void PaintBevel(QPainter& p, const QRectF& r, int depth, int alpha) {
  for (int i = 0; i < depth; ++i) {
    const QRectF e = r.adjusted(i + 0.5, i + 0.5, -i - 0.5, -i - 0.5);
    p.setPen(QPen(QColor(230, 190, 140, alpha - i * alpha / depth), 1));
    p.drawLine(e.topLeft(), e.topRight());
    p.drawLine(e.topLeft(), e.bottomLeft());
    p.setPen(QPen(QColor(0, 0, 0, 200 - i * 30), 1));
    p.drawLine(e.bottomLeft(), e.bottomRight());
    p.drawLine(e.topRight(), e.bottomRight());
  }
}

// Text in hot bronze with a dark outline and a drop shadow, centred on `centreX`.
void PaintEngraved(QPainter& p, const QFont& font, const QString& text, qreal centreX,
                   qreal baseline, const QBrush& fill) {
  QPainterPath path;
  path.addText(0, 0, font, text);
  const QRectF box = path.boundingRect();
  path.translate(centreX - box.center().x(), baseline);

  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 170));
  p.drawPath(path.translated(3, 4));
  p.setPen(QPen(QColor(20, 10, 4), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setPen(QPen(QColor(255, 210, 150, 90), 1));
  p.setBrush(fill);
  p.drawPath(path);
}

QImage Splash(const QString& serif, const QString& sans) {
  QImage image(421, 315, QImage::Format_RGB32);
  PaintMetal(image, 0x5eed1u);

  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  const qreal cx = image.width() / 2.0;
  PaintGlow(p, QPointF(cx, 118), 150, QColor(255, 96, 16, 70));
  PaintGlow(p, QPointF(cx, 96), 55, QColor(255, 140, 40, 60));

  // The emblem: an ash leaf (the program's namesake tree) in a ring.
  p.save();
  p.translate(cx, 138);
  QPainterPath ring;
  ring.addEllipse(QPointF(0, -50), 50, 50);
  ring.addEllipse(QPointF(0, -50), 43, 43);
  p.setPen(QPen(QColor(15, 8, 3), 2));
  p.setBrush(Bronze(-100, 0));
  p.drawPath(ring);
  const QPainterPath leaf = AshLeaf(88);
  p.setBrush(QColor(0, 0, 0, 150));
  p.setPen(Qt::NoPen);
  p.drawPath(leaf.translated(2, 3));
  p.setPen(QPen(QColor(15, 8, 3), 1.5));
  p.setBrush(Bronze(-88, 0));
  p.drawPath(leaf.translated(0, -6));
  p.restore();

  PaintEngraved(p, MakeFont(serif, 64, QFont::Bold, 2), QStringLiteral("Fraxinel"), cx, 218,
                Bronze(170, 222));

  // A thin rule between the name and the line below it.
  QLinearGradient rule(cx - 130, 0, cx + 130, 0);
  rule.setColorAt(0.0, QColor(200, 140, 70, 0));
  rule.setColorAt(0.5, QColor(230, 170, 90, 220));
  rule.setColorAt(1.0, QColor(200, 140, 70, 0));
  p.setPen(QPen(QBrush(rule), 1.5));
  p.drawLine(QPointF(cx - 130, 236), QPointF(cx + 130, 236));

  const QFont subtitle = MakeFont(sans, 18, QFont::Normal, 1.5);
  PaintEngraved(p, subtitle, QStringLiteral("A launcher for Quake"), cx, 262,
                QColor(214, 186, 150));

  PaintBevel(p, QRectF(image.rect()), 4, 120);
  PaintBevel(p, QRectF(image.rect()).adjusted(12, 12, -12, -12), 1, 60);
  for (const QPointF c : {QPointF(24, 24), QPointF(397, 24), QPointF(24, 291), QPointF(397, 291)})
    PaintRivet(p, c, 5);
  p.end();
  return image;
}

// Drawn on a 64-unit grid and scaled, so every size shows the same picture; the metal is
// painted at 64 pixels and stretched, which keeps its grain the same at every size.
QImage Icon(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QImage metal(64, 64, QImage::Format_RGB32);
  PaintMetal(metal, 0x1c0du);

  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  p.scale(size / 64.0, size / 64.0);
  QPainterPath plate;
  plate.addRoundedRect(QRectF(2, 2, 60, 60), 11, 11);
  p.setClipPath(plate);
  p.drawImage(0, 0, metal);
  PaintGlow(p, QPointF(32, 30), 34, QColor(255, 100, 20, 90));
  p.setClipping(false);
  p.setPen(QPen(QColor(200, 140, 70), 2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(plate);

  p.save();
  p.translate(32, 57);
  const QPainterPath leaf = AshLeaf(50);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 150));
  p.drawPath(leaf.translated(1.5, 1.5));
  p.setPen(QPen(QColor(15, 8, 3), 1));
  p.setBrush(Bronze(-50, 0));
  p.drawPath(leaf);
  p.restore();

  p.end();
  return image;
}

// ---- Shared pieces of the small pictures ---------------------------------------------------

// A shape in bronze: a soft shadow, a dark outline and the bronze fill, as on the splash.
void PaintBronzeShape(QPainter& p, const QPainterPath& shape, qreal outline) {
  const QRectF box = shape.boundingRect();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 150));
  p.drawPath(shape.translated(1.5, 2));
  p.setPen(QPen(QColor(15, 8, 3), outline, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Bronze(box.top(), box.bottom()));
  p.drawPath(shape);
}

// A stroke turned into an outline, so it can be filled in bronze like any other shape.
QPainterPath Stroked(const QPainterPath& line, qreal width) {
  QPainterPathStroker stroker;
  stroker.setWidth(width);
  stroker.setCapStyle(Qt::RoundCap);
  stroker.setJoinStyle(Qt::RoundJoin);
  return stroker.createStroke(line).simplified();
}

QPainterPath Circle(QPointF centre, qreal radius) {
  QPainterPath path;
  path.addEllipse(centre, radius, radius);
  return path;
}

QPainterPath Rect(qreal x, qreal y, qreal w, qreal h, qreal corner) {
  QPainterPath path;
  if (corner > 0)
    path.addRoundedRect(QRectF(x, y, w, h), corner, corner);
  else
    path.addRect(QRectF(x, y, w, h));
  return path;
}

QPainterPath Polygon(std::initializer_list<QPointF> points) {
  QPainterPath path;
  path.addPolygon(QPolygonF(QList<QPointF>(points)));
  path.closeSubpath();
  return path;
}

// The largest font up to `pixelSize` that fits `text` into `width`.
QFont FittingFont(const QString& family, int pixelSize, const QString& text, qreal width) {
  for (int size = pixelSize; size > 6; --size) {
    const QFont font = MakeFont(family, size, QFont::Bold);
    QPainterPath path;
    path.addText(0, 0, font, text);
    if (path.boundingRect().width() <= width) return font;
  }
  return MakeFont(family, 6, QFont::Bold);
}

}  // namespace pictures

namespace {

using namespace pictures;

bool Save(const QImage& image, const QString& file) {
  if (image.save(file, "PNG")) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
  return false;
}

bool WriteAll(const QString& serif, const QString& sans, const QString& resources) {
  const QString pictures = resources + QStringLiteral("/pictures/");
  const QString library = resources + QStringLiteral("/fxgold/");
  bool ok = Save(Splash(serif, sans), pictures + QStringLiteral("splash.png")) &&
            Save(Icon(64), pictures + QStringLiteral("fraxinel.png"));
  // The icon theme's sizes besides the 64 pixels above, installed with the program.
  for (const int size : {32, 48, 128, 256})
    ok = ok && Save(Icon(size), resources + QStringLiteral("/icons/fraxinel-%1.png").arg(size));
  for (int i = 0; ok && i < 6; ++i)
    ok = Save(LogoFrame(i * 60.0), pictures + QStringLiteral("logo%1.png").arg(i));
  ok = ok && Save(ExeStrip(), pictures + QStringLiteral("exe-small.png"));
  for (int i = 0; ok && i < 5; ++i)
    ok = Save(ExePicture(i), pictures + QStringLiteral("exe-large-%1.png").arg(i));
  for (int i = 0; ok && i < 5; ++i)
    ok = Save(PlayModePicture(i, sans), library + QStringLiteral("%1.png").arg(1000 + i));
  for (int i = 0; ok && i < 8; ++i)
    ok = Save(GameTypePicture(i, sans), library + QStringLiteral("%1.png").arg(21000 + i));
  return ok && WriteCreditPictures(serif, sans, pictures);
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 4) {
    std::fprintf(stderr, "usage: %s <serif font> <sans font> <resources folder>\n", argv[0]);
    return 2;
  }
  const QString serif = FontFamily(args[1]);
  const QString sans = FontFamily(args[2]);
  return WriteAll(serif, sans, args[3]) ? 0 : 1;
}
