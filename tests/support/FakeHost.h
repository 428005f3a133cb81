#pragma once

#include "automation/AutomationObject.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace tests {

// An in-process stand-in for the host's automation object. It records every
// call in order (failed ones too), with copies of the arguments as they were
// at the time of the call, and answers from a script: a failure, else a
// handler, else a fixed result, else Empty. Method names are matched without
// regard to case; the record keeps each caller's spelling.
class FakeHost : public host::AutomationObject {
public:
    struct Call {
        QString method;
        std::vector<host::Variant> args;
    };
    using Handler = std::function<host::Variant(const std::vector<host::Variant>&)>;

    host::Variant Invoke(const QString& method,
                         const std::vector<host::Variant>& args = {}) override;

    // A method answers with `result` on every call, or computes its answer
    // with `handler`. Each replaces whatever the method answered before.
    void setResult(const QString& method, host::Variant result);
    void setHandler(const QString& method, Handler handler);

    // Calls of `method` throw HostCallError with `reason`: every call, or only
    // the `nth` (1-based) counted from now, after which it answers again.
    void failCalls(const QString& method, QString reason);
    void failNthCall(const QString& method, int nth, QString reason);

    const std::vector<Call>& calls() const { return calls_; }
    QStringList callNames() const;
    // Recorded calls of `method`, matched without regard to case.
    int countOf(const QString& method) const;
    std::vector<Call> callsOf(const QString& method) const;
    void clearCalls() { calls_.clear(); }

private:
    struct Failure {
        QString reason;
        std::optional<int> remainingBeforeFailure;
    };
    struct Answer {
        std::optional<host::Variant> result;
        Handler handler;
    };

    static QString keyOf(const QString& method) { return method.toCaseFolded(); }
    // Throws when this call of `key` is scripted to fail.
    void failIfScripted(const QString& method, const QString& key);

    std::vector<Call> calls_;
    std::map<QString, Answer> answers_;
    std::map<QString, Failure> failures_;
};

} // namespace tests
