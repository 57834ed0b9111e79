#pragma once
// The document's live instrument state (m_rCurState): the latest current readings and the
// session's bookkeeping. Never stored; all zero after construction.

#include <cstdint>

#include "platform/SystemTime.h"
#include "project/MeasurementRecord.h"

namespace vg28 {

struct CurrentState {
    MeasurementRecord readings{};  // the current readings
    int reportedMode = 0;          // mode carried by the last current-readings line
    int deviceMode = 0;            // 0 INIT, 1 MANUAL (view), 2 START (recording), 3 STOP
    SystemTime m_rNextRecordTime{};
    std::uint32_t firmwareVersion = 0;  // major<<24 | minor<<16 | release<<8 | build
    int downloadCount = 0;
    bool connected = false;
    bool synchronized = false;
    bool uploadPending = false;
    bool searching = false;
    int searchTicks = 0;
    int step = 0;
    int tries = 0;
    int triesLimit = 0;
    std::int64_t lastReplyTime = 0;  // calendar seconds of the last received line
    int clockOffset = 0;             // PC clock minus instrument clock, seconds
    char address[32]{};              // instrument name on a radio network; empty for a cable
    std::uint16_t radioAddress = 0;  // 0 none chosen, 0xFFFF direct connection
    char deviceId[32]{};
    char moduleId[32]{};
    std::uint32_t moduleVersion = 0;
};

}  // namespace vg28
