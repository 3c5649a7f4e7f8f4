// Opening the user guide at a context number's topic.
#include "dialogs/Help.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

namespace gui {

namespace {
std::function<void(int)>& Handler() {
  static std::function<void(int)> handler;
  return handler;
}
}  // namespace

void ShowHelp(int contextNumber) {
  if (Handler()) {
    Handler()(contextNumber);
    return;
  }
  QUrl url = QUrl::fromLocalFile(
      QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help/guide.html")));
  url.setFragment(QStringLiteral("context-%1").arg(contextNumber));
  QDesktopServices::openUrl(url);
}

void SetHelpHandler(std::function<void(int)> handler) {
  Handler() = std::move(handler);
}

}  // namespace gui
