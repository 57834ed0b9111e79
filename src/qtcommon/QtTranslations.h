#pragma once
// Qt's own texts (the file dialog, standard buttons, context menus, the title bars Qt makes) in
// Russian, the language of the program's own texts, so that no standard dialog speaks English
// beside them. Russian is loaded whatever the system language: a dialog half in the system's
// language and half in the program's would read worse than one in the program's language.
// The catalogue is looked for beside the program first (a package that brings its own), then
// in Qt's translations folder. The object owns the translator; it is installed from Install()
// until the object goes. A catalogue that cannot be found leaves Qt's texts in English.

#include <QString>
#include <QStringList>
#include <QTranslator>

namespace vg28 {

class QtTranslations {
public:
    static constexpr const char* kLanguage = "ru";
    static constexpr const char* kCatalogue = "qtbase";

    QtTranslations() = default;
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    // The folders searched for the catalogue, in order, for the program at executablePath.
    static QStringList SearchFolders(const QString& executablePath);

    // Loads the catalogue from the first folder that has it and installs it into the
    // application; false when no folder has it.
    bool Install(const QString& executablePath);

    // The file loaded, empty before Install or when none was found.
    const QString& LoadedFile() const { return m_loadedFile; }

private:
    QTranslator m_translator;
    QString m_loadedFile;
};

}  // namespace vg28
