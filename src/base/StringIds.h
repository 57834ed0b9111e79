#pragma once
// The string table's identifiers (resources/StringTable.inc), each defined here once and named
// for its text; the numbers are those of the Windows program. Message boxes show the text of
// their ID; the icon a message box uses is noted where one ID always has the same icon.

namespace vg28::ids {

// Names the instrument and its module answer with.
inline constexpr int kModelName = 130;     // "VG-28"
inline constexpr int kModuleFamily = 131;  // "KWS"

// File errors: the base plus the file operation's code (10007 open, 10008 format, 10009 write),
// each with the file's path for "%1".
inline constexpr int kFileErrorBase = 10006;

// The instrument and the session.
inline constexpr int kNoAnswer = 10029;  // "VG-28 не отвечает!..."
inline constexpr int kClockDiffers = 10030;  // "...сильно расходится!...Синхронизировать?"
inline constexpr int kAskTimeSync = 10031;  // "Синхронизировать время в PC и VG-28?"
inline constexpr int kTimeSynchronized = 10032;  // "Время синхронизированно."
inline constexpr int kSensorsNotRegistered = 10035;  // "...не зарегистрирован в базе!"
inline constexpr int kOnLine = 10038;                // "На связи"
inline constexpr int kOffLine = 10039;               // "Нет связи"
inline constexpr int kSensorDatabaseMissing = 10051;
inline constexpr int kAskClearInstrument = 10052;  // "Очистить память VG-28?"
inline constexpr int kWrongModel = 10065;  // "Вы пытаетесь подключиться не к VG-28!"
inline constexpr int kRecordsDownloaded = 10066;  // "Скачено %d запись(ей)."
inline constexpr int kNewerFirmware = 10068;  // "Версия VG-28 старше программы..."
inline constexpr int kAskFormatMemory = 10109;  // "Вы хотите отформатировать память..."
inline constexpr int kPortOpenFailed = 10110;  // "Ошибка подключения к порту %1..."
inline constexpr int kNoHelp = 10111;  // "Простите, "помощь" недоступна!"
// The line below 10110 that says what to do, by the cause of the failed open.
inline constexpr int kPortMissingPortsFound = 10112;  // "Такого порта нет. Найденные порты: %1"
inline constexpr int kPortMissingNoneFound = 10113;  // "Такого порта нет, и других ..."
inline constexpr int kPortAccessDenied =
    10114;  // "Нет прав на доступ к порту: ..." %1 group, %2 user
inline constexpr int kPortInUse = 10115;  // "Порт занят другой программой ..."
inline constexpr int kAskSendProject = 10116;         // "Переслать проект в VG-28?"
inline constexpr int kAskDisconnectViewMode = 10117;  // "VG-28 в режиме просмотра...."
inline constexpr int kNoNewData = 10118;  // "Пока не получено новых данных..."

// Synchronization, download, the instrument's mode.
inline constexpr int kNoInstrumentProject = 10120;  // "В VG-28 нет проекта!"
inline constexpr int kSyncSaveFailed = 10121;  // "Ошибка записи - ...Очистить VG-28?"
inline constexpr int kAutoDownloadOn = 10124;  // "...автоматического обновления данных..."
inline constexpr int kNoRecordsYet = 10125;    // "В VG-28 пока не записей...."
inline constexpr int kAskStopProject = 10126;  // "...приостановить проект?"

// Projects and their names.
inline constexpr int kProjectExists = 10200;
inline constexpr int kAskDeleteProject = 10201;        // "Удалить проект?"
inline constexpr int kInvalidProjectName = 10202;      // a name that cannot be a file name
inline constexpr int kInvalidInstrumentName = 10203;   // the instrument's name is no file name
inline constexpr int kUnencodableProjectName = 10204;  // characters CP1251 lacks, for "%1"

// The graph viewer.
inline constexpr int kNoRecords = 10340;  // "Нет записей!"
inline constexpr int kViewerFailed = 10341;  // "Невозможно запустить программу Data Viewer."

// The project description dialog.
inline constexpr int kNoSensorChosen = 10410;  // "...выберите хотя бы один датчик!"
inline constexpr int kPeriodNotWholeCycles = 10411;  // "Установите интервал,..."
inline constexpr int kAskDuplicateSensor = 10412;  // "Датчик [%1] добавлен несколько раз..."
inline constexpr int kAskClearProject = 10413;  // "Эта команда очистит все датчики..."

// The sensor database editor.
inline constexpr int kCannotChangeSensor = 10430;  // stop icon
inline constexpr int kCannotDeleteSensor = 10431;  // information icon
inline constexpr int kAskDeleteSensor = 10432;     // Yes/No, question icon
// The checks before a sensor is saved, in their order: stop icon.
inline constexpr int kNoSensorType = 10433;   // "Укажите тип датчика!"
inline constexpr int kNoSensorUnits = 10434;  // "Укажите единицы измерения!"
inline constexpr int kNoSensorId = 10435;     // "Укажите ID датчика!"
inline constexpr int kMaxOutputTooHigh = 10436;  // "Максимальный выход - 20 В!"
inline constexpr int kMaximumNotAboveMinimum = 10437;  // "Максимум должен быть больше минимума!"
inline constexpr int kDuplicateSensorId = 10438;  // "Датчик с таким ID уже есть в базе!..."
inline constexpr int kNoCoefficients = 10439;  // "Укажите коэффициенты!"

// Status bar and title.
inline constexpr int kAppTitle = 57344;        // "Арболюкс VG-28"
inline constexpr int kReady = 57345;           // "Готов"
inline constexpr int kConnecting = 57346;      // "Соединение"
inline constexpr int kPleaseWait = 57347;      // "Пожалуйста, подождите"
inline constexpr int kConnectingWith = 57348;  // " с ", before the instrument's name
inline constexpr int kDownloadDone = 57349;    // "Скачано записей: %d"
inline constexpr int kDownloadStopped = 57350;  // "Скачивание записей прервано. ..."
inline constexpr int kOneRecordDownloaded = 57351;  // "Скачана запись %1"
inline constexpr int kProjectSynchronized = 57352;  // "Проект синхронизирован с VG-28"
inline constexpr int kSyncNotDone = 57353;  // "Синхронизация не выполнена"
inline constexpr int kRecordsExported = 57354;  // "Экспортировано записей: %d в файл %1"

// The window framework's own message for an edit that holds too much; its text is the
// framework's, not in the string table.
inline constexpr int kEditTooLong = 0xF110;

}  // namespace vg28::ids
