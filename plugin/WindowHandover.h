#pragma once

#include "automation/AutomationObject.h"
#include "automation/Variant.h"

namespace plugin {

// Makes a window of this program reachable by the host, so that it can be
// passed with Tal_SendFormObject and its operations called.
class WindowHandover {
public:
    virtual ~WindowHandover() = default;
    // The reference to hand to the host. The window must stay alive until it
    // is withdrawn.
    virtual host::ObjectRef handOver(host::AutomationObject& window) = 0;
    // The host can no longer reach `window`; nothing happens for a window
    // never handed over.
    virtual void withdraw(host::AutomationObject& window) = 0;
};

} // namespace plugin
