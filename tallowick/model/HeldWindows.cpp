#include "tallowick/model/HeldWindows.h"

#include <algorithm>

namespace tallowick {

void HeldWindows::hold(const host::ObjectRef& window) {
    if (std::find(windows_.begin(), windows_.end(), window) == windows_.end())
        windows_.push_back(window);
}

void HeldWindows::releaseOf(const QString& busName) {
    std::erase_if(windows_,
                  [&](const host::ObjectRef& window) { return window.service == busName; });
}

} // namespace tallowick
