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
          switch (request.buttons) {
          case platform::MessageBoxButtons::YesNo:
              return platform::MessageBoxAnswer::Yes;
          case platform::MessageBoxButtons::RetryCancel:
              return platform::MessageBoxAnswer::Cancel;
          default:
              return platform::MessageBoxAnswer::Ok;
          }
      }) {}

} // namespace tests
