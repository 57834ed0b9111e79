#include "sensors/SensorEditRules.h"

#include <algorithm>
#include <cstring>

#include "base/StringIds.h"
#include "platform/FixedText.h"
#include "platform/NumberText.h"
#include "platform/TextTrim.h"
#include "sensors/SensorCatalogue.h"

namespace vg28 {

namespace {

constexpr std::string_view kSample = "Sample";
constexpr double kMaxOutputValues[SensorEditRules::kMaxOutputItems] = {0.0, 1.0,  2.5,
                                                                       5.0, 10.0, 20.0};
constexpr double kNoMaxOutputSelection = 2.5;
constexpr std::size_t kIdCapacity = sizeof(SensorRecord::id) - 1;

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// The weather-station sensors that stay open: its radiation sensors ("KWS/R ...") and the
// quantities of its SMTE probe that the operator calibrates.
bool OpenStationSensor(std::string_view id, bool forDelete) {
    if (StartsWith(id, "KWS/R ")) return true;
    if (!Contains(id, "KWS/SMTE")) return false;
    if (Contains(id, "/VWC C")) return true;
    return !forDelete && (Contains(id, "/BEC") || Contains(id, "/PEC"));
}

bool Protected(std::string_view id, bool forDelete) {
    if (Contains(id, kSample)) return true;
    if (StartsWith(id, "KWS/")) return !OpenStationSensor(id, forDelete);
    return StartsWith(id, "CV/") || StartsWith(id, "Em50/");
}

template <std::size_t N>
std::vector<std::string> Distinct(const SensorDatabase& database,
                                  const char (SensorRecord::*field)[N]) {
    std::vector<std::string> texts;
    for (const SensorRecord& record : database.Records()) {
        const std::string_view text = TextOf(record.*field);
        if (!text.empty() && std::find(texts.begin(), texts.end(), text) == texts.end())
            texts.emplace_back(text);
    }
    return texts;
}

}  // namespace

std::string SensorEditRules::DisplayedId(std::string_view id, std::string_view type) {
    if (Contains(id, kSample)) return std::string(kSample);
    if (id != type && StartsWith(id, type)) {
        return std::string(TrimStart(id.substr(type.size()), " "));
    }
    return std::string(id);
}

std::string SensorEditRules::StoredId(std::string_view text, std::string_view type) {
    std::string id;
    if (Contains(text, kSample)) {
        id = " Sample ";
        id += type;
    } else if (text == type) {
        id = type;
    } else if (!text.empty()) {
        id = type;
        id += ' ';
        id += text;
    }
    if (id.size() > kIdCapacity) id.resize(kIdCapacity);
    return id;
}

bool SensorEditRules::MayChange(std::string_view id, bool openAll) {
    return openAll || !Protected(id, false);
}

bool SensorEditRules::MayDelete(std::string_view id, bool openAll) {
    return openAll || !Protected(id, true);
}

int SensorEditRules::FindTemplate(const SensorDatabase& database, std::string_view type) {
    if (type.empty()) return -1;
    int first = -1;
    for (std::size_t i = 0; i < database.Count(); ++i) {
        const SensorRecord& record = database.At(i);
        if (TextOf(record.type) != type) continue;
        if (Contains(TextOf(record.id), kSample)) return static_cast<int>(i);
        if (first < 0) first = static_cast<int>(i);
    }
    return first;
}

bool SensorEditRules::ApplyTemplate(const SensorDatabase& database, std::string_view type,
                                    SensorRecord& record) {
    const int index = FindTemplate(database, type);
    if (index < 0) return false;
    // The template may be the record itself; the first block is copied through a buffer.
    unsigned char block[kSensorFirstBlock];
    std::memcpy(block, &database.At(static_cast<std::size_t>(index)), kSensorFirstBlock);
    std::memcpy(&record, block, kSensorFirstBlock);
    if (TextOf(record.id).empty()) CopyText(record.id, std::string(type) + " #");
    return true;
}

std::vector<std::string> SensorEditRules::DistinctTypes(const SensorDatabase& database) {
    return Distinct(database, &SensorRecord::type);
}

std::vector<std::string> SensorEditRules::DistinctUnits(const SensorDatabase& database) {
    return Distinct(database, &SensorRecord::units);
}

double SensorEditRules::MaxOutputOfItem(int item) {
    if (item < 0 || item >= kMaxOutputItems) return kNoMaxOutputSelection;
    return kMaxOutputValues[item];
}

int SensorEditRules::ItemOfMaxOutput(double maxOutput) {
    for (int item = 0; item < kMaxOutputItems; ++item) {
        if (kMaxOutputValues[item] + 0.1 > maxOutput) return item;
    }
    return -1;
}

std::string SensorEditRules::MaxOutputText(int item) {
    if (item == 0) return "n/a";
    return DecimalText(MaxOutputOfItem(item), 1);
}

SensorEditRules::Enabling SensorEditRules::EnablingFor(const State& state) {
    Enabling enabling;
    if (!state.editing) {
        enabling.browse = true;
        return enabling;
    }
    enabling.saveCancel = true;
    // An existing sensor keeps its characteristics; a new one is open until a template fills it.
    enabling.characteristics = state.openAll || (state.isNew && !state.templateApplied);
    enabling.coefficients = enabling.characteristics || !state.standardCoefficients;
    enabling.id = state.openAll || !Contains(state.id, "KWS/SMTE");
    enabling.method = enabling.characteristics || StartsWith(state.type, "QJ-");
    return enabling;
}

SensorEditRules::Problem SensorEditRules::Validate(const SensorRecord& record,
                                                   std::string_view idText, bool maxOutputChecked,
                                                   int editIndex, const SensorDatabase& database,
                                                   bool openAll) {
    if (TextOf(record.type).empty()) return Problem::NoType;
    if (TextOf(record.units).empty()) return Problem::NoUnits;
    if (idText.empty()) return Problem::NoId;
    if (!openAll && maxOutputChecked && !(record.maxOutput > 0.0 && record.maxOutput <= 20.0))
        return Problem::MaxOutput;
    if (!(record.minimum < record.maximum)) return Problem::Range;
    const std::string_view id = TextOf(record.id);
    for (std::size_t i = 0; i < database.Count(); ++i) {
        if (SensorCatalogue::SameIdIgnoringCase(TextOf(database.At(i).id), id)) {
            if (static_cast<int>(i) != editIndex) return Problem::DuplicateId;
            break;
        }
    }
    if (!openAll && std::all_of(std::begin(record.coefficients), std::end(record.coefficients),
                                [](double c) { return c == 0.0; }))
        return Problem::NoCoefficients;
    return Problem::None;
}

int SensorEditRules::MessageOf(Problem problem) {
    switch (problem) {
        case Problem::NoType:
            return ids::kNoSensorType;
        case Problem::NoUnits:
            return ids::kNoSensorUnits;
        case Problem::NoId:
            return ids::kNoSensorId;
        case Problem::MaxOutput:
            return ids::kMaxOutputTooHigh;
        case Problem::Range:
            return ids::kMaximumNotAboveMinimum;
        case Problem::DuplicateId:
            return ids::kDuplicateSensorId;
        case Problem::NoCoefficients:
            return ids::kNoCoefficients;
        case Problem::None:
            break;
    }
    return 0;
}

}  // namespace vg28
