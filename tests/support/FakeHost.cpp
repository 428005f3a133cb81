#include "tests/support/FakeHost.h"

#include <stdexcept>
#include <utility>

namespace tests {

host::Variant FakeHost::Invoke(const QString& method, const std::vector<host::Variant>& args) {
    calls_.push_back({method, args});
    const QString key = keyOf(method);
    failIfScripted(method, key);

    const auto answer = answers_.find(key);
    if (answer == answers_.end())
        return host::Empty{};
    if (answer->second.handler) {
        // A copy, so a handler that re-scripts its own method while running
        // does not destroy itself.
        const Handler handler = answer->second.handler;
        return handler(args);
    }
    return *answer->second.result;
}

void FakeHost::failIfScripted(const QString& method, const QString& key) {
    const auto failure = failures_.find(key);
    if (failure == failures_.end())
        return;
    std::optional<int>& remaining = failure->second.remainingBeforeFailure;
    if (remaining && (*remaining)-- > 0)
        return;
    QString reason = failure->second.reason;
    if (remaining)
        failures_.erase(failure);
    throw host::HostCallError(method, std::move(reason));
}

void FakeHost::setResult(const QString& method, host::Variant result) {
    answers_[keyOf(method)] = Answer{std::move(result), {}};
}

void FakeHost::setHandler(const QString& method, Handler handler) {
    if (!handler)
        throw std::invalid_argument("FakeHost::setHandler: empty handler for " +
                                    method.toStdString());
    answers_[keyOf(method)] = Answer{std::nullopt, std::move(handler)};
}

void FakeHost::failCalls(const QString& method, QString reason) {
    failures_[keyOf(method)] = Failure{std::move(reason), std::nullopt};
}

void FakeHost::failNthCall(const QString& method, int nth, QString reason) {
    if (nth < 1)
        throw std::invalid_argument("FakeHost::failNthCall: call number " + std::to_string(nth) +
                                    " of " + method.toStdString() + " is not 1 or more");
    failures_[keyOf(method)] = Failure{std::move(reason), nth - 1};
}

QStringList FakeHost::callNames() const {
    QStringList names;
    for (const Call& call : calls_)
        names << call.method;
    return names;
}

int FakeHost::countOf(const QString& method) const {
    return static_cast<int>(callsOf(method).size());
}

std::vector<FakeHost::Call> FakeHost::callsOf(const QString& method) const {
    const QString key = keyOf(method);
    std::vector<Call> matching;
    for (const Call& call : calls_)
        if (keyOf(call.method) == key)
            matching.push_back(call);
    return matching;
}

} // namespace tests
