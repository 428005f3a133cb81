#include "tallowick/startup/CommandLine.h"

#include <QSet>

namespace tallowick {

namespace {

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
        } else {
            refuse(option, QStringLiteral("unknown option; --help lists the options"));
        }
    }
    refuseBoth(reader, QStringLiteral("--anim"), QStringLiteral("--image"));
    refuseBoth(reader, QStringLiteral("--brush"), QStringLiteral("--no-brush"));
    return options;
}

QString usageText() {
    return QStringLiteral(
        "Usage: tallowick [options]\n"
        "\n"
        "  --anim PATH          open an animation: a folder of pictures in name order,\n"
        "                       or one multi-frame picture file\n"
        "  --image PATH         open a still picture\n"
        "                       (neither: a built-in demo animation of 12 frames)\n"
        "  --brush PATH         the custom brush, from a picture\n"
        "  --no-brush           no custom brush\n"
        "                       (neither: a built-in brush of 64 x 48)\n"
        "  --wallpaper PATH     the backdrop picture plug-ins ask for\n"
        "  --save-dir DIR       when the host ends, save every document as\n"
        "                       DIR/docN/frameNNNN.png (DIR is created and checked\n"
        "                       for writing at start)\n"
        "  --trace FILE         write one JSON line per call the host receives\n"
        "  --memory-budget MIB  the memory, in MiB, that documents, their frames and\n"
        "                       undo snapshots may hold together (default: half of\n"
        "                       the machine's memory); a document beyond it is\n"
        "                       refused, and the oldest undo snapshots make room\n"
        "  --headless           no window, and no display needed; the plug-in started\n"
        "                       by --run still shows its window. The host ends with\n"
        "                       that plug-in, on SIGTERM or SIGINT, or with status 1\n"
        "                       when it loses the session bus\n"
        "  --run PROGRAM [ARG]  start the plug-in PROGRAM from the host's folder,\n"
        "                       with an optional argument text\n"
        "  --help               show this text\n");
}

} // namespace tallowick
