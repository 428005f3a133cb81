#pragma once

#include <stdexcept>
#include <string>

namespace maker {

// A library or routine that could not be bound; the message names both, and
// the loader's own explanation.
class BindingError : public std::runtime_error {
public:
    BindingError(const std::string& library, const std::string& routine, const std::string& reason);
    const std::string& library() const { return library_; }
    const std::string& routine() const { return routine_; }

private:
    std::string library_;
    std::string routine_;
};

// Loads `libraryFile` (a bare file name such as "libvxfilter.so") and looks up
// `routine`. The library is searched in the current directory, then in the
// folder of the running program, then through the system's own search; the
// first file found is the one loaded. A loaded library stays loaded for the
// life of the process and later bindings by the same file name reuse it, even
// after the current directory changed. Throws BindingError.
void* bindRoutine(const char* libraryFile, const char* routine);

// A routine bound on its first call; later calls reuse the address. A failed
// binding leaves it unbound, so the next call searches again.
template <typename Signature> class LazyRoutine;

template <typename Result, typename... Args> class LazyRoutine<Result(Args...)> {
public:
    using Pointer = Result (*)(Args...);

    constexpr LazyRoutine(const char* libraryFile, const char* routine)
        : libraryFile_(libraryFile), routine_(routine) {}

    Pointer pointer() {
        if (!address_)
            address_ = reinterpret_cast<Pointer>(bindRoutine(libraryFile_, routine_));
        return address_;
    }
    Result operator()(Args... args) { return pointer()(args...); }
    bool isBound() const { return address_ != nullptr; }

private:
    const char* libraryFile_;
    const char* routine_;
    Pointer address_ = nullptr;
};

} // namespace maker
