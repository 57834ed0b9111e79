#pragma once
// The terminal side of a synchronization wired to the simulator: the common wiring (fake clock,
// simulated network, packet link, a document with the shipped sensor database), instrument
// commands on the document, an Operator that records its messages, and the environment of a run.

#include <memory>
#include <string>

#include "SimNetwork.h"
#include "platform/CivilTime.h"
#include "platform/FixedText.h"
#include "protocol/InstrumentCommands.h"
#include "support/RecordingOperator.h"
#include "support/SimWiring.h"
#include "sync/HeadlessSyncDriver.h"
#include "sync/SyncEnvironment.h"
#include "sync/SyncWorker.h"
#include "sync/Synchronization.h"

namespace vg28::test {

struct SyncRig : SimWiring {
    std::unique_ptr<InstrumentCommands> commands;
    RecordingOperator op;
    std::unique_ptr<SyncEnvironment> env;

    explicit SyncRig(const sim::SimNetworkConfig& config = {}) : SimWiring(config) {
        commands = std::make_unique<InstrumentCommands>(link, doc.get());
        CurrentState& state = doc->m_rCurState;
        state.firmwareVersion = Instrument().Firmware();
        state.connected = true;
        OpenLink(state);
        env = std::make_unique<SyncEnvironment>(
            SyncEnvironment{*commands, *doc, sensors, folder.File("sensors.dat"), op, clock, {}});
    }

    sim::SimInstrument& Instrument() { return network->Instrument(0); }
    CurrentState& State() { return doc->m_rCurState; }

    // A saved PC project of that name, configured as the instrument is unless changed after.
    void CreatePcProject(const std::string& name) {
        doc->ResetProject();
        doc->SetPathName(doc->ProjectFilePath(name));
        for (int n = 1; n <= 17; ++n) {
            const std::string id = Instrument().Sensor(n).id;
            CopyText(doc->setup.sensorIds[n - 1], id.empty() ? kPlugAndPlay : id);
        }
        doc->setup.period = Instrument().Period();
        doc->setup.exactTime = 1;
        doc->setup.configTime = TimeStamp::FromSeconds(Instrument().ConfigTime());
        doc->SaveProject();
    }

    // One synchronization run of the given job, answered by the policy.
    bool Run(HeadlessSyncDriver::Policy policy, SyncJob job, SyncWorker*& used) {
        HeadlessSyncDriver driver(clock, policy);
        m_worker = std::make_unique<SyncWorker>(*env, job);
        used = m_worker.get();
        return RunSynchronization(*env, driver, *m_worker);
    }
    bool Run(HeadlessSyncDriver::Policy policy, SyncJob job = SyncJob::Full) {
        SyncWorker* ignored = nullptr;
        return Run(policy, job, ignored);
    }
    SyncWorker& Worker() { return *m_worker; }

    bool Requested(const std::string& prefix) const {
        for (const std::string& request : network->Requests())
            if (request.rfind(prefix, 0) == 0) return true;
        return false;
    }

private:
    std::unique_ptr<SyncWorker> m_worker;
};

}  // namespace vg28::test
