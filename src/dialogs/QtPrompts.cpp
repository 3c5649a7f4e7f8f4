// Qt dialogs behind the prompts seam, and the runs' prompts on top of it.
#include "dialogs/QtPrompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QRegularExpression>

#include "dialogs/GuiText.h"
#include "dialogs/TMsgForm.h"

namespace gui {

namespace {

QMessageBox::Icon KindIcon(zip::MsgKind kind) {
  switch (kind) {
    case zip::MsgKind::Information:
      return QMessageBox::Information;
    case zip::MsgKind::Warning:
      return QMessageBox::Warning;
    case zip::MsgKind::Error:
      return QMessageBox::Critical;
    case zip::MsgKind::Confirmation:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

zip::MsgResult AskWithMessageBox(const std::string& text, const std::string& caption,
                                 zip::MsgKind kind, zip::MsgButtons buttons) {
  QMessageBox box(KindIcon(kind), Q(caption), MessageText(text), QMessageBox::NoButton,
                  QApplication::activeWindow());
  switch (buttons) {
    case zip::MsgButtons::OK:
      box.setStandardButtons(QMessageBox::Ok);
      box.setDefaultButton(QMessageBox::Ok);
      box.setEscapeButton(QMessageBox::Ok);
      break;
    case zip::MsgButtons::OKCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Ok);
      break;
    case zip::MsgButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::Yes);
      break;
    case zip::MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Yes);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Ok:
      return zip::MsgResult::OK;
    case QMessageBox::Yes:
      return zip::MsgResult::Yes;
    case QMessageBox::No:
      return zip::MsgResult::No;
    default:
      // Escape or the close box on a Yes/No box counts as No.
      return buttons == zip::MsgButtons::YesNo ? zip::MsgResult::No : zip::MsgResult::Cancel;
  }
}

std::optional<std::string> AskWithFileDialog(const zip::FileDialogRequest& request) {
  QWidget* parent = QApplication::activeWindow();
  const QString title = Q(request.title);
  const QString dir = Q(request.initialDir);
  if (request.kind == zip::FileDialogRequest::Kind::Folder) {
    const QString chosen = QFileDialog::getExistingDirectory(parent, title, dir);
    if (chosen.isEmpty()) return std::nullopt;
    return S(chosen);
  }
  if (request.kind == zip::FileDialogRequest::Kind::OpenFiles) {
    const QStringList chosen = QFileDialog::getOpenFileNames(parent, title, dir);
    if (chosen.isEmpty()) return std::nullopt;
    return S(chosen.join(QLatin1Char('\n')));
  }
  const QString chosen =
      QFileDialog::getOpenFileName(parent, title, dir, QtFileFilter(request.filter));
  if (chosen.isEmpty()) return std::nullopt;
  return S(chosen);
}

}  // namespace

QString QtFileFilter(const std::string& filter) {
  const QStringList parts = Q(filter).split(QLatin1Char('|'));
  QStringList out;
  // A name that already shows its patterns in parentheses loses them: Qt reads the last
  // parenthesised group as the patterns.
  static const QRegularExpression shownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString name = parts[i];
    name.remove(shownPatterns);
    QStringList patterns;
    for (const QString& p : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      const QString pattern = p.trimmed();
      patterns << pattern;
      // Patterns match without regard to case, as on the platform the filters come from.
      if (pattern.toUpper() != pattern) patterns << pattern.toUpper();
    }
    out << QStringLiteral("%1 (%2)").arg(name.trimmed(), patterns.join(QLatin1Char(' ')));
  }
  return out.join(QStringLiteral(";;"));
}

std::vector<std::string> SplitChosenFiles(const std::string& answer) {
  std::vector<std::string> paths;
  std::size_t start = 0;
  while (start <= answer.size()) {
    const std::size_t end = answer.find('\n', start);
    const std::string path =
        answer.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!path.empty()) paths.push_back(path);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return paths;
}

void InstallQtDialogHandlers() {
  zip::SetMessageBoxHandler(AskWithMessageBox);
  zip::SetFileDialogHandler(AskWithFileDialog);
}

namespace {
std::string AppTitle() {
  return S(QGuiApplication::applicationDisplayName());
}
}  // namespace

void ShowMessage(const std::string& text, zip::MsgKind kind) {
  zip::ShowMessageBox(text, AppTitle(), kind, zip::MsgButtons::OK);
}

bool QtRunPrompts::AskYesNo(const std::string& text, core::QuestionKind kind) {
  const zip::MsgKind icon =
      kind == core::QuestionKind::Warning ? zip::MsgKind::Warning : zip::MsgKind::Information;
  return zip::ShowMessageBox(text, AppTitle(), icon, zip::MsgButtons::YesNo) == zip::MsgResult::Yes;
}

void QtRunPrompts::ShowInformation(const std::string& text) {
  ShowMessage(text, zip::MsgKind::Information);
}

void QtRunPrompts::ShowError(const std::string& text) {
  ShowMessage(text, zip::MsgKind::Error);
}

void QtRunPrompts::ShowTimedMessage(const std::string& text, core::MessageKind kind, int seconds) {
  gui::ShowTimedMessage(text, kind, seconds);
}

}  // namespace gui
