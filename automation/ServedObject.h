#pragma once

#include "automation/AutomationObject.h"
#include "automation/OperationTable.h"

#include <QString>
#include <cstddef>
#include <vector>

namespace host {

// The automation face of an object that is something else first (a window
// handed to the host): serves a table of the target's operations on it.
// Each handler reads its arguments with the readers of CallArguments.h, which
// name the method, the position and the role of what is wrong.
template <typename Target> class ServedObject final : public AutomationObject {
public:
    using Args = std::vector<Variant>;
    using Handler = Variant (*)(Target& target, const QString& method, const Args& args);
    using Table = OperationTable<Handler>;

    // `table` must outlive the object; it is usually a function's static.
    ServedObject(Target& target, const Table& table) : target_(target), table_(table) {}

    Target& target() const { return target_; }

    Variant Invoke(const QString& method, const Args& args = {}) override {
        return table_.find(method, args.size()).handler(target_, method, args);
    }

    // Refuses an unknown name or a wrong count before anything is read; a
    // byte array is taken only by an operation that says it takes one.
    CallAdmission admit(const QString&, const QString& method, std::size_t argumentCount) override {
        return CallAdmission{table_.find(method, argumentCount).takesByteArray ? SIZE_MAX : 0};
    }

private:
    Target& target_;
    const Table& table_;
};

} // namespace host
