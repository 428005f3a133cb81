#include "platform/MessageBox.h"

#include "platform/ProgramTitle.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

using namespace platform;

namespace {

// Runs `handle` on the message box once it is on screen, from inside its
// modal loop.
void whenBoxShows(std::function<void(QMessageBox&)> handle) {
    QTimer::singleShot(0, [handle = std::move(handle)] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        handle(*box);
    });
}

} // namespace

TEST(MessageBox, ResponderSeesTheWholeRequestAndItsAnswerIsReturned) {
    std::optional<MessageBoxRequest> seen;
    {
        const ScopedProgramTitle title("Cinderloom");
        ScopedMessageBoxResponder responder([&](const MessageBoxRequest& request) {
            seen = request;
            return MessageBoxAnswer::Cancel;
        });
        EXPECT_EQ(showMessageBox("Replace the existing buffer?", MessageBoxButtons::OkCancel,
                                 MessageBoxIcon::None, MessageBoxAnswer::Ok),
                  MessageBoxAnswer::Cancel);
    }
    ASSERT_TRUE(seen);
    EXPECT_EQ(seen->title, "Cinderloom");
    EXPECT_EQ(seen->text, "Replace the existing buffer?");
    EXPECT_EQ(seen->buttons, MessageBoxButtons::OkCancel);
    EXPECT_EQ(seen->icon, MessageBoxIcon::None);
    EXPECT_EQ(seen->defaultButton, MessageBoxAnswer::Ok);
    // The title in place before comes back: none, so the application's name.
    EXPECT_EQ(programTitle(), QCoreApplication::applicationName());
}

TEST(MessageBox, ButtonsTheBoxDoesNotHaveAreRefused) {
    ScopedMessageBoxResponder responder(
        [](const MessageBoxRequest&) { return MessageBoxAnswer::Yes; });
    EXPECT_THROW(showMessageBox("text", MessageBoxButtons::YesNo, MessageBoxIcon::None,
                                MessageBoxAnswer::Ok),
                 MessageBoxError);
    EXPECT_THROW(showMessageBox("text", MessageBoxButtons::OkCancel), MessageBoxError);
    EXPECT_EQ(showMessageBox("text", MessageBoxButtons::YesNo), MessageBoxAnswer::Yes);
    EXPECT_EQ(showMessageBox("text", MessageBoxButtons::YesNoCancel), MessageBoxAnswer::Yes);
    EXPECT_THROW(showMessageBox("text", MessageBoxButtons::YesNoCancel, MessageBoxIcon::None,
                                MessageBoxAnswer::Ok),
                 MessageBoxError);
}

TEST(MessageBox, ScopedRespondersNestAndRestore) {
    ScopedMessageBoxResponder outer([](const MessageBoxRequest&) { return MessageBoxAnswer::Yes; });
    {
        ScopedMessageBoxResponder inner(
            [](const MessageBoxRequest&) { return MessageBoxAnswer::No; });
        EXPECT_EQ(showMessageBox("a", MessageBoxButtons::YesNo), MessageBoxAnswer::No);
    }
    EXPECT_EQ(showMessageBox("b", MessageBoxButtons::YesNo), MessageBoxAnswer::Yes);
}

TEST(MessageBox, WithoutResponderAModalDialogShowsTheRequest) {
    const ScopedProgramTitle title("Cinderloom");
    whenBoxShows([](QMessageBox& box) {
        EXPECT_EQ(box.windowTitle(), "Cinderloom");
        EXPECT_EQ(box.text(), "Exit Cinderloom");
        EXPECT_EQ(box.icon(), QMessageBox::Information);
        EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
        EXPECT_TRUE(box.isModal());
        box.button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(showMessageBox("Exit Cinderloom", MessageBoxButtons::YesNo,
                             MessageBoxIcon::Information, MessageBoxAnswer::No),
              MessageBoxAnswer::Yes);
}

TEST(MessageBox, ClosingTheDialogCountsAsTheCancellingButton) {
    const struct {
        MessageBoxButtons buttons;
        MessageBoxAnswer expected;
    } cases[] = {{MessageBoxButtons::Ok, MessageBoxAnswer::Ok},
                 {MessageBoxButtons::OkCancel, MessageBoxAnswer::Cancel},
                 {MessageBoxButtons::YesNo, MessageBoxAnswer::No}};
    for (const auto& test : cases) {
        whenBoxShows([](QMessageBox& box) { box.close(); });
        EXPECT_EQ(showMessageBox("closed", test.buttons), test.expected);
    }
}

TEST(MessageBox, AClosableBoxIsAnsweredAsAnyOtherAndRunsNoTimerWhileOpen) {
    MessageBoxCloser closer;
    bool timerRan = false;
    QTimer due;
    due.setSingleShot(true);
    QObject::connect(&due, &QTimer::timeout, [&] { timerRan = true; });
    due.start(0);
    whenBoxShows([&](QMessageBox& box) {
        EXPECT_TRUE(box.isModal());
        EXPECT_EQ(box.standardButtons(), QMessageBox::Retry | QMessageBox::Cancel);
        EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::Retry));
        EXPECT_EQ(box.icon(), QMessageBox::Warning);
        // No mnemonic, whose animated click would need a timer.
        EXPECT_EQ(box.button(QMessageBox::Retry)->text(), "Retry");
        EXPECT_FALSE(timerRan);
        box.button(QMessageBox::Retry)->click();
    });
    EXPECT_EQ(showMessageBox("Still waiting", MessageBoxButtons::RetryCancel,
                             MessageBoxIcon::Warning, MessageBoxAnswer::Retry, &closer),
              MessageBoxAnswer::Retry);
    EXPECT_FALSE(closer.closed());
    EXPECT_FALSE(timerRan);
    QCoreApplication::processEvents();
    EXPECT_TRUE(timerRan);
}

TEST(MessageBox, AClosableBoxClosesByItselfWhenItsCloserCloses) {
    MessageBoxCloser closer;
    whenBoxShows([&](QMessageBox&) { closer.close(); });
    EXPECT_EQ(showMessageBox("Still waiting", MessageBoxButtons::RetryCancel,
                             MessageBoxIcon::Warning, MessageBoxAnswer::Retry, &closer),
              MessageBoxAnswer::Cancel);
    EXPECT_TRUE(closer.closed());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // Closed before it would open, it does not open at all.
    bool shown = false;
    QTimer::singleShot(0, [&] { shown = QApplication::activeModalWidget() != nullptr; });
    EXPECT_EQ(showMessageBox("Still waiting", MessageBoxButtons::RetryCancel,
                             MessageBoxIcon::Warning, MessageBoxAnswer::Retry, &closer),
              MessageBoxAnswer::Cancel);
    QCoreApplication::processEvents();
    EXPECT_FALSE(shown);

    // Closed from its title bar, it gives the cautious answer as any box.
    MessageBoxCloser another;
    whenBoxShows([](QMessageBox& box) { box.close(); });
    EXPECT_EQ(showMessageBox("Still waiting", MessageBoxButtons::RetryCancel,
                             MessageBoxIcon::Warning, MessageBoxAnswer::Retry, &another),
              MessageBoxAnswer::Cancel);
    EXPECT_FALSE(another.closed());
}

TEST(MessageBox, AResponderSeesTheCloserTheBoxWasShownWith) {
    MessageBoxCloser closer;
    const MessageBoxCloser* seen = nullptr;
    ScopedMessageBoxResponder responder([&](const MessageBoxRequest& request) {
        seen = request.closer;
        return MessageBoxAnswer::Retry;
    });
    EXPECT_EQ(showMessageBox("Still waiting", MessageBoxButtons::RetryCancel,
                             MessageBoxIcon::Warning, std::nullopt, &closer),
              MessageBoxAnswer::Retry);
    EXPECT_EQ(seen, &closer);
}
