#pragma once
// The rules of the sensor database editor that need no window: how a sensor's ID is shown in
// and stored from the ID field, which sensors are protected from change and deletion, where a
// type's template is, which controls are open in which state, and the checks a record passes
// before it is saved, in their order. Owned by the editor dialog (and usable by any front end);
// nothing here reports to the operator: refusals and problems are results, each with the
// string ID of the message the front end shows.

#include <string>
#include <string_view>
#include <vector>

#include "sensors/SensorDatabase.h"
#include "sensors/SensorRecord.h"

namespace vg28 {

class SensorEditRules {
public:
    // Longest texts the controls take.
    static constexpr int kTypeLength = 16;
    static constexpr int kIdLength = 15;
    static constexpr int kDescriptionLength = 31;
    static constexpr int kUnitsLength = 15;

    // The "Формат" items, index = decimals.
    static constexpr int kPrecisionItems = 6;
    // The "Макс выход" items: "n/a" (0.0), then 1.0, 2.5, 5.0, 10.0, 20.0 V.
    static constexpr int kMaxOutputItems = 6;
    static constexpr int kMethodItems = 2;  // "Normal", "Zeroing"

    // The text of the ID field for a record: "Sample" for a template, the suffix after the
    // type (leading blanks removed) when the ID begins with the type and is longer, otherwise
    // the whole ID.
    static std::string DisplayedId(std::string_view id, std::string_view type);

    // The ID stored from the ID field's text: " Sample <type>" when the text names a template,
    // the type alone when the text is the type, otherwise "<type> <text>"; at most 31
    // characters. An empty text gives an empty ID (the template fill then names it "<type> #").
    static std::string StoredId(std::string_view text, std::string_view type);

    // Protection of built-in sensors; everything is open with openAll.
    static bool MayChange(std::string_view id, bool openAll);
    static bool MayDelete(std::string_view id, bool openAll);

    // The template of a type: the first record of that type (compared exactly) whose ID
    // contains "Sample", else the first record of the type; -1 for an empty type or none.
    static int FindTemplate(const SensorDatabase& database, std::string_view type);

    // Copies the template's characteristics (the whole first block, the ID excepted) into the
    // record; an empty ID becomes "<type> #". False, record untouched, when there is no template.
    static bool ApplyTemplate(const SensorDatabase& database, std::string_view type,
                              SensorRecord& record);

    // The distinct non-empty types and units of the database, in database order.
    static std::vector<std::string> DistinctTypes(const SensorDatabase& database);
    static std::vector<std::string> DistinctUnits(const SensorDatabase& database);

    // "Макс выход": the value of an item (no selection, -1, reads as 2.5), the item that shows
    // a value (the first whose value + 0.1 exceeds it; -1 when none does) and the item texts.
    static double MaxOutputOfItem(int item);
    static int ItemOfMaxOutput(double maxOutput);
    static std::string MaxOutputText(int item);

    // What the controls allow in one state of the editor.
    struct State {
        bool editing = false;
        bool openAll = false;
        bool isNew = false;            // a new record is being made
        bool templateApplied = false;  // the new record was filled from a type's template
        std::string_view type;         // of the working record
        std::string_view id;           // of the working record
        bool standardCoefficients = false;
    };
    struct Enabling {
        bool browse = false;  // the list, "&Новый", "&Удалить", "&Изменить", "Закрыть"
        bool saveCancel = false;       // "&Сохранить", "&Отменить"
        bool characteristics = false;  // type, units, format, description, maximum output,
                                       // minimum, maximum, "Стандартные" check box
        bool coefficients = false;  // the coefficient list, "&Редактировать", "&Стандартные"
        bool id = false;
        bool method = false;
    };
    static Enabling EnablingFor(const State& state);

    enum class Problem {
        None,
        NoType,
        NoUnits,
        NoId,
        MaxOutput,
        Range,
        DuplicateId,
        NoCoefficients,
    };

    // The checks of a record about to be saved, first failure wins. idText is the ID field's
    // text; maxOutputChecked says whether "Макс выход" was open; editIndex is the database
    // index of the record being changed, -1 for a new one.
    static Problem Validate(const SensorRecord& record, std::string_view idText,
                            bool maxOutputChecked, int editIndex, const SensorDatabase& database,
                            bool openAll);
    // The message of a problem (0 for None).
    static int MessageOf(Problem problem);
};

}  // namespace vg28
