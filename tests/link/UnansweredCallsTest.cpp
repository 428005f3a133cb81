// Calls into a host in a process of its own that stops answering (stopped
// with SIGSTOP) or answers late: the caller's windows repaint while it
// waits and nothing else of it runs, the question is put after the
// patience given, and giving up fails the call naming it.
#include "link/DBusAutomationObject.h"
#include "tests/link/PeerHostProcess.h"
#include "tests/support/PrivateBus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QProcess>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using host::Variant;

// A host of its own on a private bus, ended with the test.
class PeerHost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(tests::startPeerHost(peer, bus));
        hostObject = host::connectToHost(bus.connect("plugin"), patience);
    }
    void TearDown() override {
        resume();
        peer.kill();
        peer.waitForFinished();
    }

    void stop() { ::kill(static_cast<pid_t>(peer.processId()), SIGSTOP); }
    void resume() {
        if (peer.state() != QProcess::NotRunning)
            ::kill(static_cast<pid_t>(peer.processId()), SIGCONT);
    }

    struct Question {
        QString method;
        QString peer;
        std::chrono::milliseconds waited;
    };

    tests::PrivateBus bus;
    QProcess peer;
    const host::CallPatience patience{200ms, 300ms};
    std::unique_ptr<host::DBusAutomationObject> hostObject;
    std::vector<Question> questions;
};

TEST_F(PeerHost, AHostThatStopsAnsweringIsPutToTheQuestionAndGivingUpFailsTheCall) {
    EXPECT_EQ(hostObject->Invoke("Echo", {int32_t{7}}), Variant(int32_t{7}));
    stop();
    const host::ScopedUnansweredCallQuestion ask([this](host::UnansweredCall& call) {
        questions.push_back({call.method(), call.peer(), call.waited()});
        return false;
    });
    QElapsedTimer clock;
    clock.start();
    try {
        hostObject->Invoke("Echo", {int32_t{8}});
        FAIL() << "the call to a stopped host returned";
    } catch (const host::HostCallError& error) {
        EXPECT_EQ(error.method(), "Echo");
        EXPECT_EQ(error.reason(), "the host did not answer: no answer came in 0.2 seconds, and "
                                  "waiting for it was given up");
    }
    EXPECT_LT(clock.elapsed(), 2000);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].method, "Echo");
    EXPECT_EQ(questions[0].peer, "the host");
    EXPECT_GE(questions[0].waited, 200ms);

    // Until the host answers after all, later calls fail at once.
    clock.restart();
    try {
        hostObject->Invoke("Echo", {int32_t{9}});
        FAIL() << "a later call to a stopped host returned";
    } catch (const host::HostCallError& error) {
        EXPECT_TRUE(error.reason().startsWith("the host did not answer"));
        EXPECT_TRUE(error.reason().endsWith("(Echo is still unanswered)")) << error.what();
    }
    EXPECT_LT(clock.elapsed(), 100);
    EXPECT_EQ(questions.size(), 1u);

    // Once it has answered the call given up, it is called again.
    resume();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 5000) {
        try {
            EXPECT_EQ(hostObject->Invoke("Echo", {int32_t{10}}), Variant(int32_t{10}));
            break;
        } catch (const host::HostCallError&) {
            std::this_thread::sleep_for(10ms);
        }
    }
    EXPECT_EQ(hostObject->Invoke("Echo", {int32_t{11}}), Variant(int32_t{11}));
}

TEST_F(PeerHost, CallsSentBeforeOneGivenUpFailAtOnceWithoutAQuestionOfTheirOwn) {
    stop();
    int asked = 0;
    const host::ScopedUnansweredCallQuestion ask([&](host::UnansweredCall&) {
        ++asked;
        return false;
    });
    const auto first = hostObject->Send("Echo", {int32_t{1}});
    const auto second = hostObject->Send("Echo", {int32_t{2}});
    EXPECT_THROW(first->answer(), host::HostCallError);
    QElapsedTimer clock;
    clock.start();
    try {
        second->answer();
        FAIL() << "a call sent to a stopped host answered";
    } catch (const host::HostCallError& error) {
        EXPECT_TRUE(error.reason().endsWith("(Echo is still unanswered)")) << error.what();
    }
    EXPECT_THROW(hostObject->Send("Echo", {int32_t{3}}), host::HostCallError);
    EXPECT_LT(clock.elapsed(), 100);
    EXPECT_EQ(asked, 1);
}

TEST_F(PeerHost, WaitingOnIsAskedAgainAfterTheNextInterval) {
    stop();
    const host::ScopedUnansweredCallQuestion ask([this](host::UnansweredCall& call) {
        questions.push_back({call.method(), call.peer(), call.waited()});
        return questions.size() < 2;
    });
    EXPECT_THROW(hostObject->Invoke("Echo"), host::HostCallError);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_GE(questions[1].waited, 500ms);
    EXPECT_LT(questions[1].waited, 1500ms);
}

TEST_F(PeerHost, AnAnswerThatComesWhileTheQuestionIsOpenEndsTheQuestionAndTheCallGoesOn) {
    stop();
    bool answeredWhileAsking = false;
    const host::ScopedUnansweredCallQuestion ask([&](host::UnansweredCall& call) {
        // A person slow to answer: the host comes back meanwhile.
        resume();
        QEventLoop waitForTheAnswer;
        QObject::connect(&call, &host::UnansweredCall::answeredNow, &waitForTheAnswer,
                         &QEventLoop::quit);
        QTimer::singleShot(10000, &waitForTheAnswer, &QEventLoop::quit);
        waitForTheAnswer.exec();
        answeredWhileAsking = call.answered();
        // Too late: the answer is there.
        return false;
    });
    EXPECT_EQ(hostObject->Invoke("Echo", {QStringLiteral("late")}),
              Variant(QStringLiteral("late")));
    EXPECT_TRUE(answeredWhileAsking);
}

TEST_F(PeerHost, ALateAnswerWithoutAQuestionIsWaitedFor) {
    EXPECT_EQ(hostObject->Invoke("Stall", {int32_t{400}, int32_t{3}}), Variant(int32_t{3}));
}

// Records what reaches it, and whether a call was waiting then.
class Window : public QWidget {
public:
    int paintsWhileWaiting = 0;
    int keys = 0;
    int keysWhileWaiting = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        if (host::waitingForAnswer())
            ++paintsWhileWaiting;
    }
    void keyPressEvent(QKeyEvent*) override {
        ++keys;
        if (host::waitingForAnswer())
            ++keysWhileWaiting;
    }
};

TEST_F(PeerHost, WhileACallWaitsTheWindowsRepaintAndTheirInputAndTimersAreHeld) {
    Window window;
    window.resize(120, 80);
    window.show();
    QCoreApplication::processEvents();
    bool timerRan = false;
    QTimer due;
    due.setSingleShot(true);
    QObject::connect(&due, &QTimer::timeout, [&] { timerRan = true; });

    window.update();
    QCoreApplication::postEvent(&window,
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    due.start(0);
    EXPECT_EQ(hostObject->Invoke("Stall", {int32_t{300}, int32_t{1}}), Variant(int32_t{1}));
    EXPECT_GE(window.paintsWhileWaiting, 1);
    EXPECT_EQ(window.keys, 0);
    EXPECT_FALSE(timerRan);

    // Held, not lost: delivered once the call has returned.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(window.keys, 1);
    EXPECT_EQ(window.keysWhileWaiting, 0);
    EXPECT_TRUE(timerRan);
}

TEST_F(PeerHost, AThreadWithoutAnEventLoopWaitsAsABlockingCallDoes) {
    Variant result;
    const QDBusConnection connection = bus.connect("plugin");
    std::thread caller([&] {
        host::DBusAutomationObject object(connection, hostObject->target());
        result = object.Invoke("Stall", {int32_t{100}, int32_t{5}});
    });
    caller.join();
    EXPECT_EQ(result, Variant(int32_t{5}));
}

} // namespace
