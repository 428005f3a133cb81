// The host's command line: the arguments split at NUL bytes, parsed as the
// host parses its own; what it takes keeps to the ranges it promises.
#include "tallowick/startup/CommandLine.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    QStringList arguments;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty() && arguments.size() < 32) {
        const std::size_t end = std::min(rest.find('\0'), rest.size());
        arguments.append(QString::fromUtf8(rest.data(), static_cast<qsizetype>(end)));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    try {
        const tallowick::HostOptions options = tallowick::parseCommandLine(arguments);
        if (options.autosaveSeconds < 0 ||
            options.autosaveSeconds > tallowick::kLongestAutosaveSeconds ||
            (options.memoryBudgetMiB &&
             (*options.memoryBudgetMiB < 1 ||
              *options.memoryBudgetMiB > tallowick::kLargestMemoryBudgetMiB)))
            std::abort();
    } catch (const tallowick::CommandLineError&) {
        // Refused, naming the option.
    }
    return 0;
}
