#pragma once

// Helpers for tests that look at what a control painted.

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

namespace fx::test {

// What `widget` paints, in a format whose pixels compare as plain RGB.
inline QImage Rendered(QWidget& widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline bool IsColour(const QImage& image, int x, int y, const QColor& colour) {
  return image.pixel(x, y) == colour.rgb();
}

// The columns of row `y` whose colour is not `expected`, as "x=..:#rrggbb" texts, so a
// failed check tells where the row went wrong.
inline std::vector<std::string> RowMismatches(const QImage& image, int y,
                                              const std::function<QColor(int x)>& expected) {
  std::vector<std::string> wrong;
  for (int x = 0; x < image.width(); ++x) {
    const QColor want = expected(x);
    if (image.pixel(x, y) != want.rgb()) {
      wrong.push_back("x=" + std::to_string(x) + ":" +
                      QColor(image.pixel(x, y)).name().toStdString() + " want " +
                      want.name().toStdString());
    }
  }
  return wrong;
}

// The smallest rectangle that holds every pixel for which `match` holds; empty when none.
inline QRect BoundsOf(const QImage& image, const std::function<bool(QRgb)>& match) {
  QRect bounds;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (match(image.pixel(x, y))) bounds |= QRect(x, y, 1, 1);
    }
  }
  return bounds;
}

inline int CountOf(const QImage& image, const QColor& colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x)
      count += image.pixel(x, y) == colour.rgb() ? 1 : 0;
  }
  return count;
}

}  // namespace fx::test
