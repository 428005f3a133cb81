#pragma once

#include "platform/FatalError.h"
#include "platform/MessageBox.h"

#include <QString>
#include <benchmark/benchmark.h>

namespace bench {

// Keeps a benchmarked program from waiting for a user or ending the process:
// every message box is answered (Yes to a question, OK otherwise) and its
// text kept, and an error that would end the program is kept as the failure
// instead, for the benchmark to report. One at a time, for the life of the
// benchmark program's main.
class RecordedFailures {
public:
    RecordedFailures()
        : responder_([this](const platform::MessageBoxRequest& request) {
              lastMessage_ = request.text;
              return request.buttons == platform::MessageBoxButtons::YesNo
                         ? platform::MessageBoxAnswer::Yes
                         : platform::MessageBoxAnswer::Ok;
          }),
          exitHandler_([this](int) { failure_ = lastMessage_; }) {}
    RecordedFailures(const RecordedFailures&) = delete;
    RecordedFailures& operator=(const RecordedFailures&) = delete;

    // A failure met outside the fatal-error path, such as an error thrown
    // out of a routine the benchmark calls directly.
    void record(const QString& text) { failure_ = text; }
    const QString& failure() const { return failure_; }

    // True, after marking `state` skipped with the failure, once one was
    // recorded: the benchmark stops there.
    bool skipped(benchmark::State& state) const {
        if (failure_.isEmpty())
            return false;
        state.SkipWithError(failure_.toLocal8Bit().constData());
        return true;
    }

private:
    QString lastMessage_;
    QString failure_;
    platform::ScopedMessageBoxResponder responder_;
    platform::ScopedExitHandler exitHandler_;
};

} // namespace bench
