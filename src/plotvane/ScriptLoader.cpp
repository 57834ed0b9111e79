#include "plotvane/ScriptLoader.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QtConcurrent/QtConcurrentRun>
#include <string>

namespace vg28::plotvane {

namespace {

constexpr int kFileSettleMs = 500;

char DecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x80) return point.at(0).toLatin1();
    return ',';
}

}  // namespace

ScriptLoader::ScriptLoader(QObject* parent) : QObject(parent), m_reader(DecimalSeparator()) {
    connect(&m_reading, &QFutureWatcher<std::shared_ptr<ReadResult>>::finished, this,
            &ScriptLoader::ReadDone);
    m_fileSettle.setSingleShot(true);
    m_fileSettle.setInterval(kFileSettleMs);
    connect(&m_fileSettle, &QTimer::timeout, this, &ScriptLoader::CheckScriptChanged);
    connect(&m_fileWatcher, &QFileSystemWatcher::fileChanged, this,
            [this] { m_fileSettle.start(); });
    connect(&m_fileWatcher, &QFileSystemWatcher::directoryChanged, this,
            [this] { m_fileSettle.start(); });
}

ScriptLoader::~ScriptLoader() {
    m_reading.waitForFinished();
}

void ScriptLoader::Open(const QString& path) {
    m_path = path;
    m_keepView = false;
    WatchScript();
    StartRead();
}

void ScriptLoader::Reload() {
    if (m_path.isEmpty()) return;
    m_keepView = true;
    StartRead();
}

void ScriptLoader::SetWatchFile(bool watch) {
    m_watchFile = watch;
    WatchScript();
}

void ScriptLoader::StartRead() {
    if (m_reading.isRunning()) {
        m_readAgain = true;
        return;
    }
    m_loadedStamp = FileStamp();
    const std::string path = QFile::encodeName(m_path).toStdString();
    const GraphScriptReader reader = m_reader;
    emit ReadStarted(m_path);
    m_reading.setFuture(QtConcurrent::run(
        [reader, path] { return std::make_shared<ReadResult>(reader.ReadFile(path)); }));
}

void ScriptLoader::ReadDone() {
    const std::shared_ptr<ReadResult> result = m_reading.result();
    if (m_readAgain) {
        m_readAgain = false;
        StartRead();
        return;
    }
    emit ReadFinished(result);
}

void ScriptLoader::WatchScript() {
    if (!m_fileWatcher.files().isEmpty()) m_fileWatcher.removePaths(m_fileWatcher.files());
    if (!m_fileWatcher.directories().isEmpty())
        m_fileWatcher.removePaths(m_fileWatcher.directories());
    if (!m_watchFile || m_path.isEmpty()) return;
    const QFileInfo info(m_path);
    // The folder too: a script replaced by renaming is a new file the old watch does not see.
    m_fileWatcher.addPath(info.absolutePath());
    if (info.exists()) m_fileWatcher.addPath(info.absoluteFilePath());
}

QString ScriptLoader::FileStamp() const {
    const QFileInfo info(m_path);
    if (!info.exists()) return QString();
    return QStringLiteral("%1/%2").arg(info.lastModified().toMSecsSinceEpoch()).arg(info.size());
}

// Reloads only when the script itself changed: its folder also holds the project file and
// the log, which change all the time.
void ScriptLoader::CheckScriptChanged() {
    if (!m_watchFile || m_path.isEmpty()) return;
    const QFileInfo info(m_path);
    if (info.exists() && !m_fileWatcher.files().contains(info.absoluteFilePath()))
        m_fileWatcher.addPath(info.absoluteFilePath());
    const QString stamp = FileStamp();
    if (!stamp.isEmpty() && stamp != m_loadedStamp) Reload();
}

}  // namespace vg28::plotvane
