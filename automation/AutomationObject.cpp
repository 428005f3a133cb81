#include "automation/AutomationObject.h"

#include <exception>
#include <utility>

namespace host {

namespace {

// A call an object in this process has served already: its result, or what
// it threw, kept until the caller asks.
class ServedCall final : public SentCall {
public:
    explicit ServedCall(Variant result) : result_(std::move(result)) {}
    explicit ServedCall(std::exception_ptr failure) : failure_(std::move(failure)) {}

    Variant answer() override {
        if (failure_)
            std::rethrow_exception(std::exchange(failure_, nullptr));
        return std::move(result_);
    }

private:
    Variant result_;
    std::exception_ptr failure_;
};

} // namespace

HostCallError::HostCallError(QString method, QString reason)
    : std::runtime_error((method + QStringLiteral(": ") + reason).toStdString()),
      method_(std::move(method)), reason_(std::move(reason)) {}

std::unique_ptr<SentCall> AutomationObject::Send(const QString& method,
                                                 const std::vector<Variant>& args, ResultUse use) {
    try {
        return std::make_unique<ServedCall>(
            use == ResultUse::CopiedOnce ? InvokeBorrowing(method, args) : Invoke(method, args));
    } catch (...) {
        return std::make_unique<ServedCall>(std::current_exception());
    }
}

} // namespace host
