#pragma once
// The record selection a download waits for, and its refill. The instrument sends every record
// from the selection's start in one burst and says how many: a record whose line was lost leaves
// the project short of that count, and the selection is asked for again once the line has been
// quiet for a while (a selection queues behind the burst still on its way). Records already here
// are skipped by the download, so repeats and late lines are taken once. The answer of a
// selection may also come late, among the record lines.
//
// Every rule of the refill is here: how long the line must be quiet, how many refills may bring
// nothing, and how much time each adds to the run's allowance.

#include <string_view>

#include "project/TimeStamp.h"
#include "sync/SyncEnvironment.h"

namespace vg28 {

class SelectionRefill {
public:
    // A short selection is asked for again only after the line was this long without a line: a
    // late line holds up the rest of the burst behind it.
    static constexpr long long kQuietMs = 5000;
    // Refills in a row that bring no record before the records still missing are given up (the
    // instrument keeps counting records it does not send).
    static constexpr int kMaxFruitlessRefills = 3;
    // What each refill whose selection was answered adds to the run's time allowance; one on a
    // silent line adds nothing, so a dead line still ends the run in time.
    static constexpr long long kRefillSeconds = 15;

    explicit SelectionRefill(SyncEnvironment& env) : m_env(env) {}

    // The selection the session made before the run: from that time, that many records.
    void Start(const TimeStamp& from, int count);
    // A line arrived from the instrument.
    void NoteLine();
    // A record was added: the refills so far were not fruitless.
    void NoteRecord() { m_fruitlessRefills = 0; }
    // The data of a selection's answer that came among the record lines (after "RECORD;S;"):
    // the count, when the answer of the selection was missed.
    void TakeLateCount(std::string_view data);
    // Called when a tick brought no record. True while the selection still waits for records:
    // the line is not quiet yet, or the selection was just asked for again. False when every
    // record it announced is here or the missing ones were given up.
    bool AwaitingRecords();
    // Selects the records from that time afresh.
    void Select(const TimeStamp& from);
    // Whether the last selection was answered with no record at all.
    bool SelectionEmpty() const { return m_count == 0; }
    // The time the refills added to the run's allowance.
    long long AllowanceSeconds() const { return m_allowanceSeconds; }

private:
    static constexpr int kCountUnknown = -1;    // the selection's answer did not arrive
    static constexpr int kCountAbandoned = -2;  // the records it announced are not coming

    int Missing() const;

    SyncEnvironment& m_env;
    TimeStamp m_from{};
    int m_count = kCountUnknown;
    long long m_lastLineMs = 0;
    int m_fruitlessRefills = 0;
    long long m_allowanceSeconds = 0;
};

}  // namespace vg28
