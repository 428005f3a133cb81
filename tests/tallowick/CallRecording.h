#pragma once

#include "automation/Variant.h"
#include "tallowick/calls/WindowCaller.h"

#include <QString>
#include <vector>

namespace tests {

// Keeps every call the host makes into a plug-in window, in order, instead
// of sending it.
class RecordingCaller : public tallowick::WindowCaller {
public:
    struct Call {
        host::ObjectRef window;
        QString method;
        std::vector<host::Variant> args;
    };
    void callLater(const host::ObjectRef& window, const QString& method,
                   std::vector<host::Variant> args) override {
        calls.push_back({window, method, std::move(args)});
    }
    std::vector<Call> calls;
};

} // namespace tests
