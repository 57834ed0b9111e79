#pragma once
// The desktop program's wait hook (platform/WaitHook.h): while the serial line waits, the window
// goes on. Before each slice of a wait it processes Qt's events, all of them (repaint, the
// menus, the close box, the buttons of the synchronization dialog), and it answers with the
// program's stop: RequestStop makes the running exchange give up at its next slice, ClearStop
// takes the stop back once the interrupted work has unwound. Installed for the life of the
// object; one per program. Whatever the events run must not use the line: the main window keeps
// such commands until the exchange has ended.

#include <functional>

namespace vg28::ui {

class WaitPump {
public:
    // beforeEvents runs before each round of events (the main window refreshes its commands).
    explicit WaitPump(std::function<void()> beforeEvents = {});
    ~WaitPump();
    WaitPump(const WaitPump&) = delete;
    WaitPump& operator=(const WaitPump&) = delete;

    void RequestStop() { m_stop = true; }
    void ClearStop() { m_stop = false; }
    bool StopRequested() const { return m_stop; }

    // Whether a wait is running the window's events right now (code run from an event sees
    // that it runs inside an exchange).
    bool Pumping() const { return m_pumping; }

private:
    bool Run();

    std::function<void()> m_beforeEvents;
    bool m_stop = false;
    bool m_pumping = false;
};

}  // namespace vg28::ui
