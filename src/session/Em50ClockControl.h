#pragma once
// What the session needs of an Em50 logger hanging on the instrument: whether it is there, and
// keeping its clock. The Em50 protocol implements it; without a logger the session passes none.

namespace vg28 {

class Em50ClockControl {
public:
    virtual ~Em50ClockControl() = default;
    // True when a project is open, it uses the Em50, the firmware supports it and it answers.
    virtual bool Em50Present() = 0;
    // Checks the logger's clock against the PC's and sets it when it is 60 s off or more, or
    // always when forced; true on success.
    virtual bool SyncEm50Clock(bool force) = 0;
};

}  // namespace vg28
