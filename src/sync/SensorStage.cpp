#include "sync/SensorStage.h"

#include <cstdio>
#include <cstring>

#include "platform/FixedText.h"
#include "platform/TextCodec.h"
#include "project/CProjectDoc.h"
#include "project/MeasurementRecord.h"
#include "project/PlugAndPlay.h"
#include "protocol/InstrumentCommands.h"
#include "sensors/SensorFormat.h"

namespace vg28 {

namespace {

constexpr int kInitWaitTicks = 5;

constexpr const char* kSensorListQuestion =
    "Списки датчиков отличаются:\nVG-28\t- вход S%d: \"%s\"\nPC\t- вход S%d: \"%s\"\n"
    "Использовать данные из...";
constexpr const char* kSensorQuestion =
    "Характеристики датчика \"%s\" отличаются.\nVG-28\t- %s\nPC\t- %s\nИспользовать данные из...";

bool IsForcedInput(int i) {
    return i == 9 || i == 10 || (i >= 12 && i <= 16);
}

// Soil-probe IDs that combine all three parts are not compared (no ordinary ID does).
bool IsExemptFromComparison(std::string_view id) {
    return id.find("KWS/SMTE") != std::string_view::npos &&
           id.find("/BEC") != std::string_view::npos && id.find("/PEC") != std::string_view::npos;
}

std::string MethodText(int method) {
    return method == kMethodComp ? "Zeroing" : "Normal";
}

// The first characteristic in which the instrument's sensor differs from the database's, as
// the two value texts of the question; false when they agree.
bool FirstDifference(const SensorRecord& instrument, const SensorRecord& pc, std::string& mine,
                     std::string& theirs) {
    char a[512];
    char b[512];
    const auto text = [&](const char* format, const std::string& x, const std::string& y) {
        std::snprintf(a, sizeof a, format, x.c_str());
        std::snprintf(b, sizeof b, format, y.c_str());
        mine = a;
        theirs = b;
        return true;
    };
    if (TextOf(instrument.description) != TextOf(pc.description))
        return text("Description: %s", TextCodec::Cp1251ToUtf8(TextOf(instrument.description)),
                    TextCodec::Cp1251ToUtf8(TextOf(pc.description)));
    if (TextOf(instrument.units) != TextOf(pc.units))
        return text("Units: %s", TextCodec::Cp1251ToUtf8(TextOf(instrument.units)),
                    TextCodec::Cp1251ToUtf8(TextOf(pc.units)));
    if (instrument.precision != pc.precision)
        return text("Precision: %s", std::to_string(instrument.precision),
                    std::to_string(pc.precision));
    if (instrument.minimum != pc.minimum)
        return text("Minimum: %s", FormatValue(instrument.minimum, instrument.precision, true),
                    FormatValue(pc.minimum, pc.precision, true));
    if (instrument.maximum != pc.maximum)
        return text("Maximum: %s", FormatValue(instrument.maximum, instrument.precision, true),
                    FormatValue(pc.maximum, pc.precision, true));
    if (instrument.method != pc.method)
        return text("Measurement type: %s", MethodText(instrument.method), MethodText(pc.method));
    if (instrument.maxOutput != pc.maxOutput)
        return text("Max Volts: %s", FormatValue(instrument.maxOutput, 1, true),
                    FormatValue(pc.maxOutput, 1, true));
    for (int c = 0; c < 6; ++c) {
        if (instrument.coefficients[c] != pc.coefficients[c]) {
            const std::string label = "Coefficient " + std::to_string(c) + ": %s";
            return text(label.c_str(), FormatValue(instrument.coefficients[c], 5, true),
                        FormatValue(pc.coefficients[c], 5, true));
        }
    }
    return false;
}

}  // namespace

void SensorStage::Tick() {
    CProjectDoc& doc = m_run.env.doc;
    InstrumentCommands& commands = m_run.env.commands;
    if (!doc.HasProject() && !doc.m_rCurState.connected) {
        m_run.End(SyncCodes::kResultFailed);
        return;
    }
    if (m_stepIndex >= kSensorInputs) {
        m_run.End(SyncCodes::kResultDone);
        return;
    }
    const int i = m_stepIndex;
    if (WaitsForInit(i)) return;

    SyncRun::Sides sides = m_run.SensorSides();
    char(&slot)[kIdLength] = m_run.working.sensorIds[i];
    if (!m_run.Answered()) m_instrumentSensor = EmptySensorRecord();
    const bool forced = IsForcedInput(i) || IsFreeChannelMark(TextOf(slot));
    if (!(sides.pc && !forced)) {
        SensorRecord read{};
        if (!commands.QuerySensor(i + 1, read)) return;
        m_instrumentSensor = read;
        if (forced) sides.instrument = true;
    }
    const std::string instrumentId(TextOf(m_instrumentSensor.id));
    const auto takeInstrumentId = [&] {
        if (TextOf(slot) == instrumentId) return;
        CopyText(slot, instrumentId);
        m_run.applyToDocument = true;
    };
    if (sides.instrument) takeInstrumentId();

    const SensorRecord* known =
        IsFreeChannel(TextOf(slot)) ? nullptr : m_run.database.FindById(TextOf(slot));
    if (!known && !sides.pc && !sides.instrument) {
        // A sensor the PC does not know: the instrument's description is the only one.
        sides.instrument = true;
        takeInstrumentId();
        known = IsFreeChannel(TextOf(slot)) ? nullptr : m_run.database.FindById(TextOf(slot));
    }

    std::string question;
    bool overwritten = false;
    if (!sides.pc) {
        const std::string pcId(TextOf(slot));
        const bool sameId =
            instrumentId == pcId || (IsFreeChannel(instrumentId) && IsFreeChannel(pcId));
        if (!sameId && !sides.instrument) {
            char buffer[1024];
            std::snprintf(buffer, sizeof buffer, kSensorListQuestion, i + 1,
                          TextCodec::Cp1251ToUtf8(instrumentId).c_str(), i + 1,
                          TextCodec::Cp1251ToUtf8(pcId).c_str());
            question = buffer;
        } else if (sameId && known && !instrumentId.empty() &&
                   !IsExemptFromComparison(instrumentId)) {
            std::string mine;
            std::string theirs;
            if (FirstDifference(m_instrumentSensor, *known, mine, theirs)) {
                if (!sides.instrument) {
                    char buffer[2048];
                    std::snprintf(buffer, sizeof buffer, kSensorQuestion,
                                  TextCodec::Cp1251ToUtf8(instrumentId).c_str(), mine.c_str(),
                                  theirs.c_str());
                    question = buffer;
                } else {
                    SensorRecord replacement = m_instrumentSensor;
                    std::memcpy(replacement.type, known->type, sizeof replacement.type);
                    m_run.database.At(static_cast<std::size_t>(
                        m_run.database.IndexOf(instrumentId))) = replacement;
                    m_run.databaseChanged = true;
                    overwritten = true;
                }
            }
        }
    }

    if (sides.instrument && question.empty() && !overwritten) {
        if (!IsFreeChannel(instrumentId) && !m_run.database.FindById(instrumentId)) {
            SensorRecord added = m_instrumentSensor;
            const std::size_t blank = instrumentId.find(' ');
            CopyText(added.type, std::string_view(instrumentId).substr(0, blank));
            added.standardCoefficients = 1;
            m_run.database.Append(added);
            m_run.databaseChanged = true;
            ++m_run.sensorsAdded;
        } else if (instrumentId.empty() && i >= 8) {
            CopyText(slot, kPlugAndPlay);
        }
    }

    if (sides.pc && !forced) {
        m_run.wroteToInstrument = true;
        if (!known || i <= 8 || i == 11) {
            if (!commands.SetSensor(i + 1, known)) return;
        }
    }

    if (!question.empty()) {
        m_run.Ask(question, SyncCodes::kAnswersAll);
        return;
    }
    if (overwritten) return;  // compared again on the next tick, and then it passes
    ++m_stepIndex;
    m_run.progress = (m_stepIndex + 4) % (m_run.budget + 1);
    if (m_run.wroteToInstrument && (m_stepIndex == 8 || m_stepIndex == kSensorInputs))
        m_run.delayTicks = SyncRun::kReconfigureTicks;
}

// After the PC's project was written (the PC wins the parameters), input S9 waits while a
// freshly written project keeps the instrument in INIT. True when the tick ends here.
bool SensorStage::WaitsForInit(int i) {
    if (!m_run.pcWinsParameters || i != 8) return false;
    int mode = 0;
    if (!m_run.env.commands.QueryMode(mode)) return true;
    if (mode != kModeInit) return false;
    m_run.delayTicks = kInitWaitTicks;
    return true;
}

}  // namespace vg28
