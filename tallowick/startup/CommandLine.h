#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>

namespace tallowick {

// A command line the host cannot follow; the message names the option and
// what was wrong with it.
class CommandLineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class DocumentSource { Demo, Animation, Still };
enum class BrushSource { BuiltIn, File, None };

struct HostOptions {
    DocumentSource document = DocumentSource::Demo;
    QString documentPath;
    BrushSource brush = BrushSource::BuiltIn;
    QString brushPath;
    // Empty: the built-in tile, written to the host's data folder.
    QString wallpaperPath;
    // Empty: nothing is saved when the host ends.
    QString saveDir;
    // How often the documents that changed are copied for recovery; 0: never.
    int autosaveSeconds = 60;
    // Empty: no trace.
    QString tracePath;
    bool headless = false;
    // Empty: half of the machine's physical memory.
    std::optional<uint64_t> memoryBudgetMiB;
    std::optional<QString> runProgram;
    std::optional<QString> runArgument;
    bool help = false;
    bool version = false;
};

// One option as `--help` and the manual page describe it.
struct OptionDescription {
    QLatin1StringView name;
    // What follows the option on the command line ("PATH", "PROGRAM [ARG]");
    // empty for a switch.
    QLatin1StringView value;
    // What it does, in words the printer wraps; "\n" ends a line early.
    QLatin1StringView text;
};

// Every option the host takes, in the order `--help` lists them: the parser
// refuses any other as unknown.
std::span<const OptionDescription> optionDescriptions();

// Parses the arguments after the program's name. `--run PROGRAM` takes the
// next argument as the plug-in's argument text unless it starts with "--".
// Throws CommandLineError for an unknown option, a missing or malformed value,
// an option given twice, options that exclude each other, or a stray argument.
HostOptions parseCommandLine(const QStringList& arguments);

// The largest --memory-budget taken, in MiB: a pebibyte.
inline constexpr uint64_t kLargestMemoryBudgetMiB = uint64_t{1} << 30;

// The longest --autosave interval taken: a day.
inline constexpr int kLongestAutosaveSeconds = 24 * 60 * 60;

// The width `--help` wraps its text to.
inline constexpr qsizetype kUsageWidth = 80;

// The text `--help` prints: the options of optionDescriptions().
QString usageText();

// The text `--version` prints: the program's name and the project's version.
QString versionText();

} // namespace tallowick
