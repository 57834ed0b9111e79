#include "platform/WaitHook.h"

#include <memory>

namespace vg28 {

namespace {

// Shared, so that a hook that replaces itself while it runs keeps running to its end.
std::shared_ptr<const WaitHook::Function>& Current() {
    static std::shared_ptr<const WaitHook::Function> hook;
    return hook;
}

}  // namespace

void WaitHook::Install(Function hook) {
    Current() = hook ? std::make_shared<const Function>(std::move(hook)) : nullptr;
}

bool WaitHook::Installed() {
    return Current() != nullptr;
}

bool WaitHook::Run() {
    const std::shared_ptr<const Function> hook = Current();
    return hook && (*hook)();
}

}  // namespace vg28
