#pragma once
// Reading the viewer's script: off the GUI thread, again on request, and again whenever the file
// is rewritten (the terminal replaces it by renaming). A read asked for while one runs follows
// once that one ends, so what is handed over is always the newest file. Owns the path, the
// reader and the file watch. Nothing fails here: a script that cannot be read is a ReadResult
// with its error, handed over like any other.

#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "plotvane/core/GraphScriptReader.h"

namespace vg28::plotvane {

class ScriptLoader : public QObject {
    Q_OBJECT
public:
    explicit ScriptLoader(QObject* parent = nullptr);
    // Waits for a read under way.
    ~ScriptLoader() override;

    // Reads path as a new script.
    void Open(const QString& path);
    // Reads the script's path again.
    void Reload();
    // Reloads whenever the script file is rewritten (on by default).
    void SetWatchFile(bool watch);

    const QString& Path() const { return m_path; }
    // Whether the latest request was a reload, whose result keeps what the operator looks at.
    bool KeepsView() const { return m_keepView; }

signals:
    // A read of Path() has started.
    void ReadStarted(const QString& path);
    // The result of the latest read.
    void ReadFinished(std::shared_ptr<ReadResult> result);

private:
    void StartRead();
    void ReadDone();
    void WatchScript();
    void CheckScriptChanged();
    QString FileStamp() const;

    QString m_path;
    GraphScriptReader m_reader;
    QFutureWatcher<std::shared_ptr<ReadResult>> m_reading;
    bool m_readAgain = false;
    bool m_keepView = false;
    QFileSystemWatcher m_fileWatcher;
    QTimer m_fileSettle;
    bool m_watchFile = true;
    QString m_loadedStamp;  // modification time and size when last read
};

}  // namespace vg28::plotvane
