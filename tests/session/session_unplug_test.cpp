#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "project/CProjectDoc.h"
#include "session/SessionHarness.h"
#include "support/UnpluggableLine.h"

namespace vg28 {
namespace {

using test::HarnessOptions;
using test::SessionHarness;

// Guards against a USB adapter pulled out while the session polls ending the connection (the
// "no answer" box, the port given up, a new connection needed) instead of the session opening
// the same port again at each try, and against the records made while the adapter was out not
// being downloaded, each once, when it is plugged in again, all without the operator.
TEST(SessionUnplug, AdapterPulledOutWhileRecordingAndPluggedBackGoesOn) {
    HarnessOptions options;
    options.network = SessionHarness::OneInstrument(2, 3, 60);
    SessionHarness h(options);
    auto plug = std::make_shared<test::Plug>();
    h.wrapLine = [plug](std::unique_ptr<SerialLine> line) -> std::unique_ptr<SerialLine> {
        return std::make_unique<test::UnpluggableLine>(std::move(line), plug);
    };
    h.NewProject();
    h.session->SetAutoDownload(true);
    ASSERT_TRUE(h.ConnectAndSettle());
    ASSERT_EQ(h.RecordTimes(), h.InstrumentRecordTimes());
    const int linesMade = h.linesMade;
    h.op.Clear();

    plug->in = false;
    // Out for two record periods, longer than the polling's tries: the session searches, and
    // every try opens the port.
    const std::size_t downloaded = h.doc->records.size();
    int ticks = 0;
    for (; ticks < 600 && h.Instrument().Records().size() < downloaded + 2; ++ticks) {
        h.Tick();
        h.Instrument().CatchUp();
        ASSERT_TRUE(h.session->IsPortOpen()) << "tick " << ticks << " " << ::testing::PrintToString(h.op.Ids()) << " " << ::testing::PrintToString(h.shell.calls);
    }
    ASSERT_EQ(h.Instrument().Records().size(), downloaded + 2);
    EXPECT_TRUE(h.State().searching);
    EXPECT_GE(plug->opensWhileOut, 10);
    EXPECT_TRUE(h.op.Messages().empty()) << h.op.Messages().front().text;
    EXPECT_EQ(h.linesMade, linesMade) << "the port was given up and connected anew";
    EXPECT_EQ(h.doc->records.size(), downloaded);

    plug->in = true;
    ASSERT_GE(
        h.TickUntil([&] { return h.Idle() && h.RecordTimes() == h.InstrumentRecordTimes(); }, 300),
        0)
        << h.doc->records.size() << " of " << h.Instrument().Records().size() << " records";
    EXPECT_TRUE(h.op.Messages().empty()) << h.op.Messages().front().text;
    EXPECT_TRUE(h.State().connected);
    EXPECT_EQ(h.linesMade, linesMade);

    CProjectDoc reread(h.folder.Path(), h.profile, h.sensors);
    ASSERT_EQ(reread.LoadProject(h.doc->PathName()), kFileOk);
    std::vector<std::string> times;
    for (const MeasurementRecord& record : reread.records)
        times.push_back(std::to_string(record.time.Seconds()));
    EXPECT_EQ(times.size(), h.InstrumentRecordTimes().size());
    EXPECT_EQ(std::set<std::string>(times.begin(), times.end()).size(), times.size());
}

}  // namespace
}  // namespace vg28
