#include "tallowick/startup/CommandLine.h"

#include "version/Version.h"

#include <QSet>
#include <algorithm>
#include <stdexcept>

namespace tallowick {

namespace {

using namespace Qt::StringLiterals;

constexpr OptionDescription kOptions[] = {
    {"--anim"_L1, "PATH"_L1,
     "open an animation: a folder of pictures in name order, or one multi-frame picture file"_L1},
    {"--image"_L1, "PATH"_L1,
     "open a still picture\n(neither: a built-in demo animation of 12 frames)"_L1},
    {"--brush"_L1, "PATH"_L1, "the custom brush, from a picture"_L1},
    {"--no-brush"_L1, {}, "no custom brush\n(neither: a built-in brush of 64 x 48)"_L1},
    {"--wallpaper"_L1, "PATH"_L1, "the backdrop picture plug-ins ask for"_L1},
    {"--save-dir"_L1, "DIR"_L1,
     "when the host ends, save every document as DIR/docN/frameNNNN.png (DIR is created and "
     "checked for writing at start)"_L1},
    {"--autosave"_L1, "SECONDS"_L1,
     "every SECONDS seconds (default 60; 0 turns it off), keep a recovery copy of every "
     "document changed since the last one, in a folder of this host's under "
     "$XDG_STATE_HOME/tallowick/recovery (by default ~/.local/state/tallowick/recovery), removed "
     "when the host ends cleanly; a host started with a window after one that did not offers to "
     "reopen them"_L1},
    {"--trace"_L1, "FILE"_L1, "write one JSON line per call the host receives"_L1},
    {"--memory-budget"_L1, "MIB"_L1,
     "the memory, in MiB, that documents, their frames and undo snapshots may hold together "
     "(default: half of the machine's memory); a document beyond it is refused, and the oldest "
     "undo snapshots make room"_L1},
    {"--headless"_L1,
     {},
     "no window, and no display needed; the plug-in started by --run still shows its window. "
     "The host ends with that plug-in, on SIGTERM or SIGINT, or with status 1 when it loses "
     "the session bus"_L1},
    {"--run"_L1, "PROGRAM [ARG]"_L1,
     "start the plug-in PROGRAM from the host's folder, with an optional argument text"_L1},
    {"--version"_L1, {}, "print the version and end"_L1},
    {"--help"_L1, {}, "print this summary of the options and end"_L1},
};

bool isDescribed(const QString& option) {
    return std::any_of(std::begin(kOptions), std::end(kOptions),
                       [&option](const OptionDescription& row) { return row.name == option; });
}

// Appends `text` in lines of at most kUsageWidth columns where its words
// allow, every line but the first indented to `indent`; the first continues
// what `out` ends with.
void appendWrapped(QString& out, QLatin1StringView text, qsizetype indent) {
    const QString margin(indent, u' ');
    qsizetype column = indent;
    bool lineStarted = false;
    for (const QString& line : QString(text).split(u'\n')) {
        if (lineStarted) {
            out += u'\n' + margin;
            column = indent;
            lineStarted = false;
        }
        for (const QString& word : line.split(u' ', Qt::SkipEmptyParts)) {
            if (lineStarted && column + 1 + word.size() > kUsageWidth) {
                out += u'\n' + margin;
                column = indent;
                lineStarted = false;
            }
            if (lineStarted) {
                out += u' ';
                ++column;
            }
            out += word;
            column += word.size();
            lineStarted = true;
        }
    }
    out += u'\n';
}

QString labelOf(const OptionDescription& option) {
    return option.value.isEmpty() ? QString(option.name)
                                  : QString(option.name) + u' ' + option.value;
}

[[noreturn]] void refuse(const QString& option, const QString& reason) {
    throw CommandLineError(QStringLiteral("%1: %2").arg(option, reason).toStdString());
}

bool isOption(const QString& argument) {
    return argument.startsWith(QLatin1String("--"));
}

// Walks the arguments once, handing out option values and refusing an
// option given twice.
class ArgumentReader {
public:
    explicit ArgumentReader(const QStringList& arguments) : arguments_(arguments) {}

    bool atEnd() const { return next_ >= arguments_.size(); }
    QString take() { return arguments_[next_++]; }
    bool nextIsValue() const { return !atEnd() && !isOption(arguments_[next_]); }

    QString valueOf(const QString& option, const QString& what) {
        if (!nextIsValue())
            refuse(option, QStringLiteral("needs %1").arg(what));
        return take();
    }

    void markSeen(const QString& option) {
        if (seen_.contains(option))
            refuse(option, QStringLiteral("is given more than once"));
        seen_.insert(option);
    }
    bool seen(const QString& option) const { return seen_.contains(option); }

private:
    const QStringList& arguments_;
    qsizetype next_ = 0;
    QSet<QString> seen_;
};

uint64_t memoryBudgetOf(const QString& option, const QString& value) {
    bool ok = false;
    const qulonglong mebibytes = value.toULongLong(&ok);
    if (!ok || mebibytes < 1 || mebibytes > kLargestMemoryBudgetMiB)
        refuse(option, QStringLiteral("\"%1\" is not a whole number of MiB from 1 to %2")
                           .arg(value)
                           .arg(kLargestMemoryBudgetMiB));
    return mebibytes;
}

int autosaveSecondsOf(const QString& option, const QString& value) {
    bool ok = false;
    const uint seconds = value.toUInt(&ok);
    if (!ok || seconds > kLongestAutosaveSeconds)
        refuse(option, QStringLiteral("\"%1\" is not a whole number of seconds from 0 to %2")
                           .arg(value)
                           .arg(kLongestAutosaveSeconds));
    return static_cast<int>(seconds);
}

void refuseBoth(const ArgumentReader& reader, const QString& first, const QString& second) {
    if (reader.seen(first) && reader.seen(second))
        refuse(second, QStringLiteral("cannot be combined with %1").arg(first));
}

} // namespace

HostOptions parseCommandLine(const QStringList& arguments) {
    HostOptions options;
    ArgumentReader reader(arguments);
    while (!reader.atEnd()) {
        const QString option = reader.take();
        if (!isOption(option))
            refuse(option, QStringLiteral("unexpected argument; options start with \"--\""));
        if (!isDescribed(option))
            refuse(option, QStringLiteral("unknown option; --help lists the options"));
        reader.markSeen(option);
        if (option == QLatin1String("--anim")) {
            options.document = DocumentSource::Animation;
            options.documentPath =
                reader.valueOf(option, QStringLiteral("a folder or picture file"));
        } else if (option == QLatin1String("--image")) {
            options.document = DocumentSource::Still;
            options.documentPath = reader.valueOf(option, QStringLiteral("a picture file"));
        } else if (option == QLatin1String("--brush")) {
            options.brush = BrushSource::File;
            options.brushPath = reader.valueOf(option, QStringLiteral("a picture file"));
        } else if (option == QLatin1String("--no-brush")) {
            options.brush = BrushSource::None;
        } else if (option == QLatin1String("--wallpaper")) {
            options.wallpaperPath = reader.valueOf(option, QStringLiteral("a picture file"));
        } else if (option == QLatin1String("--save-dir")) {
            options.saveDir = reader.valueOf(option, QStringLiteral("a folder"));
        } else if (option == QLatin1String("--autosave")) {
            options.autosaveSeconds = autosaveSecondsOf(
                option, reader.valueOf(option, QStringLiteral("a number of seconds")));
        } else if (option == QLatin1String("--trace")) {
            options.tracePath = reader.valueOf(option, QStringLiteral("a file"));
        } else if (option == QLatin1String("--memory-budget")) {
            options.memoryBudgetMiB =
                memoryBudgetOf(option, reader.valueOf(option, QStringLiteral("a size in MiB")));
        } else if (option == QLatin1String("--headless")) {
            options.headless = true;
        } else if (option == QLatin1String("--run")) {
            options.runProgram = reader.valueOf(option, QStringLiteral("a program name"));
            if (reader.nextIsValue())
                options.runArgument = reader.take();
        } else if (option == QLatin1String("--help")) {
            options.help = true;
        } else if (option == QLatin1String("--version")) {
            options.version = true;
        } else {
            throw std::logic_error("the option table lists " + option.toStdString() +
                                   ", which the parser does not take");
        }
    }
    refuseBoth(reader, QStringLiteral("--anim"), QStringLiteral("--image"));
    refuseBoth(reader, QStringLiteral("--brush"), QStringLiteral("--no-brush"));
    return options;
}

std::span<const OptionDescription> optionDescriptions() {
    return kOptions;
}

QString usageText() {
    qsizetype widestLabel = 0;
    for (const OptionDescription& option : kOptions)
        widestLabel = std::max(widestLabel, labelOf(option).size());
    const qsizetype indent = 2 + widestLabel + 2;
    QString text = QStringLiteral("Usage: tallowick [options]\n\n");
    for (const OptionDescription& option : kOptions) {
        text += QStringLiteral("  ") + labelOf(option).leftJustified(widestLabel + 2);
        appendWrapped(text, option.text, indent);
    }
    return text;
}

QString versionText() {
    return QStringLiteral("tallowick %1\n").arg(QLatin1StringView(version::kProjectVersion));
}

} // namespace tallowick
