#include "tallowick/startup/CommandLine.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using tallowick::CommandLineError;
using tallowick::HostOptions;
using tallowick::parseCommandLine;

std::string parseError(const QStringList& arguments) {
    try {
        parseCommandLine(arguments);
    } catch (const CommandLineError& error) {
        return error.what();
    }
    return "no error";
}

TEST(CommandLine, NothingMeansTheDemoAndTheBuiltInsWithAWindow) {
    const HostOptions options = parseCommandLine({});
    EXPECT_EQ(options.document, tallowick::DocumentSource::Demo);
    EXPECT_EQ(options.brush, tallowick::BrushSource::BuiltIn);
    EXPECT_TRUE(options.wallpaperPath.isEmpty());
    EXPECT_FALSE(options.headless);
    EXPECT_FALSE(options.runProgram);
}

TEST(CommandLine, EveryOptionIsTaken) {
    const HostOptions options = parseCommandLine(
        {"--anim", "frames", "--brush", "b.png", "--wallpaper", "w.png", "--save-dir", "out",
         "--trace", "t.jsonl", "--headless", "--run", "Marrowset_pm", "CLIPBOARD"});
    EXPECT_EQ(options.document, tallowick::DocumentSource::Animation);
    EXPECT_EQ(options.documentPath, "frames");
    EXPECT_EQ(options.brush, tallowick::BrushSource::File);
    EXPECT_EQ(options.brushPath, "b.png");
    EXPECT_EQ(options.wallpaperPath, "w.png");
    EXPECT_EQ(options.saveDir, "out");
    EXPECT_EQ(options.tracePath, "t.jsonl");
    EXPECT_TRUE(options.headless);
    EXPECT_EQ(options.runProgram, "Marrowset_pm");
    EXPECT_EQ(options.runArgument, "CLIPBOARD");

    // The plug-in's argument is optional: a following option is not it.
    const HostOptions bare =
        parseCommandLine({"--run", "Cinderloom_pm", "--image", "p.png", "--no-brush", "--help"});
    EXPECT_EQ(bare.runProgram, "Cinderloom_pm");
    EXPECT_FALSE(bare.runArgument);
    EXPECT_EQ(bare.document, tallowick::DocumentSource::Still);
    EXPECT_EQ(bare.brush, tallowick::BrushSource::None);
    EXPECT_TRUE(bare.help);
}

TEST(CommandLine, BadInputIsNamed) {
    EXPECT_EQ(parseError({"--colour", "red"}),
              "--colour: unknown option; --help lists the options");
    EXPECT_EQ(parseError({"--anim"}), "--anim: needs a folder or picture file");
    EXPECT_EQ(parseError({"--run", "--headless"}), "--run: needs a program name");
    EXPECT_EQ(parseError({"--trace", "a", "--trace", "b"}), "--trace: is given more than once");
    EXPECT_EQ(parseError({"--anim", "a", "--image", "b"}),
              "--image: cannot be combined with --anim");
    EXPECT_EQ(parseError({"--no-brush", "--brush", "b"}),
              "--no-brush: cannot be combined with --brush");
    EXPECT_EQ(parseError({"--headless", "extra"}),
              "extra: unexpected argument; options start with \"--\"");
}

TEST(CommandLine, EveryDescribedOptionIsTaken) {
    // The table is the parser's list of options: one it describes but does
    // not take would fail here rather than in a user's hands.
    for (const tallowick::OptionDescription& option : tallowick::optionDescriptions()) {
        QStringList arguments{QString(option.name)};
        if (!option.value.isEmpty())
            arguments.append(option.name == QLatin1StringView("--memory-budget") ||
                                     option.name == QLatin1StringView("--autosave")
                                 ? "64"
                                 : "value");
        EXPECT_EQ(parseError(arguments), "no error") << QString(option.name).toStdString();
    }
    EXPECT_TRUE(parseCommandLine({"--version"}).version);
    EXPECT_FALSE(parseCommandLine({"--help"}).version);
}

// The text without any white space: words wrapped differently still match.
QString withoutSpaces(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

TEST(CommandLine, HelpShowsEveryOptionWithItsWholeTextWithinItsWidth) {
    const QString usage = tallowick::usageText();
    const QStringList lines = usage.split('\n');
    for (const QString& line : lines)
        EXPECT_LE(line.size(), tallowick::kUsageWidth) << line.toStdString();
    const QString compact = withoutSpaces(usage);
    for (const tallowick::OptionDescription& option : tallowick::optionDescriptions()) {
        const QString label =
            QString(option.name) + (option.value.isEmpty() ? "" : " " + QString(option.value));
        // Each option starts a line of its own, its text beside it.
        EXPECT_TRUE(usage.contains("\n  " + label + "  ")) << label.toStdString();
        EXPECT_TRUE(compact.contains(withoutSpaces(label + QString(option.text))))
            << label.toStdString();
    }
    // A line ended early in the table ends the line in the text too.
    EXPECT_TRUE(usage.contains(
        QRegularExpression(QStringLiteral("open a still picture\\n +\\(neither: a built-in"))));
}

TEST(CommandLineBudget, TheBudgetIsGivenInMiBAndBadValuesAreNamed) {
    EXPECT_FALSE(tallowick::parseCommandLine({}).memoryBudgetMiB);
    EXPECT_EQ(tallowick::parseCommandLine({"--memory-budget", "512"}).memoryBudgetMiB, 512u);
    for (const char* bad : {"0", "-3", "12.5", "lots", "1073741825", "99999999999999999999"}) {
        try {
            tallowick::parseCommandLine({"--memory-budget", bad});
            ADD_FAILURE() << bad << " was taken";
        } catch (const tallowick::CommandLineError& error) {
            EXPECT_EQ(error.what(), QStringLiteral("--memory-budget: \"%1\" is not a whole "
                                                   "number of MiB from 1 to 1073741824")
                                        .arg(bad)
                                        .toStdString());
        }
    }
}

TEST(CommandLineAutosave, TheIntervalIsWholeSecondsFromNoneToADay) {
    EXPECT_EQ(tallowick::parseCommandLine({}).autosaveSeconds, 60);
    EXPECT_EQ(tallowick::parseCommandLine({"--autosave", "0"}).autosaveSeconds, 0);
    EXPECT_EQ(tallowick::parseCommandLine({"--autosave", "86400"}).autosaveSeconds, 86400);
    for (const char* bad : {"-1", "1.5", "soon", "86401", "99999999999"})
        EXPECT_EQ(parseError({"--autosave", bad}),
                  QStringLiteral("--autosave: \"%1\" is not a whole number of seconds from 0 to "
                                 "86400")
                      .arg(bad)
                      .toStdString());
    EXPECT_EQ(parseError({"--autosave"}), "--autosave: needs a number of seconds");
}

} // namespace
