#pragma once

#include "tallowick/startup/ExitStatus.h"

#include <QString>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace tallowick {

// A step of the host's run that failed: what standard error is told, and the
// status the host ends with.
class FailedStep : public std::runtime_error {
public:
    FailedStep(int status, QString message)
        : std::runtime_error(message.toStdString()), status_(status), message_(std::move(message)) {
    }

    int status() const { return status_; }
    const QString& message() const { return message_; }

private:
    int status_;
    QString message_;
};

// Runs `step`, turning the `Error` it may end in into a FailedStep of
// `status` that tells `prefix` and the error's text.
template <typename Error, typename Step>
auto failsWith(int status, Step&& step, const QString& prefix = {}) -> decltype(step()) {
    try {
        return step();
    } catch (const FailedStep&) {
        throw;
    } catch (const Error& error) {
        throw FailedStep(status, prefix + QString::fromLocal8Bit(error.what()));
    }
}

// Tells standard error, as the host.
inline void report(const QString& text) {
    std::fprintf(stderr, "tallowick: %s\n", qPrintable(text));
}

} // namespace tallowick
