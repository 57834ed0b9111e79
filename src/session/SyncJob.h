#pragma once
// What a synchronization run does: the session names the job when it starts one (through the
// Shell), and the synchronization worker runs the stages of that job.

namespace vg28 {

enum class SyncJob {
    Full,      // the project's parameters, then its sensors (step 2)
    Sensors,   // the project's sensors only (step 3)
    Download,  // the records the session has selected, then the Em50's new records (steps 4, 5)
    Em50,      // the Em50's new records only
};

}  // namespace vg28
