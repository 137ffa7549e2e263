#include "content/StartMapRow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

namespace fx {

TStartMapRow::TStartMapRow(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("StartMapRow"));
  // One line high: the table and details above take the dialog's height.
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* label = new QLabel(tr("Start &map:"), this);
  label->setObjectName(QStringLiteral("StartMapLabel"));
  FCombo = new QComboBox(this);
  FCombo->setObjectName(QStringLiteral("StartMapCombo"));
  FCombo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  FCombo->setMinimumContentsLength(24);
  label->setBuddy(FCombo);
  layout->addWidget(label);
  layout->addWidget(FCombo);
  layout->addStretch(1);
  SetChoices({});
}

void TStartMapRow::SetChoices(const std::vector<TStartMapChoice>& choices) {
  FCombo->clear();
  for (const TStartMapChoice& choice : choices)
    FCombo->addItem(QString::fromStdString(StartMapCaption(choice)),
                    QString::fromStdString(choice.Map));
  FCombo->setEnabled(!choices.empty());
  if (!choices.empty()) FCombo->setCurrentIndex(0);
}

std::string TStartMapRow::CurrentMap() const {
  return FCombo->currentData().toString().toStdString();
}

}  // namespace fx
