#include "tallowick/startup/CommandLine.h"

#include <QFile>
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

} // namespace
