#include "settings/EnableControls.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace fx {
namespace {

QColor EditBackground(const QWidget& edit, QPalette::ColorGroup group) {
  return edit.palette().color(group, QPalette::Base);
}

QColor Application(const QWidget& widget, QPalette::ColorGroup group, QPalette::ColorRole role) {
  return QApplication::palette(&widget).color(group, role);
}

// A panel as the windows use them: a group with edits and boxes, one level nested.
class EnableControlsTest : public ::testing::Test {
 protected:
  EnableControlsTest() {
    auto* layout = new QVBoxLayout(&FPanel);
    layout->addWidget(FGroup);
    auto* inner = new QVBoxLayout(FGroup);
    inner->addWidget(FEdit);
    inner->addWidget(FBox);
    inner->addWidget(FNested);
    auto* nested = new QVBoxLayout(FNested);
    nested->addWidget(FMemo);
    nested->addWidget(FSpin);
    layout->addWidget(FLabel);
  }

  void SetUp() override {
    // The test means something only where the two colours differ.
    ASSERT_NE(Application(FPanel, QPalette::Active, QPalette::Base),
              Application(FPanel, QPalette::Active, QPalette::Button));
  }

  QWidget FPanel;
  QGroupBox* FGroup = new QGroupBox("Group", &FPanel);
  QLineEdit* FEdit = new QLineEdit(FGroup);
  QCheckBox* FBox = new QCheckBox("Box", FGroup);
  QWidget* FNested = new QWidget(FGroup);
  QPlainTextEdit* FMemo = new QPlainTextEdit(FNested);
  QSpinBox* FSpin = new QSpinBox(FNested);
  QLabel* FLabel = new QLabel("Label", &FPanel);
};

TEST_F(EnableControlsTest, DisablesEveryWidgetInside) {
  EnableControls(&FPanel, false);
  // Each child is switched off itself, not merely through its parent: enabling the
  // panel alone brings none of them back.
  FPanel.setEnabled(true);
  for (QWidget* child :
       std::initializer_list<QWidget*>{FGroup, FEdit, FBox, FNested, FMemo, FSpin, FLabel})
    EXPECT_FALSE(child->isEnabled()) << child->metaObject()->className();
}

TEST_F(EnableControlsTest, EnablesEveryWidgetInsideAgain) {
  EnableControls(&FPanel, false);
  EnableControls(&FPanel, true);
  for (QWidget* child :
       std::initializer_list<QWidget*>{&FPanel, FGroup, FEdit, FBox, FNested, FMemo, FSpin, FLabel})
    EXPECT_TRUE(child->isEnabled()) << child->metaObject()->className();
}

TEST_F(EnableControlsTest, DisabledEditsTakeTheButtonFace) {
  EnableControls(&FPanel, false);
  for (const QWidget* edit : std::initializer_list<const QWidget*>{FEdit, FMemo, FSpin}) {
    for (const auto group : {QPalette::Active, QPalette::Disabled})
      EXPECT_EQ(EditBackground(*edit, group), Application(*edit, group, QPalette::Button))
          << edit->metaObject()->className();
  }
}

TEST_F(EnableControlsTest, EnabledEditsGetTheEditBackgroundBack) {
  EnableControls(&FPanel, false);
  EnableControls(&FPanel, true);
  for (const QWidget* edit : std::initializer_list<const QWidget*>{FEdit, FMemo, FSpin}) {
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
      EXPECT_EQ(EditBackground(*edit, group), Application(*edit, group, QPalette::Base))
          << edit->metaObject()->className();
  }
}

TEST_F(EnableControlsTest, OtherWidgetsKeepTheirColours) {
  const QColor before = FBox->palette().color(QPalette::Active, QPalette::Base);
  EnableControls(&FPanel, false);
  EXPECT_EQ(FBox->palette().color(QPalette::Active, QPalette::Base), before);
}

TEST_F(EnableControlsTest, EditGivenItselfIsOnlyDisabled) {
  QLineEdit edit;
  const QColor before = EditBackground(edit, QPalette::Disabled);
  EnableControls(&edit, false);
  EXPECT_FALSE(edit.isEnabled());
  EXPECT_EQ(EditBackground(edit, QPalette::Disabled), before);
}

TEST_F(EnableControlsTest, WindowsInsideAreLeftAlone) {
  auto* dialog = new QDialog(&FPanel);
  auto* dialogEdit = new QLineEdit(dialog);
  EnableControls(&FPanel, false);
  // Qt greys a child window with its owner, but neither it nor its edit may be switched
  // off for good or recoloured: the window is not part of the group.
  EXPECT_FALSE(dialog->testAttribute(Qt::WA_ForceDisabled));
  EXPECT_FALSE(dialogEdit->testAttribute(Qt::WA_ForceDisabled));
  EXPECT_FALSE(dialogEdit->testAttribute(Qt::WA_SetPalette));
  EXPECT_TRUE(FEdit->testAttribute(Qt::WA_ForceDisabled));
}

TEST_F(EnableControlsTest, ListSwitchesEachControlAndSkipsNull) {
  QCheckBox single("single");
  EnableControlList({&single, nullptr, FGroup}, false);
  EXPECT_FALSE(single.isEnabled());
  EXPECT_FALSE(FGroup->isEnabled());
  FGroup->setEnabled(true);
  EXPECT_FALSE(FEdit->isEnabled());
  EXPECT_EQ(EditBackground(*FEdit, QPalette::Active),
            Application(*FEdit, QPalette::Active, QPalette::Button));
  EXPECT_TRUE(FLabel->isEnabled());  // not in the list

  EnableControlList({&single, FGroup}, true);
  EXPECT_TRUE(single.isEnabled());
  EXPECT_TRUE(FEdit->isEnabled());
}

TEST(EnableControlsNull, NullControlIsIgnored) {
  EXPECT_NO_THROW(EnableControls(nullptr, false));
}

}  // namespace
}  // namespace fx
