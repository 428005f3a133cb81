#pragma once

#include "plugin/WindowHandover.h"

#include <vector>

namespace tests {

// Hands windows over in-process: the fake host receives the window itself.
class LocalWindowHandover : public plugin::WindowHandover {
public:
    host::ObjectRef handOver(host::AutomationObject& window) override {
        return host::ObjectRef{{}, {}, &window};
    }
    void withdraw(host::AutomationObject& window) override { withdrawn.push_back(&window); }

    std::vector<host::AutomationObject*> withdrawn;
};

} // namespace tests
