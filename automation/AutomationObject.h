#pragma once

#include "automation/Variant.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace host {

// A failed late-bound call: names the method as the caller spelled it and the
// reason the callee gave.
class HostCallError : public std::runtime_error {
public:
    HostCallError(QString method, QString reason);
    const QString& method() const { return method_; }
    const QString& reason() const { return reason_; }

private:
    QString method_;
    QString reason_;
};

// What an object takes from one call that crossed the bus, settled before
// any argument is read.
struct CallAdmission {
    // The most bytes a byte array argument may hold; a larger one is refused
    // without its memory being read.
    std::size_t maxByteArrayBytes = SIZE_MAX;
};

// A call of an operation the object does not have. Kept apart from other
// failures because a caller that tries an operation on objects that need not
// all offer it (the host theming every window it holds) treats this one as
// no failure at all.
class UnknownOperationError : public HostCallError {
public:
    using HostCallError::HostCallError;
};

// How a caller uses a byte array in the result of its call.
enum class ResultUse {
    // Kept, or read more than once: the array holds bytes of its own.
    Kept,
    // Copied once, at once, into storage of the caller's own and dropped: an
    // object in another process may then leave it in the memory it came in
    // (ByteArray::borrowing) instead of copying it out first.
    CopiedOnce,
};

// A call sent ahead of reading its answer (AutomationObject::Send).
class SentCall {
public:
    virtual ~SentCall() = default;
    // The call's result, waited for as Invoke waits; throws what Invoke
    // would have thrown for it. Once only.
    virtual Variant answer() = 0;
};

// An object whose methods are called by name at run time with variant
// arguments: the host's automation object, and the windows a program hands
// to the host. Implementations match names without regard to case and throw
// HostCallError when a call fails. Arguments the caller passes "by reference"
// are never read back, so they travel by value here.
class AutomationObject {
public:
    virtual ~AutomationObject() = default;
    virtual Variant Invoke(const QString& method, const std::vector<Variant>& args = {}) = 0;
    // Invoke for a caller that copies a byte array of the result once, at
    // once, into storage of its own and drops it: an object in another
    // process may then leave the array in the memory it came in
    // (ByteArray::borrowing) instead of copying it out first. The default is
    // Invoke.
    virtual Variant InvokeBorrowing(const QString& method, const std::vector<Variant>& args = {}) {
        return Invoke(method, args);
    }
    // Sends the call and returns before it is answered, so that the caller
    // works while the object does; the object serves its calls in the order
    // they were sent, whichever answer is read first. An object in this
    // process serves it at once. Throws HostCallError for a call that cannot
    // be sent; every other failure comes from answer(). A SentCall must not
    // outlive its object.
    virtual std::unique_ptr<SentCall> Send(const QString& method, const std::vector<Variant>& args,
                                           ResultUse use = ResultUse::Kept);
    // A call that crossed the bus from `caller`, the sender's unique bus
    // name. An object that keeps state per caller overrides it; the rest serve
    // it as any other call.
    virtual Variant InvokeFrom(const QString& caller, const QString& method,
                               const std::vector<Variant>& args) {
        (void)caller;
        return Invoke(method, args);
    }
    // Asked for a call from `caller` before its `argumentCount` arguments
    // are read. Throws HostCallError for a call the object refuses whatever
    // its arguments (an unknown method, a wrong count), so that such a call
    // costs nothing; the default takes any call.
    virtual CallAdmission admit(const QString& caller, const QString& method,
                                std::size_t argumentCount) {
        (void)caller, (void)method, (void)argumentCount;
        return {};
    }
};

} // namespace host
