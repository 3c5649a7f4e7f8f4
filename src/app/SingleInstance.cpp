// One instance per user and data folder over QLocalServer / QLocalSocket.
#include "app/SingleInstance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

namespace gui {

QString SingleInstance::KeyFor(const std::string& dataFolder) {
  const QByteArray id = QByteArray::number(static_cast<qulonglong>(::getuid())) + '\n' +
                        QByteArray::fromStdString(dataFolder);
  return "ovaruz-" +
         QString::fromLatin1(QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(16));
}

SingleInstance::SingleInstance(const std::string& dataFolder, QObject* parent) : QObject(parent) {
  const QString key = KeyFor(dataFolder);
  server_ = new QLocalServer(this);
  // Default socket options: with access options Qt replaces an existing socket file instead of
  // failing, and a second instance would take the name from the first.
  first_ = server_->listen(key);
  if (!first_) {
    // The name is taken: either a running instance answers, or a crashed one left its socket.
    QLocalSocket probe;
    probe.connectToServer(key);
    if (probe.waitForConnected(1000)) {
      probe.write("show\n");
      probe.waitForBytesWritten(1000);
      probe.disconnectFromServer();
      return;
    }
    QLocalServer::removeServer(key);
    first_ = server_->listen(key);
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* peer = server_->nextPendingConnection()) {
      connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
      emit activationRequested();
    }
  });
}

SingleInstance::~SingleInstance() = default;

}  // namespace gui
