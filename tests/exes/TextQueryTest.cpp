#include "exes/TextQuery.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <stdexcept>
#include <string>

#include "fixtures/ModalDialog.h"

namespace fx {
namespace {

using test::WhenModal;

template <typename T>
T& Control(const QWidget& form, const char* name) {
  T* control = form.findChild<T*>(QString::fromLatin1(name));
  if (!control) throw std::logic_error(std::string("no control ") + name);
  return *control;
}

QLineEdit& Edit(const QWidget& dlg) {
  return Control<QLineEdit>(dlg, "Edit1");
}
QPushButton& Ok(const QWidget& dlg) {
  return Control<QPushButton>(dlg, "OKBtn");
}

constexpr const char* kCaption = "Save Configuration";
constexpr const char* kPrompt = "Enter a name for the new Configuration:";

TEST(EnterText, ShowsCaptionPromptAndTextWithEnglishButtons) {
  std::string text = "Deathmatch";
  WhenModal<TEnterTextDlg>([](TEnterTextDlg& dlg) {
    EXPECT_EQ(dlg.windowTitle().toStdString(), kCaption);
    auto& label = Control<QLabel>(dlg, "Label1");
    EXPECT_EQ(label.text().toStdString(), kPrompt);
    EXPECT_TRUE(label.wordWrap());
    EXPECT_GE(label.height(), 2 * label.fontMetrics().lineSpacing());
    EXPECT_EQ(Edit(dlg).text().toStdString(), "Deathmatch");
    EXPECT_EQ(dlg.focusWidget(), &Edit(dlg));
    EXPECT_EQ(Ok(dlg).text().toStdString(), "OK");
    EXPECT_TRUE(Ok(dlg).isDefault());
    EXPECT_EQ(Control<QPushButton>(dlg, "CancelBtn").text().toStdString(), "Cancel");
  });
  EXPECT_FALSE(EnterText(kCaption, kPrompt, text));
  EXPECT_EQ(text, "Deathmatch");
}

TEST(EnterText, OkIsDisabledUntilACharacterIsTyped) {
  std::string text;
  WhenModal<TEnterTextDlg>([](TEnterTextDlg& dlg) {
    EXPECT_FALSE(Ok(dlg).isEnabled());
    // Return with nothing typed confirms nothing.
    QTest::keyClick(&Edit(dlg), Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    QTest::keyClicks(&Edit(dlg), "C");
    EXPECT_TRUE(Ok(dlg).isEnabled());
    QTest::keyClicks(&Edit(dlg), "TF 2");
    QTest::mouseClick(&Ok(dlg), Qt::LeftButton);
  });
  EXPECT_TRUE(EnterText(kCaption, kPrompt, text));
  EXPECT_EQ(text, "CTF 2");
}

TEST(EnterText, OkIsEnabledAtOnceForAGivenTextAndDisabledWhenItIsCleared) {
  std::string text = "Coop";
  WhenModal<TEnterTextDlg>([](TEnterTextDlg& dlg) {
    EXPECT_TRUE(Ok(dlg).isEnabled());
    Edit(dlg).selectAll();
    QTest::keyClick(&Edit(dlg), Qt::Key_Backspace);
    EXPECT_FALSE(Ok(dlg).isEnabled());
    QTest::keyClicks(&Edit(dlg), "Team");
    QTest::keyClick(&Edit(dlg), Qt::Key_Return);
  });
  EXPECT_TRUE(EnterText(kCaption, kPrompt, text));
  EXPECT_EQ(text, "Team");
}

TEST(EnterText, CancelLeavesTheTextAsItWas) {
  std::string text = "Coop";
  WhenModal<TEnterTextDlg>([](TEnterTextDlg& dlg) {
    QTest::keyClicks(&Edit(dlg), " changed");
    QTest::mouseClick(&Control<QPushButton>(dlg, "CancelBtn"), Qt::LeftButton);
  });
  EXPECT_FALSE(EnterText(kCaption, kPrompt, text));
  EXPECT_EQ(text, "Coop");
  for (QWidget* widget : QApplication::topLevelWidgets())
    EXPECT_EQ(qobject_cast<TEnterTextDlg*>(widget), nullptr);
}

}  // namespace
}  // namespace fx
