// What the status bar says when a download or a synchronization has ended.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/TextCodec.h"
#include "session/CommandIds.h"
#include "session/SessionHarness.h"

namespace vg28 {
namespace {

using test::HarnessOptions;
using test::RecordingShell;
using test::SessionHarness;

HarnessOptions Options(const sim::SimNetworkConfig& network) {
    HarnessOptions options;
    options.network = network;
    return options;
}

std::vector<std::string> Texts(const RecordingShell& shell) {
    std::vector<std::string> texts;
    for (const RecordingShell::TransientMessage& message : shell.transientMessages)
        texts.push_back(message.text);
    return texts;
}

// The first download reads half the announced records, then fails; later ones succeed.
bool ReadHalfThenFailOnce(SessionHarness& h, bool& failed) {
    CurrentState& s = h.State();
    if ((s.step != 4 && s.step != 5) || failed) return h.Synchronize();
    failed = true;
    for (int i = 0; i < s.downloadCount / 2; ++i) {
        std::string line;
        int added = 0;
        if (!h.session->Commands().ReadLine(line)) return false;
        h.doc->AddRecordLine(std::string_view(line).substr(line.find(';') + 1), added);
    }
    return false;
}

// Guards against a synchronization or a download of many records ending without a word in the
// status bar, or with a count other than the records the project gained.
TEST(SessionDoneMessages, SynchronizationAndDownloadSayHowTheyEnded) {
    const struct {
        const char* name;
        bool syncSucceeds;
        bool downloadFails;
        std::vector<std::string> texts;
    } cases[] = {
        {"synchronized and downloaded",
         true,
         false,
         {"Проект синхронизирован с VG-28", "Скачано записей: 4"}},
        {"download broken off, then taken up again",
         true,
         true,
         {"Проект синхронизирован с VG-28", "Скачивание записей прервано. Скачано записей: 2",
          "Скачано записей: 2"}},
        {"synchronization failed", false, false, {"Синхронизация не выполнена"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SessionHarness h(Options(SessionHarness::OneInstrument(3, 4)));
        h.NewProject();
        h.syncSucceeds = c.syncSucceeds;
        bool failed = false;
        if (c.downloadFails) {
            h.shell.onSynchronization = [&h, &failed] { return ReadHalfThenFailOnce(h, failed); };
        }
        h.session->Connect();
        for (int i = 0; i < 8; ++i)
            h.Tick();
        EXPECT_EQ(Texts(h.shell), c.texts);
        for (const RecordingShell::TransientMessage& message : h.shell.transientMessages)
            EXPECT_EQ(message.seconds, 5) << message.text;
        // A status text ends the message: only the next piece of work may set one.
        const std::vector<std::string>& calls = h.shell.calls;
        for (auto said = calls.begin(); said != calls.end(); ++said) {
            if (said->rfind("transient:", 0) != 0) continue;
            const auto next = std::find_if(said + 1, calls.end(), [](const std::string& call) {
                return call.rfind("status:", 0) == 0;
            });
            if (next != calls.end()) {
                EXPECT_EQ(*next, "status:Пожалуйста, подождите") << *said;
            }
        }
    }
}

// Guards against the record of each scheduled download arriving without a word, or the word
// staying as long as that of a long download.
TEST(SessionDoneMessages, ScheduledRecordIsSaidBriefly) {
    SessionHarness h(Options(SessionHarness::OneInstrument(2, 0, 60)));
    h.NewProject();
    ASSERT_TRUE(h.ConnectAndSettle());
    h.shell.transientMessages.clear();
    ASSERT_GE(h.TickUntil([&] { return h.doc->records.size() == 1 && h.Idle(); }, 70), 0);
    ASSERT_EQ(h.shell.transientMessages.size(), 1u);
    const std::string time =
        TextCodec::Cp1251ToUtf8(CProjectDoc::FormatRecordTime(h.doc->records.back().time, true));
    EXPECT_EQ(h.shell.transientMessages[0].text, "Скачана запись " + time);
    EXPECT_EQ(h.shell.transientMessages[0].seconds, 3);
    EXPECT_TRUE(h.op.Messages().empty());
}

}  // namespace
}  // namespace vg28
