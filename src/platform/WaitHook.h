#pragma once
// What the program does while it waits. Every blocking wait of the serial line and of the real
// clock (a read or a write waiting for the device, the pauses between tries, the long waits of
// some instrument commands) is cut into slices of at most kSliceMs, and the process's hook runs
// before each slice. The hook keeps the program alive meanwhile (the desktop program processes
// its window events: repaint, menus, the close box) and answers whether the wait must end now
// because a stop was asked for (the operator disconnects or closes the window, vg28-tool got
// SIGINT). A wait told to stop ends at once: a line operation throws CSerialException with the
// code CSerialException::kStopped, a pause of the clock returns false; the packet link then gives
// up its exchange without further tries and sends nothing while the stop lasts.
//
// The stop belongs to whoever installed the hook: the hook keeps answering true until its owner
// takes the stop back (the desktop program does once the interrupted work has unwound). One hook
// per process, installed and run on the one thread that talks to the instrument; without one a
// wait just waits. The hook runs every slice, so it must be cheap when nothing happens, and what
// it runs must not use the line (the desktop program keeps such commands until the exchange has
// ended). A FakeClock never runs it: a test gives its fake clock a pump of its own.
//
// Without Qt, as vg28-tool does for SIGINT (the signal handler only sets the flag):
//
//     volatile std::sig_atomic_t g_interrupted = 0;
//     WaitHook::Install([] { return g_interrupted != 0; });
//     ...  // every wait now ends within a slice of the signal
//     WaitHook::Remove();

#include <functional>

namespace vg28 {

class WaitHook {
public:
    // Keeps the program alive while it waits; true when the wait must end now.
    using Function = std::function<bool()>;

    // The longest a wait goes without running the hook.
    static constexpr int kSliceMs = 20;

    // Installs the process's hook in place of the one before; an empty function removes it.
    static void Install(Function hook);
    static void Remove() { Install({}); }
    static bool Installed();

    // Runs the hook once: true when the wait must end now; false without a hook.
    static bool Run();
};

}  // namespace vg28
