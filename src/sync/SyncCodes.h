#pragma once
// The codes a synchronization run shares with the dialog that drives it: how the run ended, the
// dialog's buttons (the answer buttons of a question are a set of their bits) and the state of
// the question on show, which after an answer carries that answer to the stage that asked.

namespace vg28 {

struct SyncCodes {
    enum ResultCode : int {
        kResultTimeout = 0,
        kResultFailed = 1,
        kResultCancelled = 2,
        kResultDone = 3,
        kResultNoProject = 4,
    };
    enum Button : int {
        kButtonCancel = 1,
        kButtonInstrument = 2,     // "VG-28"
        kButtonPc = 4,             // "PC"
        kButtonInstrumentAll = 8,  // "VG-28 для всех"
        kButtonPcAll = 16,         // "PC для всех"
        kButtonDetails = 32,       // "Подробнее"
    };
    // The answer buttons of a question that offers both sides, once or for all.
    static constexpr int kAnswersAll =
        kButtonInstrument | kButtonPc | kButtonInstrumentAll | kButtonPcAll;
    enum Choice : int {
        kChoiceNone = 0,
        kChoiceQuestion = 1,
        kChoiceSummary = 2,
        kChoiceInstrument = 3,
        kChoicePc = 4,
        kChoiceInstrumentAll = 5,
        kChoicePcAll = 6,
    };
};

}  // namespace vg28
