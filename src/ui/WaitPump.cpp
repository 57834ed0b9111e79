#include "ui/WaitPump.h"

#include <QCoreApplication>

#include "platform/WaitHook.h"

namespace vg28::ui {

WaitPump::WaitPump(std::function<void()> beforeEvents) : m_beforeEvents(std::move(beforeEvents)) {
    WaitHook::Install([this] { return Run(); });
}

WaitPump::~WaitPump() {
    WaitHook::Remove();
}

bool WaitPump::Run() {
    // A wait that starts inside the events of another wait only waits: events within events
    // would nest without end.
    if (!m_pumping) {
        m_pumping = true;
        if (m_beforeEvents) m_beforeEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        m_pumping = false;
    }
    return m_stop;
}

}  // namespace vg28::ui
