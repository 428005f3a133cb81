#pragma once

#include <stdexcept>

namespace tallowick {

// A request the model refuses: an index out of range, a size it cannot hold.
class ModelError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace tallowick
