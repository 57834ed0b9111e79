#include "ToolInstrument.h"

#include "SimulatorInstall.h"
#include "app/NetConfig.h"
#include "base/StringIds.h"
#include "base/StringTable.h"
#include "platform/Clock.h"
#include "platform/FixedText.h"
#include "platform/TextCase.h"
#include "platform/TextCodec.h"
#include "session/PortErrorText.h"

namespace vg28::tool {

ToolInstrument::ToolInstrument(ToolContext& context)
    : m_context(context), m_link(Clock::System()), m_commands(m_link, &context.Doc()) {
    const auto port = context.Options().Value("--port");
    m_port = port ? *port : context.GetProfile().Get(keys::kPortDevice);
    m_link.SetState(&State());
}

ToolInstrument::~ToolInstrument() {
    m_link.ClosePort();
}

bool ToolInstrument::Open() {
    if (m_port == kSimulatorPortName) sim::InstallSimulator();
    if (const auto address = m_context.Options().Value("--address")) {
        // Names in net.xcfg are kept in lower case (Cyrillic letters too, as the file reader folds
        // them); the instrument answers to that name.
        const std::string name = TextCase::LowerCp1251(TextCodec::Utf8ToCp1251(*address));
        CopyText(State().address, name);
        for (const NetDevice& device :
             NetConfig::LoadNetConfig(m_context.Folder() + NetConfig::kFileName)) {
            if (TextOf(device.deviceName) == name) State().radioAddress = device.deviceAddress;
        }
    }
    if (m_link.OpenPort(m_port)) return true;
    m_context.Op().Tell(ids::kPortOpenFailed, PortErrorText(m_port, m_link.OpenError()),
                        MessageIcon::Error);
    return false;
}

}  // namespace vg28::tool
