#include "ui/QtUserDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QStringList>

#include <vector>

namespace fx {

namespace {

std::vector<std::string_view> SplitAt(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  for (;;) {
    const auto pos = text.find(separator);
    parts.push_back(text.substr(0, pos));
    if (pos == std::string_view::npos) return parts;
    text.remove_prefix(pos + 1);
  }
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

QString QtPatterns(std::string_view windowsPatterns) {
  QStringList patterns;
  for (const auto part : SplitAt(windowsPatterns, ';')) {
    const auto pattern = Trimmed(part);
    if (pattern.empty()) continue;
    patterns << (pattern == "*.*" ? QStringLiteral("*") : QString::fromUtf8(pattern));
  }
  if (patterns.isEmpty()) patterns << QStringLiteral("*");
  return patterns.join(QLatin1Char(' '));
}

QString FromPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

std::optional<std::string> ToPath(const QString& chosen) {
  if (chosen.isEmpty()) return std::nullopt;
  return QFile::encodeName(chosen).toStdString();
}

QString StartFolder(const std::string& start) {
  return start.empty() ? QDir::homePath() : FromPath(start);
}

QString DialogCaption(const std::string& caption) {
  if (!caption.empty()) return QString::fromStdString(caption);
  const QString name = QApplication::applicationDisplayName();
  return name.isEmpty() ? QStringLiteral("Fraxinel") : name;
}

}  // namespace

QString QtFileFilter(std::string_view windowsFilter) {
  const auto parts = SplitAt(windowsFilter, '|');
  QStringList filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    const auto description = Trimmed(parts[i]);
    if (description.empty() && Trimmed(parts[i + 1]).empty()) continue;
    QString filter = QString::fromUtf8(description);
    if (!filter.isEmpty()) filter += QLatin1Char(' ');
    filters << filter + QLatin1Char('(') + QtPatterns(parts[i + 1]) + QLatin1Char(')');
  }
  return filters.join(QStringLiteral(";;"));
}

QMessageBox::Icon MessageBoxIcon(TMsgIcon icon) {
  switch (icon) {
    case TMsgIcon::Information:
      return QMessageBox::Information;
    case TMsgIcon::Warning:
      return QMessageBox::Warning;
    case TMsgIcon::Error:
    case TMsgIcon::Stop:
      return QMessageBox::Critical;
    case TMsgIcon::Question:
      return QMessageBox::Question;
    case TMsgIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons MessageBoxButtons(TMsgButtons buttons) {
  switch (buttons) {
    case TMsgButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case TMsgButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case TMsgButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case TMsgButtons::Ok:
      break;
  }
  return QMessageBox::Ok;
}

QMessageBox::StandardButton MessageBoxButton(TMsgResult result) {
  switch (result) {
    case TMsgResult::Cancel:
      return QMessageBox::Cancel;
    case TMsgResult::Yes:
      return QMessageBox::Yes;
    case TMsgResult::No:
      return QMessageBox::No;
    case TMsgResult::Ok:
      break;
  }
  return QMessageBox::Ok;
}

TMsgResult MessageResult(QMessageBox::StandardButton clicked, TMsgButtons offered) {
  const QMessageBox::StandardButtons buttons = MessageBoxButtons(offered);
  for (const TMsgResult result :
       {TMsgResult::Ok, TMsgResult::Cancel, TMsgResult::Yes, TMsgResult::No}) {
    if (clicked == MessageBoxButton(result) && buttons.testFlag(clicked)) return result;
  }
  if (buttons.testFlag(QMessageBox::Cancel)) return TMsgResult::Cancel;
  if (buttons.testFlag(QMessageBox::No)) return TMsgResult::No;
  return TMsgResult::Ok;
}

std::unique_ptr<QMessageBox> CreateMessageBox(const TMessage& message, QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(parent);
  box->setWindowTitle(DialogCaption(message.Caption));
  box->setTextFormat(Qt::PlainText);
  box->setText(QString::fromStdString(message.Text));
  box->setIcon(MessageBoxIcon(message.Icon));
  box->setStandardButtons(MessageBoxButtons(message.Buttons));
  const QMessageBox::StandardButton preferred = MessageBoxButton(message.DefaultButton);
  if (box->standardButtons().testFlag(preferred)) box->setDefaultButton(preferred);
  return box;
}

TQtUserDialogs::TQtUserDialogs(QWidget* parent) : FParent(parent) {}

TMsgResult TQtUserDialogs::ShowMessage(const TMessage& message) {
  const auto box = CreateMessageBox(message, FParent);
  box->exec();
  return MessageResult(box->standardButton(box->clickedButton()), message.Buttons);
}

void TQtUserDialogs::Beep() {
  QApplication::beep();
}

std::optional<std::string> TQtUserDialogs::ChooseFolder(const std::string& title,
                                                        const std::string& start) {
  return ToPath(QFileDialog::getExistingDirectory(FParent, QString::fromStdString(title),
                                                  StartFolder(start)));
}

std::optional<std::string> TQtUserDialogs::ChooseOpenFile(const std::string& title,
                                                          const std::string& filter,
                                                          const std::string& start) {
  return ToPath(QFileDialog::getOpenFileName(FParent, QString::fromStdString(title),
                                             StartFolder(start), QtFileFilter(filter)));
}

std::optional<std::string> TQtUserDialogs::ChooseSaveFile(const std::string& title,
                                                          const std::string& filter,
                                                          const std::string& start) {
  // QFileDialog asks before it overwrites unless told not to.
  return ToPath(QFileDialog::getSaveFileName(FParent, QString::fromStdString(title),
                                             StartFolder(start), QtFileFilter(filter)));
}

}  // namespace fx
