#pragma once
// The identifiers of the main window's commands, as the menu, the toolbar and the accelerators
// carry them: those the session answers and those of the views and the frame. Every command
// identifier of the program is defined here and nowhere else.

namespace vg28::cmd {

inline constexpr int kConnect = 32777;             // F2 "&Синхронизция проекта"
inline constexpr int kUndefinedF3 = 32778;         // accelerator without a handler
inline constexpr int kChooseProject = 32779;       // Ctrl+O "&Открыть / Новый..."
inline constexpr int kEditProject = 32780;         // "&Изменить..."
inline constexpr int kSensorDatabase = 32773;      // "База датчиков..."
inline constexpr int kShowControlPanel = 32782;    // Ctrl+P "Панель &управления"
inline constexpr int kShowRecordTable = 32783;     // Ctrl+T "&Таблица записей"
inline constexpr int kTimeSync = 32784;            // "Синхронизация &времени"
inline constexpr int kConnectionSettings = 32788;  // "&Установки соединения..."
inline constexpr int kDownload = 32799;            // "&Скачать записи"
inline constexpr int kHelp = 32805;                // F1
inline constexpr int kShowStartWindow = 32807;  // "Показывать стартовое окно"
inline constexpr int kModeView = 32810;         // "Режим просмотра"
inline constexpr int kModeRecord = 32811;       // "Режим записи"
inline constexpr int kModeStop = 32812;         // "Остановка проекта"
inline constexpr int kClearInstrument = 32819;  // "О&чистить"
inline constexpr int kAutoDownload = 32821;  // "&Автоматическое скачивание записей"
inline constexpr int kSelectDevice = 32822;  // "&Переключить на следующий VG-28"
inline constexpr int kFormatMemory = 32824;  // "Форматирование памяти"
inline constexpr int kDisconnect = 32825;    // "О&тключиться"
inline constexpr int kAbout = 57664;         // "&О программе"

// Commands of the views and the frame.
inline constexpr int kColumnChoice = 32793;    // "&Выбор столбцов..."
inline constexpr int kTableModeFirst = 32794;  // 32794..32797: table view modes 0..3
inline constexpr int kTableModeFull = 32794;
inline constexpr int kTableModeTypical = 32795;  // no menu item
inline constexpr int kTableModeCustom = 32796;
inline constexpr int kTableModeDiagnostics = 32797;
inline constexpr int kPanelCurrent = 32800;  // "Просмотр &текущих измерений"
inline constexpr int kPanelLastRecord = 32801;
inline constexpr int kExportMarked = 32803;  // "&Корректных значений"
inline constexpr int kExportAll = 32804;     // "&Всех записей"
inline constexpr int kDataViewer = 32818;    // Ctrl+G
inline constexpr int kExit = 57665;          // Alt+X

// The status-bar pane of the link indicator.
inline constexpr int kLinkIndicatorPane = 59200;

}  // namespace vg28::cmd
