#pragma once

#include "automation/AutomationObject.h"
#include "automation/CallArguments.h"

#include <QHash>
#include <QString>
#include <cstddef>
#include <initializer_list>
#include <stdexcept>

namespace host {

// The operations an object serves, by name: what the host's automation
// object and every window handed to it dispatch through, so that a name is
// matched, and a call of the wrong shape refused, the same way everywhere.
// Names match without regard to case; each row keeps the spelling of the
// object's own declaration.
template <typename Handler> class OperationTable {
public:
    struct Operation {
        const char* name;
        std::size_t argumentCount;
        Handler handler;
        // Whether a byte array may arrive at all; an object that takes one
        // says at admission how large it may be.
        bool takesByteArray = false;
    };

    // std::logic_error for two rows whose names differ only in case: the
    // table itself would be wrong.
    OperationTable(std::initializer_list<Operation> operations) {
        for (const Operation& operation : operations) {
            const QString key = QString::fromLatin1(operation.name).toCaseFolded();
            if (byName_.contains(key))
                throw std::logic_error(std::string("two operations are named ") + operation.name);
            byName_.insert(key, operation);
        }
    }

    // The operation `method` names, called with `argumentCount` arguments.
    // UnknownOperationError for a name the table lacks, HostCallError for a
    // call with another number of arguments; both name the method as the
    // caller spelled it.
    const Operation& find(const QString& method, std::size_t argumentCount) const {
        const auto found = byName_.constFind(method.toCaseFolded());
        if (found == byName_.constEnd())
            throw UnknownOperationError(method, QStringLiteral("unknown method"));
        arguments::expectCount(method, argumentCount, found->argumentCount);
        return *found;
    }

private:
    QHash<QString, Operation> byName_;
};

} // namespace host
