// Helpers of the GUI tests: files written and read whole, a temporary data folder, a recorder
// that answers message boxes, and driving a modal dialog from the event loop without ever waiting
// for a person.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/DataFolder.h"
#include "dialogs/GuiText.h"
#include "zip/Prompts.h"

namespace testsupport {

// Writes text to path, creating its folders.
inline void WriteText(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A fresh data folder made current for the lifetime of the object.
class TempDataFolder {
 public:
  TempDataFolder() { core::SetDataFolderOverride(gui::S(dir_.path())); }
  ~TempDataFolder() { core::SetDataFolderOverride(""); }
  core::DataFolder Folder() const { return core::DataFolder(gui::S(dir_.path())); }
  std::string Path(const char* name) const { return gui::S(dir_.filePath(QLatin1String(name))); }
  QString Dir() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
};

// Records every message box and answers it with answer (OK boxes always get OK).
struct MessageRecorder {
  struct Box {
    std::string text;
    std::string caption;
    zip::MsgKind kind;
    zip::MsgButtons buttons;
  };
  std::vector<Box> boxes;
  zip::MsgResult answer = zip::MsgResult::OK;

  MessageRecorder() {
    zip::SetMessageBoxHandler([this](const std::string& text, const std::string& caption,
                                     zip::MsgKind kind, zip::MsgButtons buttons) {
      boxes.push_back({text, caption, kind, buttons});
      return buttons == zip::MsgButtons::OK ? zip::MsgResult::OK : answer;
    });
  }
  ~MessageRecorder() { zip::SetMessageBoxHandler({}); }
  // The texts shown since the last call, then forgets them.
  std::vector<std::string> Take() {
    std::vector<std::string> texts;
    for (const Box& b : boxes) texts.push_back(b.text);
    boxes.clear();
    return texts;
  }
};

// Once a modal dialog of type T is open, runs act on it; polls for up to two seconds. A dialog
// that act leaves open (a failed check inside it) is rejected three seconds later, so a failing
// test ends instead of hanging.
template <typename T>
void WhenModal(std::function<void(T*)> act) {
  auto* timer = new QTimer(QCoreApplication::instance());
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, timer, [timer, act, tries = 0]() mutable {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (dialog == nullptr && ++tries < 200) return;
    timer->stop();
    timer->deleteLater();
    if (dialog == nullptr) return;
    QPointer<T> guard(dialog);
    act(dialog);
    QTimer::singleShot(3000, [guard] {
      if (guard && guard->isVisible()) guard->reject();
    });
  });
  timer->start();
}

// The child of w with that object name and type; fails the test when there is none.
template <typename T>
T* Child(QWidget* w, const char* name) {
  T* child = w->findChild<T*>(QLatin1String(name));
  if (child == nullptr) qFatal("no child %s", name);
  return child;
}

}  // namespace testsupport
