#pragma once

#include "platform/MessageBox.h"

#include <deque>
#include <vector>

namespace tests {

// Records every message box and answers from a queue, OK (or Yes) once the
// queue is empty; Cancel to Retry or Cancel, so that a test whose host does
// not answer never waits for ever.
class MessageBoxRecorder {
public:
    MessageBoxRecorder();
    void answerNext(platform::MessageBoxAnswer answer) { answers_.push_back(answer); }
    const std::vector<platform::MessageBoxRequest>& requests() const { return requests_; }

private:
    std::vector<platform::MessageBoxRequest> requests_;
    std::deque<platform::MessageBoxAnswer> answers_;
    platform::ScopedMessageBoxResponder responder_;
};

} // namespace tests
