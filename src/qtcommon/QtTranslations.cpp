#include "qtcommon/QtTranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>

namespace vg28 {

QStringList QtTranslations::SearchFolders(const QString& executablePath) {
    QStringList folders;
    const auto add = [&folders](const QString& folder) {
        const QString clean = QDir::cleanPath(folder);
        if (!folder.isEmpty() && !folders.contains(clean)) folders << clean;
    };
    if (!executablePath.isEmpty()) {
        const QDir beside = QFileInfo(executablePath).absoluteDir();
        add(beside.filePath(QStringLiteral("translations")));
        add(beside.filePath(QStringLiteral("../share/qt6/translations")));
    }
    add(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return folders;
}

bool QtTranslations::Install(const QString& executablePath) {
    if (!m_loadedFile.isEmpty()) return true;
    const QString name =
        QString::fromLatin1(kCatalogue) + QLatin1Char('_') + QString::fromLatin1(kLanguage);
    for (const QString& folder : SearchFolders(executablePath)) {
        if (!m_translator.load(name, folder)) continue;
        if (!QCoreApplication::installTranslator(&m_translator)) return false;
        m_loadedFile = m_translator.filePath();
        return true;
    }
    return false;
}

}  // namespace vg28
