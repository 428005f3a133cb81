#pragma once

#include "automation/Variant.h"

#include <QString>
#include <vector>

namespace tallowick {

// The windows plug-ins handed over, each held once, until the program that
// owns one leaves the bus.
class HeldWindows {
public:
    void hold(const host::ObjectRef& window);
    // Forgets the windows owned by `busName`, a program that has left the bus.
    void releaseOf(const QString& busName);
    const std::vector<host::ObjectRef>& all() const { return windows_; }

private:
    std::vector<host::ObjectRef> windows_;
};

} // namespace tallowick
