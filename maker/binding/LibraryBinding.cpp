#include "maker/binding/LibraryBinding.h"

#include <algorithm>
#include <dlfcn.h>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace maker {

namespace fs = std::filesystem;

namespace {

std::string loaderMessage() {
    const char* text = dlerror();
    return text ? std::string(text) : std::string("no reason given");
}

std::optional<fs::path> currentFolder() {
    std::error_code error;
    fs::path folder = fs::current_path(error);
    if (error)
        return std::nullopt;
    return folder;
}

std::optional<fs::path> programFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    if (error)
        return std::nullopt;
    return program.parent_path();
}

void* openFile(const fs::path& file, const std::string& library, const std::string& routine) {
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw BindingError(library, routine,
                           "cannot load " + file.string() + " (" + loaderMessage() + ")");
    return handle;
}

// The first file of that name in the search order, loaded. A file that is
// found but does not load is an error rather than a reason to look further,
// so a broken copy in the current directory is never silently passed over.
void* openLibrary(const std::string& library, const std::string& routine) {
    std::vector<fs::path> folders;
    for (const auto& folder : {currentFolder(), programFolder()})
        if (folder && std::find(folders.begin(), folders.end(), *folder) == folders.end())
            folders.push_back(*folder);

    std::string searched;
    for (const fs::path& folder : folders) {
        const fs::path candidate = folder / library;
        std::error_code error;
        if (fs::is_regular_file(candidate, error))
            return openFile(candidate, library, routine);
        searched += folder.string() + ", ";
    }
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        throw BindingError(library, routine,
                           "not found in " + searched + "nor by the system's search (" +
                               loaderMessage() + ")");
    return handle;
}

std::string orPlaceholder(const char* text) {
    return text ? std::string(text) : "(none)";
}

} // namespace

BindingError::BindingError(const std::string& library, const std::string& routine,
                           const std::string& reason)
    : std::runtime_error("Cannot bind routine " + routine + " of library " + library + ": " +
                         reason),
      library_(library), routine_(routine) {}

void* bindRoutine(const char* libraryFile, const char* routine) {
    const std::string library = orPlaceholder(libraryFile);
    const std::string name = orPlaceholder(routine);
    if (!libraryFile || library.empty() || library.find('/') != std::string::npos ||
        library == "." || library == "..")
        throw BindingError(library, name, "the library is not named by a bare file name");
    if (!routine || name.empty())
        throw BindingError(library, name, "no routine name given");

    // Handles are never closed: bound addresses must stay valid for the life
    // of the process.
    static std::mutex mutex;
    static std::map<std::string, void*, std::less<>> loaded;
    const std::lock_guard lock(mutex);

    auto found = loaded.find(library);
    if (found == loaded.end())
        found = loaded.emplace(library, openLibrary(library, name)).first;

    dlerror();
    void* address = dlsym(found->second, routine);
    if (!address)
        throw BindingError(library, name,
                           "the library does not export it (" + loaderMessage() + ")");
    return address;
}

} // namespace maker
