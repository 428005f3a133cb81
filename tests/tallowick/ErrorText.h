#pragma once

#include "automation/AutomationObject.h"

#include <string>

namespace tests {

// The text of the `Error` that `call` throws, or "no error".
template <typename Error, typename Call> std::string errorText(Call&& call) {
    try {
        call();
    } catch (const Error& error) {
        return error.what();
    }
    return "no error";
}

// The text of the HostCallError that `call` throws, or "no error".
template <typename Call> std::string errorOf(Call&& call) {
    return errorText<host::HostCallError>(call);
}

} // namespace tests
