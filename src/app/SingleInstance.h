// SingleInstance: one running program per user and data folder, through a local socket. The
// first instance listens; a later one asks it to come forward and learns that it must end.
#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <string>

class QLocalServer;

namespace gui {

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  // The key is made of the user and the data folder.
  explicit SingleInstance(const std::string& dataFolder, QObject* parent = nullptr);
  ~SingleInstance() override;
  // True when no other instance runs (this one now listens); false when another was asked to
  // come forward.
  bool IsFirst() const { return first_; }
  static QString KeyFor(const std::string& dataFolder);

 signals:
  void activationRequested();

 private:
  QLocalServer* server_ = nullptr;
  bool first_ = false;
};

}  // namespace gui
