#pragma once
// The instrument as vg28-tool reaches it: the port named by --port (a device path or
// "simulator"; default the settings file's "Port"/"Device"), the radio name from --address (and
// its radio address when "net.xcfg" lists it), the packet link and the command set over the
// project document's live state. The port is closed when the object goes away.

#include <memory>
#include <string>

#include "ToolContext.h"
#include "link/PacketLink.h"
#include "protocol/InstrumentCommands.h"

namespace vg28::tool {

class ToolInstrument {
public:
    explicit ToolInstrument(ToolContext& context);
    ~ToolInstrument();
    ToolInstrument(const ToolInstrument&) = delete;
    ToolInstrument& operator=(const ToolInstrument&) = delete;

    // Opens the port; on failure shows the program's message ids::kPortOpenFailed with the line
    // of what to do (PortErrorText) and returns false.
    bool Open();

    const std::string& PortName() const { return m_port; }
    PacketLink& Link() { return m_link; }
    InstrumentCommands& Commands() { return m_commands; }
    CurrentState& State() { return m_context.Doc().m_rCurState; }

private:
    ToolContext& m_context;
    std::string m_port;
    PacketLink m_link;
    InstrumentCommands m_commands;
};

}  // namespace vg28::tool
