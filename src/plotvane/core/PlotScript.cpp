#include "plotvane/core/PlotScript.h"

namespace vg28::plotvane {

std::size_t PlotScript::PointCount() const {
    std::size_t count = 0;
    for (const ScriptSensor& sensor : sensors)
        count += sensor.times.size();
    return count;
}

const ScriptAxis* PlotScript::FindAxis(int id) const {
    for (const ScriptAxis& axis : axes) {
        if (axis.id == id) return &axis;
    }
    return nullptr;
}

}  // namespace vg28::plotvane
