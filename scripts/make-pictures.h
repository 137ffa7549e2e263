// Shared pieces of scripts/make-pictures.cpp: the noise generator, the drawing helpers
// and the pictures drawn in scripts/make-pictures-small.cpp.
#pragma once

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
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace pictures {

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

QString FontFamily(const QString& file);
QFont MakeFont(const QString& family, qreal pixelSize, int weight, qreal spacing = 0);
void PaintMetal(QImage& image, std::uint32_t seed);
void PaintGlow(QPainter& p, QPointF centre, qreal radius, QColor colour);
QPainterPath Leaflet(qreal length, qreal width);
QPainterPath AshLeaf(qreal size);
QLinearGradient Bronze(qreal top, qreal bottom);
void PaintRivet(QPainter& p, QPointF centre, qreal radius);
void PaintBevel(QPainter& p, const QRectF& r, int depth, int alpha);
void PaintEngraved(QPainter& p, const QFont& font, const QString& text, qreal centreX,
                   qreal baseline, const QBrush& fill);
QImage Splash(const QString& serif, const QString& sans);
QImage Icon(int size);
void PaintBronzeShape(QPainter& p, const QPainterPath& shape, qreal outline = 1.5);
QPainterPath Stroked(const QPainterPath& line, qreal width);
QPainterPath Circle(QPointF centre, qreal radius);
QPainterPath Rect(qreal x, qreal y, qreal w, qreal h, qreal corner = 0);
QPainterPath Polygon(std::initializer_list<QPointF> points);
QFont FittingFont(const QString& family, int pixelSize, const QString& text, qreal width);
QImage LibraryTile(int width, int height, std::uint32_t seed, const QString& sans,
                   const QString& name, const std::function<void(QPainter&)>& emblem);
QPainterPath Person(qreal s);
QPainterPath ServerBox(qreal s);
QPainterPath Monitor();
QPainterPath PlayRing();
QPainterPath Shield();
QPainterPath Flag(qreal s);
QPainterPath Gear(QPointF centre, qreal radius);
QPainterPath Skull();
QPainterPath ClawMarks();
QPainterPath Hourglass();
QPainterPath Tower();
QImage PlayModePicture(int mode, const QString& sans);
QImage GameTypePicture(int type, const QString& sans);
QPainterPath BroadLeaf(qreal size);
QImage LogoFrame(qreal degrees);
void PaintOutlined(QPainter& p, const QPainterPath& shape, const QBrush& fill);
QLinearGradient Dark(qreal top, qreal bottom);
QRectF PaintWindow(QPainter& p);
void PaintRendition(QPainter& p);
void PaintOpenGL(QPainter& p);
void PaintBatchFile(QPainter& p);
void PaintWinQuake(QPainter& p);
void PaintDos(QPainter& p);
QImage ExePicture(int index);
QImage ExeStrip();
bool SaveJpeg(const QImage& picture, const QString& file);
bool WriteCreditPictures(const QString& serif, const QString& sans, const QString& folder);

}  // namespace pictures
