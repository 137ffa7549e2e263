// The small pictures: the picture library's play modes and game types, the turning window
// icon and the executable pictures. Part of scripts/make-pictures.
#include "make-pictures.h"

namespace pictures {

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

}  // namespace pictures
