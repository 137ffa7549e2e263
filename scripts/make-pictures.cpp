// Draws the program's pictures: the splash picture (421 x 315), the program icon (64 x 64),
// the frames of the turning window icon, the executable pictures, and the pictures of the
// picture library (play modes and game types). Built and run by scripts/make-pictures; see
// there.
//
// Everything is drawn from numbers in this file and from two font files named on the
// command line, with a fixed-seed noise generator, so the same Qt and fonts give the same
// bytes again.
#include <QColor>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRadialGradient>
#include <QString>
#include <QStringList>
#include <QTransform>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

// A small linear congruential generator: std::rand and the standard distributions are
// free to differ between library versions, this is not.
class TNoise {
 public:
  explicit TNoise(std::uint32_t seed) : FState(seed) {}
  int Next(int range) {
    FState = FState * 1664525u + 1013904223u;
    return static_cast<int>((FState >> 8) % static_cast<std::uint32_t>(range));
  }

 private:
  std::uint32_t FState;
};

QString FontFamily(const QString& file) {
  const int id = QFontDatabase::addApplicationFont(file);
  if (id < 0) {
    std::fprintf(stderr, "cannot load font %s\n", qPrintable(file));
    std::exit(1);
  }
  return QFontDatabase::applicationFontFamilies(id).value(0);
}

QFont MakeFont(const QString& family, qreal pixelSize, int weight, qreal spacing = 0) {
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

QImage Icon() {
  QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QImage metal(64, 64, QImage::Format_RGB32);
  PaintMetal(metal, 0x1c0du);

  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
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
void PaintBronzeShape(QPainter& p, const QPainterPath& shape, qreal outline = 1.5) {
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

QPainterPath Rect(qreal x, qreal y, qreal w, qreal h, qreal corner = 0) {
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

// A library picture: worn metal in a bevelled frame, the emblem in its upper part and the
// name on a dark band at the foot.
QImage LibraryTile(int width, int height, std::uint32_t seed, const QString& sans,
                   const QString& name, const std::function<void(QPainter&)>& emblem) {
  QImage image(width, height, QImage::Format_RGB32);
  PaintMetal(image, seed);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  const qreal band = 20;
  const qreal cx = width / 2.0;
  const qreal cy = (height - band) / 2.0 + 1;
  PaintGlow(p, QPointF(cx, cy), height * 0.42, QColor(255, 100, 20, 70));
  p.save();
  p.translate(cx, cy);
  emblem(p);
  p.restore();

  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 110));
  p.drawRect(QRectF(0, height - band, width, band));
  QLinearGradient rule(0, 0, width, 0);
  rule.setColorAt(0.0, QColor(200, 140, 70, 0));
  rule.setColorAt(0.5, QColor(230, 170, 90, 200));
  rule.setColorAt(1.0, QColor(200, 140, 70, 0));
  p.setPen(QPen(QBrush(rule), 1));
  p.drawLine(QPointF(4, height - band + 0.5), QPointF(width - 4, height - band + 0.5));

  const QFont font = FittingFont(sans, 11, name, width - 10);
  QPainterPath text;
  text.addText(0, 0, font, name);
  // One baseline for every name, whether it has descenders or not.
  const QRectF box = text.boundingRect();
  text.translate(cx - box.center().x(), height - band / 2 + QFontMetricsF(font).capHeight() / 2);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 200));
  p.drawPath(text.translated(1, 1));
  p.setBrush(QColor(232, 196, 140));
  p.drawPath(text);

  PaintBevel(p, QRectF(image.rect()), 2, 120);
  p.end();
  return image;
}

// ---- Emblems, drawn around the origin within about 24 pixels ------------------------------

QPainterPath Person(qreal s) {
  QPainterPath body;
  body.moveTo(-14 * s, 22 * s);
  body.lineTo(-14 * s, 8 * s);
  body.cubicTo(-14 * s, -2 * s, 14 * s, -2 * s, 14 * s, 8 * s);
  body.lineTo(14 * s, 22 * s);
  body.closeSubpath();
  return body.united(Circle(QPointF(0, -10 * s), 8.5 * s)).simplified();
}

QPainterPath ServerBox(qreal s) {
  QPainterPath box = Rect(-11 * s, -22 * s, 22 * s, 44 * s, 3 * s);
  for (int i = 0; i < 3; ++i)
    box = box.subtracted(Rect(-7 * s, (-17 + 7 * i) * s, 14 * s, 3 * s));
  return box.subtracted(Circle(QPointF(0, 14 * s), 2.5 * s));
}

QPainterPath Monitor() {
  QPainterPath screen = Rect(-23, -20, 46, 32, 3).subtracted(Rect(-19, -16, 38, 24, 1));
  screen = screen.united(Polygon({{-5, 12}, {5, 12}, {9, 20}, {-9, 20}}));
  return screen.united(Rect(-14, 19, 28, 3, 1)).simplified();
}

QPainterPath PlayRing() {
  QPainterPath ring = Circle({0, 0}, 23).subtracted(Circle({0, 0}, 19));
  return ring.united(Polygon({{-7, -12}, {-7, 12}, {13, 0}}));
}

QPainterPath Shield() {
  QPainterPath shield;
  shield.moveTo(-18, -20);
  shield.lineTo(18, -20);
  shield.lineTo(18, -2);
  shield.cubicTo(18, 12, 8, 19, 0, 24);
  shield.cubicTo(-8, 19, -18, 12, -18, -2);
  shield.closeSubpath();
  QPainterPath inner;
  inner.moveTo(-12, -14);
  inner.lineTo(12, -14);
  inner.lineTo(12, -2);
  inner.cubicTo(12, 8, 6, 13, 0, 17);
  inner.cubicTo(-6, 13, -12, 8, -12, -2);
  inner.closeSubpath();
  return shield.subtracted(inner).united(Rect(-2, -14, 4, 30)).united(Rect(-12, -6, 24, 4));
}

QPainterPath Flag(qreal s) {
  QPainterPath flag = Rect(-16 * s, -22 * s, 3.5 * s, 46 * s, 1 * s);
  QPainterPath cloth;
  cloth.moveTo(-12.5 * s, -21 * s);
  cloth.cubicTo(-2 * s, -27 * s, 6 * s, -15 * s, 18 * s, -20 * s);
  cloth.lineTo(18 * s, 0);
  cloth.cubicTo(6 * s, 5 * s, -2 * s, -7 * s, -12.5 * s, -1 * s);
  cloth.closeSubpath();
  return flag.united(cloth);
}

QPainterPath Gear(QPointF centre, qreal radius) {
  QPainterPath gear = Circle(centre, radius * 0.78);
  for (int i = 0; i < 8; ++i) {
    QTransform t;
    t.translate(centre.x(), centre.y());
    t.rotate(i * 45.0);
    gear = gear.united(t.map(Rect(-radius * 0.18, -radius, radius * 0.36, radius * 0.4)));
  }
  return gear.subtracted(Circle(centre, radius * 0.32));
}

QPainterPath Skull() {
  QPainterPath skull = Circle(QPointF(0, -4), 19).united(Rect(-11, 6, 22, 16, 4));
  skull =
      skull.subtracted(Circle(QPointF(-7.5, -3), 5.5)).subtracted(Circle(QPointF(7.5, -3), 5.5));
  skull = skull.subtracted(Polygon({{0, 4}, {-3.5, 10}, {3.5, 10}}));
  for (int i = 0; i < 3; ++i)
    skull = skull.subtracted(Rect(-6 + 5 * i, 16, 2, 6));
  return skull;
}

QPainterPath ClawMarks() {
  QPainterPath marks;
  for (int i = -1; i <= 1; ++i) {
    QPainterPath line;
    line.moveTo(-12 + i * 10, -22);
    line.cubicTo(-4 + i * 10, -8, -2 + i * 10, 6, 6 + i * 10, 22);
    marks = marks.united(Stroked(line, 6 - (i == 0 ? 0 : 1)));
  }
  return marks;
}

QPainterPath Hourglass() {
  QPainterPath glass = Rect(-17, -23, 34, 5, 1.5).united(Rect(-17, 18, 34, 5, 1.5));
  QPainterPath body;
  body.moveTo(-13, -18);
  body.lineTo(13, -18);
  body.cubicTo(13, -6, 3, -3, 3, 0);
  body.cubicTo(3, 3, 13, 6, 13, 18);
  body.lineTo(-13, 18);
  body.cubicTo(-13, 6, -3, 3, -3, 0);
  body.cubicTo(-3, -3, -13, -6, -13, -18);
  body.closeSubpath();
  QPainterPath hollow;
  hollow.moveTo(-9, -15);
  hollow.lineTo(9, -15);
  hollow.cubicTo(9, -8, 0, -5, 0, -3);
  hollow.cubicTo(0, -5, -9, -8, -9, -15);
  hollow.closeSubpath();
  return glass.united(body.subtracted(hollow))
      .subtracted(Polygon({{0, 6}, {-8, 15}, {8, 15}}))
      .united(Polygon({{0, 9}, {-5, 15}, {5, 15}}));
}

QPainterPath Tower() {
  QPainterPath tower = Rect(-14, -12, 28, 36);
  for (int i = 0; i < 3; ++i)
    tower = tower.united(Rect(-18 + 13 * i, -22, 10, 12));
  tower = tower.united(Rect(-18, -12, 36, 4));
  QPainterPath door;
  door.moveTo(-6, 24);
  door.lineTo(-6, 12);
  door.cubicTo(-6, 4, 6, 4, 6, 12);
  door.lineTo(6, 24);
  door.closeSubpath();
  return tower.subtracted(door).subtracted(Rect(-2, -4, 4, 8, 1));
}

QImage PlayModePicture(int mode, const QString& sans) {
  static const char* const kNames[] = {"Single Player", "Listen Server", "Dedicated Server",
                                       "Client", "Demo Playback"};
  return LibraryTile(128, 96, 0x1000u + static_cast<std::uint32_t>(mode), sans,
                     QString::fromLatin1(kNames[mode]), [mode](QPainter& p) {
                       switch (mode) {
                         case 0:
                           PaintBronzeShape(p, Person(1.0));
                           break;
                         case 1:
                           PaintBronzeShape(p, ServerBox(0.9).translated(-16, 0));
                           PaintBronzeShape(p, Person(0.75).translated(14, 4));
                           break;
                         case 2:
                           PaintBronzeShape(p, ServerBox(0.9).translated(-13, 0));
                           PaintBronzeShape(p, ServerBox(0.9).translated(13, 0));
                           break;
                         case 3:
                           PaintBronzeShape(p, Monitor());
                           PaintBronzeShape(p, Person(0.42).translated(0, -5));
                           break;
                         default:
                           PaintBronzeShape(p, PlayRing());
                           break;
                       }
                     });
}

QImage GameTypePicture(int type, const QString& sans) {
  static const char* const kNames[] = {"Standard",     "Varimix", "CTF",      "CTF Bots",
                                       "Head Hunters", "Armagon", "Eternity", "Fortress"};
  return LibraryTile(96, 96, 0x21000u + static_cast<std::uint32_t>(type), sans,
                     QString::fromLatin1(kNames[type]), [type](QPainter& p) {
                       switch (type) {
                         case 0:
                           PaintBronzeShape(p, Shield());
                           break;
                         case 1:
                           PaintBronzeShape(p, Circle(QPointF(-9, -8), 12));
                           PaintBronzeShape(p, Circle(QPointF(9, -8), 12));
                           PaintBronzeShape(p, Circle(QPointF(0, 8), 12));
                           break;
                         case 2:
                           PaintBronzeShape(p, Flag(1.0));
                           break;
                         case 3:
                           PaintBronzeShape(p, Flag(0.85).translated(-5, -2));
                           PaintBronzeShape(p, Gear(QPointF(12, 12), 11));
                           break;
                         case 4:
                           PaintBronzeShape(p, Skull());
                           break;
                         case 5:
                           PaintBronzeShape(p, ClawMarks());
                           break;
                         case 6:
                           PaintBronzeShape(p, Hourglass());
                           break;
                         default:
                           PaintBronzeShape(p, Tower());
                           break;
                       }
                     });
}

// ---- The turning window icon ---------------------------------------------------------------

// The ash leaf cut down to three broad leaflets on a stalk, pointing up from the origin, so
// that it still reads as a leaf, and shows which way it points, at 16 pixels.
QPainterPath BroadLeaf(qreal size) {
  QPainterPath leaf = Rect(-size * 0.05, -size * 0.55, size * 0.1, size * 0.55);
  QTransform top;
  top.translate(0, -size * 0.5);
  top.rotate(-90);
  leaf.addPath(top.map(Leaflet(size * 0.5, size * 0.19)));
  for (const int side : {-1, 1}) {
    QTransform t;
    t.translate(0, -size * 0.3);
    t.rotate(side < 0 ? 180 + 35 : -35);
    leaf.addPath(t.map(Leaflet(size * 0.38, size * 0.15)));
  }
  return leaf.simplified();
}

// One frame: a bronze-rimmed disc with the ash leaf turned by `degrees`. Drawn four times as
// large and scaled down, so the 16 x 16 frame keeps smooth edges.
QImage LogoFrame(qreal degrees) {
  QImage big(64, 64, QImage::Format_ARGB32_Premultiplied);
  big.fill(Qt::transparent);
  QImage metal(64, 64, QImage::Format_RGB32);
  PaintMetal(metal, 0x1c0du);
  QPainter p(&big);
  p.setRenderHint(QPainter::Antialiasing);
  const QPainterPath disc = Circle(QPointF(32, 32), 30);
  p.setClipPath(disc);
  p.drawImage(0, 0, metal);
  PaintGlow(p, QPointF(32, 32), 32, QColor(255, 100, 20, 110));
  p.setClipping(false);
  p.setPen(QPen(QColor(200, 140, 70), 3));
  p.setBrush(Qt::NoBrush);
  p.drawPath(disc);
  p.translate(32, 32);
  p.rotate(degrees);
  const QPainterPath leaf = BroadLeaf(50).translated(0, 23);
  p.setPen(QPen(QColor(15, 8, 3), 1.5));
  p.setBrush(QColor(240, 180, 100));
  p.drawPath(leaf);
  p.end();
  return big.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// ---- Executable pictures: 64 x 48 on a transparent ground ---------------------------------

void PaintOutlined(QPainter& p, const QPainterPath& shape, const QBrush& fill) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 90));
  p.drawPath(shape.translated(1.5, 2));
  p.setPen(QPen(QColor(25, 14, 6), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(fill);
  p.drawPath(shape);
}

QLinearGradient Dark(qreal top, qreal bottom) {
  QLinearGradient g(0, top, 0, bottom);
  g.setColorAt(0.0, QColor(62, 44, 30));
  g.setColorAt(1.0, QColor(18, 12, 8));
  return g;
}

// A window frame with a bronze title bar; the picture inside is drawn by the caller.
QRectF PaintWindow(QPainter& p) {
  PaintOutlined(p, Rect(6, 4, 52, 40, 3), Dark(4, 44));
  p.setPen(Qt::NoPen);
  p.setBrush(Bronze(5, 13));
  p.drawRect(QRectF(7, 5, 50, 8));
  p.setBrush(QColor(25, 14, 6));
  for (int i = 0; i < 3; ++i)
    p.drawRect(QRectF(41 + 5 * i, 7, 3, 3));
  return QRectF(9, 15, 46, 26);
}

void PaintRendition(QPainter& p) {
  PaintOutlined(p, Rect(4, 8, 56, 28, 2), QColor(38, 84, 52));
  PaintOutlined(p, Rect(20, 13, 18, 18, 1), Dark(13, 31));
  p.setPen(Qt::NoPen);
  p.setBrush(Bronze(36, 44));
  for (int i = 0; i < 10; ++i)
    p.drawRect(QRectF(10 + 4.5 * i, 37, 3, 6));
  p.setBrush(QColor(225, 180, 110));
  p.drawRect(QRectF(44, 14, 10, 5));
  p.drawRect(QRectF(44, 23, 10, 5));
  p.setPen(QPen(QColor(255, 210, 150, 120), 1));
  p.drawLine(QPointF(23, 16), QPointF(35, 16));
}

void PaintOpenGL(QPainter& p) {
  const QRectF inside = PaintWindow(p);
  const QPointF c = inside.center() + QPointF(0, 1);
  const QPainterPath top =
      Polygon({c + QPointF(0, -12), c + QPointF(11, -6), c + QPointF(0, 0), c + QPointF(-11, -6)});
  const QPainterPath left =
      Polygon({c + QPointF(-11, -6), c, c + QPointF(0, 12), c + QPointF(-11, 6)});
  const QPainterPath right =
      Polygon({c, c + QPointF(11, -6), c + QPointF(11, 6), c + QPointF(0, 12)});
  p.setPen(QPen(QColor(25, 14, 6), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(255, 214, 150));
  p.drawPath(top);
  p.setBrush(QColor(206, 140, 66));
  p.drawPath(left);
  p.setBrush(QColor(130, 74, 30));
  p.drawPath(right);
}

void PaintBatchFile(QPainter& p) {
  QPainterPath page;
  page.moveTo(14, 2);
  page.lineTo(40, 2);
  page.lineTo(50, 12);
  page.lineTo(50, 46);
  page.lineTo(14, 46);
  page.closeSubpath();
  PaintOutlined(p, page, QColor(240, 228, 206));
  PaintOutlined(p, Polygon({{40, 2}, {40, 12}, {50, 12}}), QColor(200, 180, 150));
  p.setPen(QPen(QColor(120, 90, 60), 2));
  for (int i = 0; i < 4; ++i)
    p.drawLine(QPointF(19, 17 + 6 * i), QPointF(i % 2 ? 36 : 42, 17 + 6 * i));
  PaintBronzeShape(p, Gear(QPointF(44, 38), 10), 1.2);
}

void PaintWinQuake(QPainter& p) {
  const QRectF inside = PaintWindow(p);
  p.save();
  p.translate(inside.center().x(), inside.bottom() - 1);
  PaintGlow(p, QPointF(0, -10), 16, QColor(255, 110, 20, 120));
  p.setPen(QPen(QColor(15, 8, 3), 1));
  p.setBrush(Bronze(-24, 0));
  p.drawPath(BroadLeaf(24));
  p.restore();
}

void PaintDos(QPainter& p) {
  PaintOutlined(p, Rect(4, 4, 56, 40, 3), QColor(150, 140, 128));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(8, 8, 8));
  p.drawRect(QRectF(8, 8, 48, 32));
  p.setPen(QPen(QColor(220, 220, 210), 2.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(Qt::NoBrush);
  QPainterPath chevron;
  chevron.moveTo(14, 15);
  chevron.lineTo(21, 20);
  chevron.lineTo(14, 25);
  p.drawPath(chevron);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 220, 210));
  p.drawRect(QRectF(25, 24, 9, 2.5));
}

// Picture index order: Rendition, OpenGL, batch file, WinQuake, DOS.
QImage ExePicture(int index) {
  QImage image(64, 48, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  switch (index) {
    case 0:
      PaintRendition(p);
      break;
    case 1:
      PaintOpenGL(p);
      break;
    case 2:
      PaintBatchFile(p);
      break;
    case 3:
      PaintWinQuake(p);
      break;
    default:
      PaintDos(p);
      break;
  }
  p.end();
  return image;
}

// The five pictures side by side, each 16 x 16: the 64 x 48 picture centred in a square and
// scaled down.
QImage ExeStrip() {
  QImage strip(5 * 16, 16, QImage::Format_ARGB32_Premultiplied);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  for (int i = 0; i < 5; ++i) {
    QImage square(64, 64, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    QPainter sp(&square);
    sp.drawImage(0, 8, ExePicture(i));
    sp.end();
    p.drawImage(i * 16, 0, square.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  }
  p.end();
  return strip;
}

bool Save(const QImage& image, const QString& file) {
  if (image.save(file, "PNG")) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
  return false;
}

bool WriteAll(const QString& serif, const QString& sans, const QString& resources) {
  const QString pictures = resources + QStringLiteral("/pictures/");
  const QString library = resources + QStringLiteral("/fxgold/");
  bool ok = Save(Splash(serif, sans), pictures + QStringLiteral("splash.png")) &&
            Save(Icon(), pictures + QStringLiteral("fraxinel.png"));
  for (int i = 0; ok && i < 6; ++i)
    ok = Save(LogoFrame(i * 60.0), pictures + QStringLiteral("logo%1.png").arg(i));
  ok = ok && Save(ExeStrip(), pictures + QStringLiteral("exe-small.png"));
  for (int i = 0; ok && i < 5; ++i)
    ok = Save(ExePicture(i), pictures + QStringLiteral("exe-large-%1.png").arg(i));
  for (int i = 0; ok && i < 5; ++i)
    ok = Save(PlayModePicture(i, sans), library + QStringLiteral("%1.png").arg(1000 + i));
  for (int i = 0; ok && i < 8; ++i)
    ok = Save(GameTypePicture(i, sans), library + QStringLiteral("%1.png").arg(21000 + i));
  return ok;
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
