#include "settings/FormPlacementView.h"

#include <QLayout>
#include <QRect>
#include <QWidget>

namespace fx {

namespace {

constexpr std::uint8_t kStateNormal = 0;
constexpr std::uint8_t kStateMinimised = 1;
constexpr std::uint8_t kStateMaximised = 2;

std::uint8_t PlacementState(const QWidget& form) {
  if (form.isMinimized()) return kStateMinimised;
  if (form.isMaximized()) return kStateMaximised;
  return kStateNormal;
}

Qt::WindowStates WindowStateFor(std::uint8_t state) {
  switch (state) {
    case kStateMinimised:
      return Qt::WindowMinimized;
    case kStateMaximised:
      return Qt::WindowMaximized;
    default:
      return Qt::WindowNoState;
  }
}

}  // namespace

TFormPlacement CaptureFormPlacement(const QWidget& form) {
  // normalGeometry() is empty for a window that was never shown normal (created
  // maximised); its geometry is then the best there is.
  QRect rect = form.normalGeometry();
  if (!rect.isValid()) rect = form.geometry();
  TFormPlacement placement;
  placement.Left = rect.x();
  placement.Top = rect.y();
  placement.Width = rect.width();
  placement.Height = rect.height();
  placement.State = PlacementState(form);
  return placement;
}

bool IsResizable(const QWidget& form) {
  if (form.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint)) return false;
  return form.minimumSize() != form.maximumSize();
}

void ApplyFormPlacement(QWidget& form, const TFormPlacement& placement) {
  // A layout fixes a dialog's size only when it is activated, which otherwise happens on
  // the first show: too late to tell a fixed dialog from a resizable one.
  if (form.layout()) form.layout()->activate();
  const QSize stored(placement.Width, placement.Height);
  // A damaged value must not shrink the window to nothing.
  const QSize size = IsResizable(form) && !stored.isEmpty() ? stored : form.size();
  form.setGeometry(QRect(QPoint(placement.Left, placement.Top), size));
  const Qt::WindowStates others =
      form.windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
  form.setWindowState(others | WindowStateFor(placement.State));
}

}  // namespace fx
