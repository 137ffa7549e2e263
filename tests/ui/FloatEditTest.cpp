#include "ui/FloatEdit.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFocusEvent>
#include <QHideEvent>
#include <QMetaProperty>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <string>

#include "fixtures/ErrorOf.h"
#include "fixtures/ScriptedDialogs.h"
#include "platform/FormatSettings.h"
#include "ui/FormatFloat.h"

namespace fx {
namespace {

// The program-wide number settings for one test, restored afterwards.
class TFormatSettingsScope {
 public:
  TFormatSettingsScope(char decimal, std::string thousands) : FSaved(FormatSettings()) {
    FormatSettings().DecimalSeparator = decimal;
    FormatSettings().ThousandSeparator = std::move(thousands);
  }
  ~TFormatSettingsScope() { FormatSettings() = FSaved; }
  TFormatSettingsScope(const TFormatSettingsScope&) = delete;
  TFormatSettingsScope& operator=(const TFormatSettingsScope&) = delete;

 private:
  TFormatSettings FSaved;
};

std::string Text(const QLineEdit& edit) {
  return edit.text().toStdString();
}

// An active window with the edit and a second control to move the focus to.
class FloatEditTest : public ::testing::Test {
 protected:
  FloatEditTest() {
    auto* layout = new QVBoxLayout(&FWindow);
    FEdit = new TFloatEdit(&FWindow);
    FOther = new QLineEdit(&FWindow);
    layout->addWidget(FEdit);
    layout->addWidget(FOther);
    FEdit->SetUserDialogs(&FDialogs);
    FEdit->SetDisplayFormat("0, frags;(0)");
  }

  // Shows the window with the focus on the other control.
  void Activate() {
    FOther->setFocus();
    FWindow.show();
    FWindow.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&FWindow));
  }
  void Enter() {
    FEdit->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(FEdit->hasFocus());
  }
  void Leave() {
    FOther->setFocus(Qt::TabFocusReason);
    ASSERT_FALSE(FEdit->hasFocus());
  }
  // What typing does from an empty text.
  std::string Typed(const QString& keys) {
    FEdit->clear();
    QTest::keyClicks(FEdit, keys);
    return Text(*FEdit);
  }

  TFormatSettingsScope FSettings{'.', ","};
  test::TScriptedDialogs FDialogs;
  QWidget FWindow;
  TFloatEdit* FEdit = nullptr;
  QLineEdit* FOther = nullptr;
};

// --- creation and properties --------------------------------------------------------------

TEST(FloatEditCreation, RightAlignedAtTheDefaultSizeAndFormat) {
  TFormatSettingsScope settings('.', ",");
  TFloatEdit edit;
  EXPECT_EQ(edit.width(), 120);
  EXPECT_EQ(edit.height(), 25);
  EXPECT_EQ(edit.Alignment(), TFloatEdit::TAlignment::RightJustify);
  EXPECT_TRUE(edit.alignment() & Qt::AlignRight);
  EXPECT_EQ(edit.Value(), 0.0L);
  EXPECT_EQ(edit.DisplayFormat(), "0.00, %;(0.00, %)");
  EXPECT_EQ(Text(edit), "0.00 %");
}

TEST(FloatEditCreation, AlignmentChoices) {
  TFloatEdit edit;
  edit.SetAlignment(TFloatEdit::TAlignment::Center);
  EXPECT_EQ(edit.Alignment(), TFloatEdit::TAlignment::Center);
  EXPECT_TRUE(edit.alignment() & Qt::AlignHCenter);
  edit.SetAlignment(TFloatEdit::TAlignment::LeftJustify);
  EXPECT_EQ(edit.Alignment(), TFloatEdit::TAlignment::LeftJustify);
  EXPECT_TRUE(edit.alignment() & Qt::AlignLeft);
}

TEST(FloatEditCreation, PropertiesAreReachableByNameAsFromAForm) {
  TFormatSettingsScope settings('.', ",");
  TFloatEdit edit;
  ASSERT_TRUE(edit.setProperty("DisplayFormat", QString("0 MB;0 MB")));
  ASSERT_TRUE(edit.setProperty("Value", 64.0));
  EXPECT_EQ(Text(edit), "64 MB");
  EXPECT_EQ(edit.property("Value").toDouble(), 64.0);
  EXPECT_EQ(edit.property("DisplayFormat").toString(), QString("0 MB;0 MB"));
  ASSERT_TRUE(edit.setProperty("Alignment", QVariant::fromValue(TFloatEdit::TAlignment::Center)));
  EXPECT_EQ(edit.Alignment(), TFloatEdit::TAlignment::Center);
  const int index = edit.metaObject()->indexOfProperty("Value");
  ASSERT_GE(index, 0);
  EXPECT_TRUE(edit.metaObject()->property(index).hasNotifySignal());
}

TEST_F(FloatEditTest, SettingValueOrFormatReformatsTheText) {
  FEdit->SetValue(1234);
  EXPECT_EQ(Text(*FEdit), "1,234 frags");
  FEdit->SetValue(-5);
  EXPECT_EQ(Text(*FEdit), "(5)");
  FEdit->SetDisplayFormat("0.0, minutes;(0.0)");
  EXPECT_EQ(Text(*FEdit), "(5.0)");
  EXPECT_EQ(FEdit->DisplayFormat(), "0.0, minutes;(0.0)");
}

TEST_F(FloatEditTest, SettingTheSameValueOrFormatChangesNothing) {
  FEdit->SetValue(7);
  FEdit->setCursorPosition(0);
  QSignalSpy textChanged(FEdit, &QLineEdit::textChanged);
  QSignalSpy valueChanged(FEdit, &TFloatEdit::valueChanged);
  FEdit->SetValue(7);
  FEdit->SetDisplayFormat("0, frags;(0)");
  EXPECT_EQ(textChanged.count(), 0);
  EXPECT_EQ(valueChanged.count(), 0);
  EXPECT_EQ(FEdit->cursorPosition(), 0);

  FEdit->SetValue(8);
  EXPECT_EQ(textChanged.count(), 1);
  ASSERT_EQ(valueChanged.count(), 1);
  EXPECT_EQ(valueChanged.front().front().toDouble(), 8.0);
}

TEST_F(FloatEditTest, RefusedFormatKeepsTheOldOne) {
  FEdit->SetValue(3);
  EXPECT_THROW(FEdit->SetDisplayFormat("0.0E+00"), EFormatError);
  EXPECT_EQ(FEdit->DisplayFormat(), "0, frags;(0)");
  EXPECT_EQ(Text(*FEdit), "3 frags");
}

// --- typing -------------------------------------------------------------------------------

TEST_F(FloatEditTest, LettersAndOtherCharactersHaveNoEffect) {
  EXPECT_EQ(Typed("abcXYZ +*/(),;%"), "");
  EXPECT_EQ(Typed("1a2B3"), "123");
}

TEST_F(FloatEditTest, DigitsMinusAndTheDecimalSeparatorPass) {
  EXPECT_EQ(Typed("0123456789-."), "0123456789-.");
  FEdit->clear();
  QTest::keyClick(FEdit, Qt::Key_7, Qt::KeypadModifier);
  EXPECT_EQ(Text(*FEdit), "7");
}

TEST_F(FloatEditTest, TheDecimalSeparatorIsTheLocalesOne) {
  TFormatSettingsScope german(',', ".");
  EXPECT_EQ(Typed("1.5"), "15");
  EXPECT_EQ(Typed("1,5"), "1,5");
}

TEST_F(FloatEditTest, BackspaceAndCursorKeysWork) {
  Typed("123");
  QTest::keyClick(FEdit, Qt::Key_Backspace);
  EXPECT_EQ(Text(*FEdit), "12");
  QTest::keyClick(FEdit, Qt::Key_Home);
  QTest::keyClick(FEdit, Qt::Key_Delete);
  QTest::keyClick(FEdit, Qt::Key_9);
  EXPECT_EQ(Text(*FEdit), "92");
  QTest::keyClick(FEdit, Qt::Key_End);
  QTest::keyClick(FEdit, Qt::Key_Left, Qt::ShiftModifier);
  EXPECT_EQ(FEdit->selectedText(), QString("2"));
}

TEST_F(FloatEditTest, CopyCutAndPastePass) {
  QApplication::clipboard()->clear();
  Typed("42");
  FEdit->selectAll();
  QTest::keyClick(FEdit, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QString("42"));
  QTest::keyClick(FEdit, Qt::Key_X, Qt::ControlModifier);
  EXPECT_EQ(Text(*FEdit), "");
  QTest::keyClick(FEdit, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(FEdit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Text(*FEdit), "4242");
}

TEST_F(FloatEditTest, OtherControlCharactersAreSwallowed) {
  Typed("42");
  QTest::keyClick(FEdit, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(FEdit->selectedText(), QString());
  QTest::keyClick(FEdit, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Text(*FEdit), "42");
  QTest::keyClick(FEdit, Qt::Key_1, Qt::AltModifier);
  EXPECT_EQ(Text(*FEdit), "42");
}

// --- entering and leaving -----------------------------------------------------------------

TEST_F(FloatEditTest, EnteringSelectsTheWholeText) {
  FEdit->SetValue(25);
  Activate();
  Enter();
  EXPECT_EQ(FEdit->selectedText(), QString("25 frags"));
  // Typing replaces it.
  QTest::keyClicks(FEdit, "30");
  EXPECT_EQ(Text(*FEdit), "30");
}

TEST_F(FloatEditTest, TheFirstFocusOfAShownWindowEntersToo) {
  FEdit->SetValue(25);
  FWindow.show();
  FWindow.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&FWindow));
  ASSERT_TRUE(FEdit->hasFocus());
  EXPECT_EQ(FEdit->selectedText(), QString("25 frags"));

  // A window shown again, as a dialog that is reused, is entered again. (The offscreen
  // platform does not activate a window shown a second time, so the events are sent.)
  QTest::keyClick(FEdit, Qt::Key_End);
  QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(FEdit, &out);
  QHideEvent hidden;
  QApplication::sendEvent(FEdit, &hidden);
  QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(FEdit, &in);
  EXPECT_EQ(FEdit->selectedText(), QString("25 frags"));
}

TEST_F(FloatEditTest, EnteringByMouseSelectsTheWholeTextToo) {
  FEdit->SetValue(25);
  Activate();
  FOther->setFocus();
  QTest::mouseClick(FEdit, Qt::LeftButton, Qt::NoModifier, FEdit->rect().center());
  QApplication::processEvents();
  ASSERT_TRUE(FEdit->hasFocus());
  EXPECT_EQ(FEdit->selectedText(), QString("25 frags"));
}

TEST_F(FloatEditTest, LeavingReadsTheNumberAndShowsItFormatted) {
  Activate();
  Enter();
  QTest::keyClicks(FEdit, "1234");
  QSignalSpy valueChanged(FEdit, &TFloatEdit::valueChanged);
  Leave();
  EXPECT_EQ(FEdit->Value(), 1234.0L);
  EXPECT_EQ(Text(*FEdit), "1,234 frags");
  EXPECT_EQ(valueChanged.count(), 0);  // the value was there already
  EXPECT_EQ(FDialogs.Beeps, 0);
}

TEST_F(FloatEditTest, TheValueFollowsTheTextAsItIsTyped) {
  // Keys typed over the selected "15 frags"; "\b" is Backspace. A text without a number
  // stands for the value leaving would show again.
  const struct {
    const char* Keys;
    const char* Shown;
    long double Value;
  } cases[] = {
      {"25", "25", 25}, {"2\b", "", 15}, {"-", "-", 15}, {"-4", "-4", -4}, {"7.5", "7.5", 7.5},
  };
  Activate();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Keys);
    FEdit->SetValue(15);
    Enter();
    QSignalSpy valueChanged(FEdit, &TFloatEdit::valueChanged);
    for (const char* key = c.Keys; *key != '\0'; ++key) {
      if (*key == '\b') {
        QTest::keyClick(FEdit, Qt::Key_Backspace);
      } else {
        QTest::keyClicks(FEdit, QString(QChar::fromLatin1(*key)));
      }
    }
    EXPECT_EQ(Text(*FEdit), c.Shown);
    EXPECT_EQ(FEdit->Value(), c.Value);
    const long double reported =
        valueChanged.isEmpty() ? 15 : valueChanged.back().front().toDouble();
    EXPECT_EQ(reported, c.Value);
    Leave();
  }
}

TEST_F(FloatEditTest, PastedLettersAreDroppedOnLeaving) {
  Activate();
  Enter();
  QApplication::clipboard()->setText("12abc34 xyz");
  QTest::keyClick(FEdit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Text(*FEdit), "12abc34 xyz");
  Leave();
  EXPECT_EQ(FEdit->Value(), 1234.0L);
  EXPECT_EQ(Text(*FEdit), "1,234 frags");
}

TEST_F(FloatEditTest, AnEmptiedEditBeepsAndShowsTheOldValueAgain) {
  FEdit->SetValue(15);
  Activate();
  Enter();
  QSignalSpy valueChanged(FEdit, &TFloatEdit::valueChanged);
  QTest::keyClick(FEdit, Qt::Key_Backspace);
  EXPECT_EQ(Text(*FEdit), "");
  Leave();
  EXPECT_EQ(FDialogs.Beeps, 1);
  EXPECT_EQ(FEdit->Value(), 15.0L);
  EXPECT_EQ(Text(*FEdit), "15 frags");
  EXPECT_EQ(valueChanged.count(), 0);
}

TEST_F(FloatEditTest, FiveInParenthesesIsMinusFive) {
  FEdit->SetValue(-3);
  ASSERT_EQ(Text(*FEdit), "(3)");
  Activate();
  Enter();
  // "(" cannot be typed, but the shown parentheses can be kept.
  QTest::keyClick(FEdit, Qt::Key_Home);
  QTest::keyClick(FEdit, Qt::Key_Right);
  QTest::keyClick(FEdit, Qt::Key_Delete);
  QTest::keyClick(FEdit, Qt::Key_5);
  EXPECT_EQ(Text(*FEdit), "(5)");
  Leave();
  EXPECT_EQ(FEdit->Value(), -5.0L);
  EXPECT_EQ(Text(*FEdit), "(5)");
}

TEST_F(FloatEditTest, MinusTypedAnywhereMakesItNegative) {
  Activate();
  Enter();
  QTest::keyClicks(FEdit, "12-");
  Leave();
  EXPECT_EQ(FEdit->Value(), -12.0L);
  EXPECT_EQ(Text(*FEdit), "(12)");
}

TEST_F(FloatEditTest, DecimalsAreReadWithTheLocalesSeparator) {
  TFormatSettingsScope german(',', ".");
  FEdit->SetDisplayFormat("0.0, minutes;(0.0)");
  Activate();
  Enter();
  QTest::keyClicks(FEdit, "1234,56");
  Leave();
  EXPECT_EQ(FEdit->Value(), 1234.56L);
  EXPECT_EQ(Text(*FEdit), "1.234,6 minutes");
}

TEST_F(FloatEditTest, LosingTheWindowOrOpeningAMenuIsNotLeaving) {
  Activate();
  Enter();
  QTest::keyClicks(FEdit, "99");
  for (const Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason}) {
    QFocusEvent out(QEvent::FocusOut, reason);
    QApplication::sendEvent(FEdit, &out);
    EXPECT_EQ(Text(*FEdit), "99");
    EXPECT_EQ(FEdit->Value(), 99.0L);
    // Coming back is not entering: the text is not selected again.
    QFocusEvent in(QEvent::FocusIn, reason);
    QApplication::sendEvent(FEdit, &in);
    EXPECT_EQ(FEdit->selectedText(), QString());
  }
  Leave();
  EXPECT_EQ(FEdit->Value(), 99.0L);
}

TEST_F(FloatEditTest, ReturnReadsTheNumberBeforeTheDialogActs) {
  QDialog dialog;
  auto* layout = new QVBoxLayout(&dialog);
  auto* edit = new TFloatEdit(&dialog);
  auto* ok = new QPushButton("OK", &dialog);
  layout->addWidget(edit);
  layout->addWidget(ok);
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  edit->SetDisplayFormat("0 MB;0 MB");
  long double accepted = -1;
  QObject::connect(&dialog, &QDialog::accepted, [&] { accepted = edit->Value(); });
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  ASSERT_TRUE(edit->hasFocus());
  QTest::keyClicks(edit, "32");
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(accepted, 32.0L);
  EXPECT_EQ(Text(*edit), "32 MB");
}

TEST_F(FloatEditTest, ApplyTextReadsWithoutLeaving) {
  FEdit->setText("(7)");
  FEdit->ApplyText();
  EXPECT_EQ(FEdit->Value(), -7.0L);
  EXPECT_EQ(Text(*FEdit), "(7)");
  FEdit->setText("frags");
  FEdit->ApplyText();
  EXPECT_EQ(FDialogs.Beeps, 1);
  EXPECT_EQ(Text(*FEdit), "(7)");
}

}  // namespace
}  // namespace fx
