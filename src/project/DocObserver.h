#pragma once
// A view of the project document. The document tells its observers what changed with a hint:
// 0 everything, 1 the record list changed, 2 the link state, instrument state or current values.

namespace vg28 {

enum UpdateHint : int { kHintAll = 0, kHintRecords = 1, kHintLiveState = 2 };

class DocObserver {
public:
    virtual ~DocObserver() = default;
    virtual void OnDocumentUpdate(int hint) = 0;
};

}  // namespace vg28
