#include "tests/support/MessageBoxRecorder.h"

namespace tests {

MessageBoxRecorder::MessageBoxRecorder()
    : responder_([this](const platform::MessageBoxRequest& request) {
          requests_.push_back(request);
          if (!answers_.empty()) {
              const auto answer = answers_.front();
              answers_.pop_front();
              return answer;
          }
          return request.buttons == platform::MessageBoxButtons::YesNo
                     ? platform::MessageBoxAnswer::Yes
                     : platform::MessageBoxAnswer::Ok;
      }) {}

} // namespace tests
