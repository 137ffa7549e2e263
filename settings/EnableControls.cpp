#include "settings/EnableControls.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

namespace fx {

namespace {

bool IsEditField(const QWidget* widget) {
  return qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
         qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget);
}

// The edit background is the palette's Base role. Disabled, it takes the application's
// button face; enabled, the application's own Base again, group by group, so that Qt's
// usual inactive and disabled shades keep working afterwards.
void SetEditBackground(QWidget* edit, bool enabled) {
  const QPalette application = QApplication::palette(edit);
  QPalette palette = edit->palette();
  for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    const QPalette::ColorRole source = enabled ? QPalette::Base : QPalette::Button;
    palette.setColor(group, QPalette::Base, application.color(group, source));
  }
  edit->setPalette(palette);
}

}  // namespace

void EnableControls(QWidget* control, bool enabled) {
  if (!control) return;
  control->setEnabled(enabled);
  const auto children = control->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  for (QWidget* child : children) {
    if (child->isWindow()) continue;
    if (IsEditField(child)) SetEditBackground(child, enabled);
    EnableControls(child, enabled);
  }
}

void EnableControlList(const std::vector<QWidget*>& controls, bool enabled) {
  for (QWidget* control : controls)
    EnableControls(control, enabled);
}

}  // namespace fx
