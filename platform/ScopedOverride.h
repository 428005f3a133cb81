#pragma once

#include <utility>

namespace platform {

// Replaces a process-wide setting for the lifetime of the object, then puts
// back the one in place before: how a test takes the place of the person
// (the message box responder), of the process's end (the exit handler) or
// names the program. `Install` puts a value in place and returns the one it
// replaced.
template <typename Value, Value (*Install)(Value)> class ScopedOverride {
public:
    explicit ScopedOverride(Value value) : previous_(Install(std::move(value))) {}
    ~ScopedOverride() { Install(std::move(previous_)); }
    ScopedOverride(const ScopedOverride&) = delete;
    ScopedOverride& operator=(const ScopedOverride&) = delete;

private:
    Value previous_;
};

} // namespace platform
