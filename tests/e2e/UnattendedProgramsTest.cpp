// The real programs where no person is there to answer: a plug-in on the
// offscreen platform that meets a fatal error ends instead of waiting on its
// message box, and every program started without a display ends with a
// message instead of Qt's abort.
#include "tests/support/RunningHost.h"

#include <QProcess>
#include <QStringList>
#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <sys/prctl.h>

namespace {

struct Ending {
    bool ended = false;
    bool crashed = false;
    int status = -1;
    QString errors;
};

// Runs a program of the application folder to its end. A program that
// waits for an answer never ends: it is killed after a wait generous enough
// for a loaded machine, and reported as not ended.
Ending runToEnd(const QString& program, const QStringList& arguments,
                const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.start(tests::applicationFolder() + QLatin1Char('/') + program, arguments);
    Ending ending;
    ending.ended = process.waitForFinished(60000);
    if (!ending.ended) {
        process.kill();
        process.waitForFinished();
    }
    ending.crashed = process.exitStatus() != QProcess::NormalExit;
    ending.status = process.exitCode();
    ending.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return ending;
}

TEST(UnattendedPlugins, APluginThatFindsNoHostSaysWhyAndEndsWithAFailingStatus) {
    tests::PrivateBus bus;
    QProcessEnvironment environment = bus.environment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    for (const QString program : {"Cinderloom_pm", "Marrowset_pm"}) {
        const Ending ending = runToEnd(program, {}, environment);
        const std::string context = program.toStdString() + ": " + ending.errors.toStdString();
        ASSERT_TRUE(ending.ended) << "still waiting on its message box? " << context;
        EXPECT_FALSE(ending.crashed) << context;
        EXPECT_NE(ending.status, 0) << context;
        EXPECT_TRUE(ending.errors.contains("Start-up: No host is running")) << context;
    }
}

TEST(NoDisplay, EveryProgramEndsWithStatus2AndAOneLineMessage) {
    tests::PrivateBus bus;
    QProcessEnvironment bare = bus.environment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        bare.remove(name);
    QProcessEnvironment x11 = bare;
    x11.insert("QT_QPA_PLATFORM", "xcb");

    for (const QProcessEnvironment& environment : {bare, x11}) {
        for (const QString program : {"Cinderloom_pm", "Marrowset_pm", "tallowick"}) {
            const Ending ending = runToEnd(program, {}, environment);
            const std::string context = program.toStdString() + " with QT_QPA_PLATFORM=\"" +
                                        environment.value("QT_QPA_PLATFORM").toStdString() +
                                        "\": " + ending.errors.toStdString();
            ASSERT_TRUE(ending.ended) << context;
            EXPECT_FALSE(ending.crashed) << context;
            EXPECT_EQ(ending.status, 2) << context;
            EXPECT_EQ(ending.errors.count('\n'), 1) << context;
            EXPECT_TRUE(ending.errors.contains("no display")) << context;
            EXPECT_EQ(ending.errors.contains("--headless"), program == "tallowick") << context;
        }
    }
}

} // namespace
