#include "plotvane/InstanceChannel.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalSocket>

namespace vg28::plotvane {

namespace {

const QByteArray kReloadRequest = "update\n";
const QByteArray kReloadDone = "ok\n";
constexpr int kRequestTimeoutMs = 2000;

QString CanonicalPath(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

InstanceChannel::InstanceChannel(QObject* parent) : QObject(parent) {
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceChannel::Answer);
}

QString InstanceChannel::ServerNameFor(const QString& scriptPath) {
    const QByteArray hash =
        QCryptographicHash::hash(CanonicalPath(scriptPath).toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(32);
    return QStringLiteral("plotvane-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

bool InstanceChannel::AskToReload(const QString& scriptPath, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(ServerNameFor(scriptPath));
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(kReloadRequest);
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    QByteArray reply;
    while (!reply.contains('\n')) {
        if (!socket.waitForReadyRead(timeoutMs)) return false;
        reply += socket.readAll();
    }
    return reply == kReloadDone;
}

bool InstanceChannel::Listen(const QString& scriptPath) {
    m_server.close();
    const QString name = ServerNameFor(scriptPath);
    // No socket options: with them the server is made elsewhere and renamed into place, which
    // would replace a live viewer's socket instead of failing.
    if (m_server.listen(name)) return true;
    if (m_server.serverError() != QAbstractSocket::AddressInUseError) return false;
    // The name is taken: by a live viewer, which keeps it, or by a socket file left behind.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(kRequestTimeoutMs)) return false;
    QLocalServer::removeServer(name);
    return m_server.listen(name);
}

void InstanceChannel::Answer() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->property("answered").toBool()) return;
            const QByteArray request = socket->peek(kReloadRequest.size());
            if (!request.contains('\n')) return;
            socket->readAll();
            socket->setProperty("answered", true);
            if (request == kReloadRequest) {
                socket->write(kReloadDone);
                emit ReloadRequested();
            } else {
                socket->write("unknown\n");
            }
            socket->flush();
        });
    }
}

}  // namespace vg28::plotvane
