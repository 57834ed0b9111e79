#pragma once
// One viewer per graph script: the window showing a script listens on a local socket named
// after the script's path, and a viewer started with "update" for that script asks it to reload
// instead of opening a second window. Failures are results: Listen and AskToReload return false,
// and the caller then simply shows its own window.

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace vg28::plotvane {

class InstanceChannel : public QObject {
    Q_OBJECT
public:
    explicit InstanceChannel(QObject* parent = nullptr);

    // The socket name of a script: the user and a hash of its absolute path, short enough for
    // any platform's socket names.
    static QString ServerNameFor(const QString& scriptPath);

    // Asks the viewer showing scriptPath to reload it; true once that viewer confirmed.
    static bool AskToReload(const QString& scriptPath, int timeoutMs = 3000);

    // Serves scriptPath from now on (a name left behind by a crashed viewer is taken over); false
    // when another live viewer already serves it.
    bool Listen(const QString& scriptPath);
    bool IsListening() const { return m_server.isListening(); }

signals:
    void ReloadRequested();

private:
    void Answer();

    QLocalServer m_server;
};

}  // namespace vg28::plotvane
