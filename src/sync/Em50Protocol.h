#pragma once
// The Em50 logger's command set as the terminal uses it through the instrument's "xdev;"
// pass-through: detection, clock, measurement interval, port types, and the download of new
// records one at a time with the decoding of each port's raw reading. Decoded records go to
// the project document. Operations return a success flag; nothing throws or is shown.
//
// Works on the instrument commands and the document it is given (both outlive it); the
// battery reading of the last "get -batt" is kept between calls.

#include <array>
#include <cstdint>
#include <string_view>

#include "project/ProjectSetup.h"
#include "session/Em50ClockControl.h"
#include "sync/Em50Record.h"

namespace vg28 {

class CProjectDoc;
class InstrumentCommands;

class Em50Protocol final : public Em50ClockControl {
public:
    static constexpr int kPortCount = 5;
    using Ports = std::array<int, kPortCount>;
    // Requests are sent with this many attempts.
    static constexpr int kAttempts = 3;

    Em50Protocol(InstrumentCommands& commands, CProjectDoc& doc);

    bool Em50Present() override;
    bool SyncEm50Clock(bool force) override;
    bool SetEm50Interval(int minutes);
    // The five port type codes; the Em50 channel IDs they stand for are written into setup
    // (changed is set when an ID was written).
    bool QueryEm50Ports(Ports& ports, ProjectSetup& setup, bool& changed);
    bool CountEm50New(int& count);
    // mode 0: "get -batt" and "dump -new 1"; 1: "ack"; 2 or more: "nack". remaining is the
    // number of records the logger still holds; it drops to 0 at the end of the data.
    bool FetchEm50Record(const Ports& ports, int& remaining, int mode);
    bool CommitEm50();

    // The five codes of a "get -port" reply (missing ones read as 0); false when the reply
    // holds no code at all.
    static bool ParsePortList(std::string_view reply, Ports& ports);
    // The Em50 channel IDs of the port codes written into setup (the "get -port" rules).
    static bool ApplyPortTypes(const Ports& ports, ProjectSetup& setup);
    // Decodes a record line "time,raw1,...,raw5" by the port types; values the line lacks stay
    // 0.0. The battery value is not filled here.
    static Em50Record DecodeRecord(std::string_view line, const Ports& ports);
    // Decodes one port's raw reading into the values of its type.
    static void DecodePort(int type, std::uint32_t raw, Em50Values& values);

    double Battery() const { return m_battery; }

private:
    bool Ask(std::string_view command, std::string& reply);

    InstrumentCommands& m_commands;
    CProjectDoc& m_doc;
    double m_battery = 0.0;
};

}  // namespace vg28
