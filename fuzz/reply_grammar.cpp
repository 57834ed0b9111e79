// Fuzz target: the instrument's reply grammar. The input is a command line, a LF, and a reply;
// the first byte also picks the match length. Every parser of a reply runs over it: keyword
// matching, quoted texts, device information entries, instrument times, mode names, numbers,
// the sensor description line and the Em50 logger's record line (port types from the input).

#include <cmath>
#include <string>

#include "FuzzSupport.h"
#include "platform/TextCase.h"
#include "protocol/ReplyGrammar.h"
#include "protocol/SensorDescription.h"
#include "sync/Em50Protocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vg28;
    const std::string_view input = fuzz::AsText(data, size);
    const std::size_t split = input.find('\n');
    const std::string_view command =
        split == std::string_view::npos ? input : input.substr(0, split);
    const std::string_view reply =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);
    const std::size_t maxLength = size > 0 ? data[0] % 16 : 0;

    std::size_t cursor = 12345;
    if (MatchReply(reply, cursor, command, maxLength)) {
        FUZZ_CHECK(cursor >= 1 && cursor <= reply.size());
        FUZZ_CHECK(reply[cursor - 1] == ';');
    } else {
        FUZZ_CHECK(cursor == 12345);
    }
    const std::string_view data_ = cursor <= reply.size() ? reply.substr(cursor) : reply;

    std::string quoted;
    std::size_t end = 0;
    if (ExtractQuoted(reply, 32, quoted, &end)) {
        FUZZ_CHECK(quoted.size() < 32);
        FUZZ_CHECK(end >= 2 && end <= reply.size() && reply[end - 1] == '"');
    }

    // Up to two entries, as in the "info" reply; each success moves the cursor on.
    std::size_t at = 0;
    for (int entry = 0; entry < 3; ++entry) {
        std::string model, identification;
        std::uint32_t version = 0;
        const std::size_t before = at;
        if (!ParseDeviceInfo(data_, at, model, version, identification)) {
            FUZZ_CHECK(at == before);
            break;
        }
        FUZZ_CHECK(at > before && at <= data_.size());
        FUZZ_CHECK(model.size() < 32 && identification.size() < 32);
    }

    SystemTime time{};
    ParseInstrumentTime(data_, time);
    const int mode = ModeIndexOf(data_);
    FUZZ_CHECK(mode >= -1 && mode <= 3);

    long long value = 0;
    std::size_t pos = 0;
    if (ScanInt(data_, pos, value)) FUZZ_CHECK(pos > 0 && pos <= data_.size());
    double number = 0.0;
    ParseNumber(data_, number);

    SensorDescription sensor;
    if (ParseSensorDescription(data_, sensor)) {
        FUZZ_CHECK(sensor.id.size() < 32 && sensor.description.size() < 32 &&
                   sensor.units.size() < 32);
        FUZZ_CHECK(sensor.method >= 0 && sensor.method <= 2);
        // The parsed description goes back out as a request, and that request reads back.
        std::string request;
        if (FormatSensorRequest(3, sensor, request)) {
            std::size_t after = 0;
            FUZZ_CHECK(MatchReply(TextCase::UpperAscii(request), after, "sensor;3"));
            SensorDescription again;
            FUZZ_CHECK(ParseSensorDescription(std::string_view(request).substr(after), again));
            FUZZ_CHECK(again.description == sensor.description && again.units == sensor.units &&
                       again.precision == sensor.precision && again.method == sensor.method);
        }
    }

    static const int kPortTypes[] = {159, 186, 187, 189, 222, 250, 0, 7};
    Em50Protocol::Ports ports{};
    for (std::size_t i = 0; i < ports.size(); ++i)
        ports[i] = kPortTypes[(i < size ? data[i] : 0) % 8];
    const Em50Record record = Em50Protocol::DecodeRecord(data_, ports);
    for (const double decoded : record.values)
        FUZZ_CHECK(std::isfinite(decoded));
    return 0;
}
