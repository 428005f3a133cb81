// The real plug-ins on a real host that has stopped answering (stopped with
// SIGSTOP, as a hung host would be): where nobody can answer they give up
// after five seconds and end through their fatal path, and SIGTERM or SIGINT
// ends them at once while they wait.
#include "tests/support/RunningHost.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/prctl.h>
#include <vector>

namespace {

// The host, stopped for the length of the test and let go at its end.
class StoppedHost {
public:
    explicit StoppedHost(tests::PrivateBus& bus) : host_(bus, {}) {
        ::kill(static_cast<pid_t>(host_.processId()), SIGSTOP);
    }
    ~StoppedHost() { ::kill(static_cast<pid_t>(host_.processId()), SIGCONT); }
    StoppedHost(const StoppedHost&) = delete;
    StoppedHost& operator=(const StoppedHost&) = delete;

private:
    tests::RunningHost host_;
};

std::unique_ptr<QProcess> startPlugin(const QString& program, tests::PrivateBus& bus) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = bus.environment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    process->setProcessEnvironment(environment);
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process->start(tests::applicationFolder() + QLatin1Char('/') + program, {});
    return process;
}

TEST(StoppedHost, APluginWhereNobodyCanAnswerGivesUpAfterFiveSecondsAndEnds) {
    tests::PrivateBus bus;
    const StoppedHost host(bus);
    QElapsedTimer clock;
    clock.start();
    const QStringList programs{"Cinderloom_pm", "Marrowset_pm"};
    std::vector<std::unique_ptr<QProcess>> plugins;
    for (const QString& program : programs)
        plugins.push_back(startPlugin(program, bus));
    for (std::size_t i = 0; i < plugins.size(); ++i) {
        QProcess& plugin = *plugins[i];
        const bool ended = plugin.waitForFinished(60000);
        const QString errors = QString::fromLocal8Bit(plugin.readAllStandardError());
        const std::string context = programs[i].toStdString() + ": " + errors.toStdString();
        ASSERT_TRUE(ended) << "still waiting on the host? " << context;
        EXPECT_EQ(plugin.exitStatus(), QProcess::NormalExit) << context;
        EXPECT_EQ(plugin.exitCode(), 1) << context;
        EXPECT_TRUE(errors.contains(QStringLiteral("Tallowick is not responding: it has not "
                                                   "answered")))
            << context;
        EXPECT_TRUE(errors.contains(QStringLiteral("[no one can answer on the offscreen "
                                                   "platform: answered Cancel]")))
            << context;
        // How long it waited is told to a tenth of a second, 5 s and what
        // the question itself took.
        EXPECT_TRUE(errors.contains(QRegularExpression(
            QStringLiteral(R"(the host did not answer: no answer came in \d+(\.\d)? seconds)"))))
            << context;
        // One wait, not one per call: the calls after the one given up fail
        // at once.
        EXPECT_EQ(errors.count(QStringLiteral("Tallowick is not responding")), 1) << context;
    }
    EXPECT_GE(clock.elapsed(), 5000);
    EXPECT_LT(clock.elapsed(), 30000);
}

TEST(StoppedHost, SigtermAndSigintEndAPluginWaitingOnItAtOnce) {
    tests::PrivateBus bus;
    const StoppedHost host(bus);
    const struct {
        const char* program;
        int signal;
    } cases[] = {{"Cinderloom_pm", SIGTERM}, {"Marrowset_pm", SIGINT}};
    std::vector<std::unique_ptr<QProcess>> plugins;
    for (const auto& test : cases)
        plugins.push_back(startPlugin(test.program, bus));
    // Long enough for both to start and be waiting on the host; short of the
    // five seconds after which they would ask whether to wait on.
    QThread::msleep(2500);
    QElapsedTimer clock;
    clock.start();
    for (std::size_t i = 0; i < plugins.size(); ++i)
        ::kill(static_cast<pid_t>(plugins[i]->processId()), cases[i].signal);
    for (std::size_t i = 0; i < plugins.size(); ++i) {
        QProcess& plugin = *plugins[i];
        const bool ended = plugin.waitForFinished(60000);
        const QString errors = QString::fromLocal8Bit(plugin.readAllStandardError());
        const std::string context = std::string(cases[i].program) + ": " + errors.toStdString();
        ASSERT_TRUE(ended) << context;
        EXPECT_EQ(plugin.exitStatus(), QProcess::CrashExit) << context;
        EXPECT_EQ(plugin.exitCode(), cases[i].signal) << context;
        EXPECT_FALSE(errors.contains(QStringLiteral("not responding"))) << context;
    }
    EXPECT_LT(clock.elapsed(), 2000);
}

} // namespace
