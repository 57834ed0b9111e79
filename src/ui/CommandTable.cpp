#include "ui/CommandTable.h"

#include <cstring>

#include "base/StringIds.h"
#include "base/StringTable.h"
#include "session/CommandIds.h"

namespace vg28::ui {

const std::vector<CommandInfo>& CommandTable::Commands() {
    static const std::vector<CommandInfo> table = {
        {cmd::kChooseProject, "&Открыть / Новый...", "Ctrl+O", "Открыть / создать проект", ""},
        {cmd::kEditProject, "&Изменить...", "", "Изменить параметры проекта", ""},
        {cmd::kClearInstrument, "О&чистить", "", "Стереть проект в VG-28", ""},
        {cmd::kExportMarked, "&Корректных значений", "", "Экспорт записей в .txt или .csv файл",
         ""},
        {cmd::kExportAll, "&Всех записей", "", "Экспорт всех записей в .txt или .csv файл", ""},
        {cmd::kDataViewer, "&Data Viewer", "Ctrl+G", "Графики", "Запуск Data Viewer"},
        {cmd::kSensorDatabase, "База датчиков...", "", "База датчиков", ""},
        {cmd::kExit, "&Выход", "Alt+X", "Выход из программы", ""},
        {cmd::kShowControlPanel, "Панель &управления", "Ctrl+P", "Таблица режима работы", ""},
        {cmd::kShowRecordTable, "&Таблица записей", "Ctrl+T", "Просмотр записей в виде таблицы",
         "Таблица записей"},
        {cmd::kTableModeFull, "&Полная", "", "Все данные", ""},
        {cmd::kTableModeTypical, "", "", "Типичные", ""},
        {cmd::kTableModeCustom, "По &выбору", "", "По выбору", ""},
        {cmd::kTableModeDiagnostics, "Режим &диагностики", "", "Диагностика", ""},
        {cmd::kColumnChoice, "&Выбор столбцов...", "", "Выбор столбцов для просмотра", ""},
        {cmd::kPanelCurrent, "Просмотр &текущих измерений", "", "Текущие значения", ""},
        {cmd::kPanelLastRecord, "Последняя &запись", "", "Последняя запись", ""},
        {cmd::kShowStartWindow, "Показывать стартовое окно", "", "Показывать стартовое окно", ""},
        {cmd::kConnect, "&Синхронизция проекта", "F2", "Синхронизация проекта с VG-28",
         "Синхронизация"},
        {cmd::kSelectDevice, "&Переключить на следующий VG-28", "", "Подключение к следующей VG-28",
         ""},
        {cmd::kDisconnect, "О&тключиться", "", "Отключиться от VG-28", ""},
        {cmd::kModeView, "Режим просмотра", "", "Просмотр текущих значений", ""},
        {cmd::kModeRecord, "Режим записи", "", "Режим записи", ""},
        {cmd::kModeStop, "Остановка проекта", "", "Остановка пректа", ""},
        {cmd::kDownload, "&Скачать записи", "", "Скачать записи", ""},
        {cmd::kAutoDownload, "&Автоматическое скачивание записей", "",
         "Периодическое скачивание записей", ""},
        {cmd::kTimeSync, "Синхронизация &времени", "", "Синхронизация времени PC и VG-28",
         "Синхронизация времени"},
        {cmd::kFormatMemory, "Форматирование памяти", "", "Форматирование памяти VG-28", ""},
        {cmd::kConnectionSettings, "&Установки соединения...", "",
         "Изменить настройки соединения с VG-28", ""},
        {cmd::kAbout, "&О программе", "", "Информация о программе, номер версии и авторские права",
         ""},
        {cmd::kHelp, "", "F1", "Показать помощь", ""},
    };
    return table;
}

const CommandInfo* CommandTable::Find(int id) {
    for (const CommandInfo& info : Commands())
        if (info.id == id) return &info;
    return nullptr;
}

const std::vector<MenuInfo>& CommandTable::Menus() {
    static const std::vector<MenuInfo> menus = {
        {"&Проект",
         {{cmd::kChooseProject},
          {cmd::kEditProject},
          {cmd::kClearInstrument},
          {0},
          {-1, "&Экспорт...", {{cmd::kExportMarked}, {cmd::kExportAll}, {cmd::kDataViewer}}},
          {0},
          {cmd::kSensorDatabase},
          {0},
          {cmd::kExit}}},
        {"П&росмотр",
         {{cmd::kShowControlPanel},
          {cmd::kShowRecordTable},
          {0},
          {-1,
           "Вид таблицы &записей",
           {{cmd::kTableModeFull},
            {cmd::kTableModeCustom},
            {cmd::kTableModeDiagnostics},
            {0},
            {cmd::kColumnChoice}}},
          {-1, "Вид &панели управления", {{cmd::kPanelCurrent}, {cmd::kPanelLastRecord}}},
          {0},
          {cmd::kShowStartWindow}}},
        {"V&G-28",
         {{cmd::kConnect},
          {cmd::kDisconnect},
          {cmd::kSelectDevice},
          {0},
          {cmd::kModeView},
          {cmd::kModeRecord},
          {cmd::kModeStop},
          {0},
          {cmd::kDownload},
          {cmd::kAutoDownload},
          {cmd::kTimeSync},
          {0},
          {cmd::kFormatMemory},
          {0},
          {cmd::kConnectionSettings}}},
        {"&?", {{cmd::kAbout}}},
    };
    return menus;
}

const std::vector<int>& CommandTable::Toolbar() {
    static const std::vector<int> toolbar = {cmd::kChooseProject,
                                             cmd::kEditProject,
                                             0,
                                             cmd::kSensorDatabase,
                                             0,
                                             cmd::kShowControlPanel,
                                             cmd::kShowRecordTable,
                                             0,
                                             cmd::kPanelCurrent,
                                             cmd::kPanelLastRecord,
                                             0,
                                             cmd::kConnect,
                                             0,
                                             cmd::kDownload,
                                             0,
                                             cmd::kTimeSync,
                                             0,
                                             cmd::kModeView,
                                             cmd::kModeRecord,
                                             cmd::kModeStop,
                                             0,
                                             cmd::kDataViewer};
    return toolbar;
}

QString CommandTable::IdlePrompt() {
    return QString::fromUtf8(std::string(StringTable::Get(ids::kReady)).c_str());
}

QString CommandTable::WindowCommandPrompt(const char* command) {
    static const struct {
        const char* command;
        const char* prompt;
    } prompts[] = {
        {"size", "Изменить размер окна"},
        {"move", "Изменить позицию окна"},
        {"minimize", "Уменьшить до иконки"},
        {"maximize", "Полный экран"},
        {"close", "Закрыть активное окно"},
        {"restore", "Восстановить окно до нормального размера"},
    };
    for (const auto& entry : prompts)
        if (std::strcmp(entry.command, command) == 0) return QString::fromUtf8(entry.prompt);
    return {};
}

}  // namespace vg28::ui
