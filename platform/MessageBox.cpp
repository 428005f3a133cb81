#include "platform/MessageBox.h"

#include "platform/Attendance.h"
#include "platform/InputHold.h"
#include "platform/ProgramTitle.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QMessageBox>
#include <QPushButton>
#include <QWindow>
#include <QTimer>
#include <array>
#include <cstddef>
#include <utility>

namespace platform {

namespace {

// Process-wide, like the program's title; used from the GUI thread only.
MessageBoxResponder g_responder;

QString answerName(MessageBoxAnswer answer) {
    // In the order of MessageBoxAnswer.
    static constexpr std::array<const char*, 5> names{"OK", "Cancel", "Yes", "No", "Retry"};
    const auto index = static_cast<std::size_t>(answer);
    return index < names.size() ? QString::fromLatin1(names[index])
                                : QStringLiteral("an unknown button");
}

bool offers(MessageBoxButtons buttons, MessageBoxAnswer answer) {
    switch (buttons) {
    case MessageBoxButtons::Ok:
        return answer == MessageBoxAnswer::Ok;
    case MessageBoxButtons::OkCancel:
        return answer == MessageBoxAnswer::Ok || answer == MessageBoxAnswer::Cancel;
    case MessageBoxButtons::YesNo:
        return answer == MessageBoxAnswer::Yes || answer == MessageBoxAnswer::No;
    case MessageBoxButtons::YesNoCancel:
        return answer == MessageBoxAnswer::Yes || answer == MessageBoxAnswer::No ||
               answer == MessageBoxAnswer::Cancel;
    case MessageBoxButtons::RetryCancel:
        return answer == MessageBoxAnswer::Retry || answer == MessageBoxAnswer::Cancel;
    }
    return false;
}

void requireOffered(MessageBoxButtons buttons, MessageBoxAnswer answer, const char* role) {
    if (!offers(buttons, answer))
        throw MessageBoxError(QStringLiteral("Message box: %1 %2 is not one of its buttons")
                                  .arg(QString::fromLatin1(role), answerName(answer))
                                  .toStdString());
}

QMessageBox::StandardButtons standardButtons(MessageBoxButtons buttons) {
    switch (buttons) {
    case MessageBoxButtons::Ok:
        return QMessageBox::Ok;
    case MessageBoxButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageBoxButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageBoxButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageBoxButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton standardButton(MessageBoxAnswer answer) {
    switch (answer) {
    case MessageBoxAnswer::Ok:
        return QMessageBox::Ok;
    case MessageBoxAnswer::Cancel:
        return QMessageBox::Cancel;
    case MessageBoxAnswer::Yes:
        return QMessageBox::Yes;
    case MessageBoxAnswer::No:
        return QMessageBox::No;
    case MessageBoxAnswer::Retry:
        return QMessageBox::Retry;
    }
    return QMessageBox::NoButton;
}

QMessageBox::Icon messageIcon(MessageBoxIcon icon) {
    switch (icon) {
    case MessageBoxIcon::None:
        return QMessageBox::NoIcon;
    case MessageBoxIcon::Information:
        return QMessageBox::Information;
    case MessageBoxIcon::Warning:
        return QMessageBox::Warning;
    case MessageBoxIcon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

// The answer that commits to nothing: what closing the box means, and what
// is answered where no person can answer. A notice's only button; for a
// question, Cancel before No.
MessageBoxAnswer cautiousAnswer(MessageBoxButtons buttons) {
    for (const MessageBoxAnswer answer : {MessageBoxAnswer::Cancel, MessageBoxAnswer::No})
        if (offers(buttons, answer))
            return answer;
    return MessageBoxAnswer::Ok;
}

MessageBoxAnswer answerOf(int result, MessageBoxButtons buttons) {
    switch (result) {
    case QMessageBox::Ok:
        return MessageBoxAnswer::Ok;
    case QMessageBox::Cancel:
        return MessageBoxAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageBoxAnswer::Yes;
    case QMessageBox::No:
        return MessageBoxAnswer::No;
    case QMessageBox::Retry:
        return MessageBoxAnswer::Retry;
    default:
        return cautiousAnswer(buttons);
    }
}

// The box of a question that may settle while it is open: shown modally and
// waited for in a loop that runs no timer and no socket notifier, so that
// nothing of the program runs but the box (and paint); it ends on an answer
// or when the closer closes. Its buttons have no mnemonics, since a
// shortcut's animated click needs a timer.
MessageBoxAnswer askUntilClosed(QMessageBox& box, MessageBoxButtons buttons,
                                MessageBoxCloser& closer) {
    for (QAbstractButton* button : box.buttons())
        button->setText(button->text().remove(QLatin1Char('&')));
    std::optional<MessageBoxAnswer> answer;
    QObject::connect(&box, &QMessageBox::buttonClicked, &box,
                     [&](QAbstractButton* button) {
                         if (!answer && !closer.closed())
                             answer = answerOf(box.standardButton(button), buttons);
                     });
    // Closed from its title bar, the box ends without a click.
    QObject::connect(&box, &QDialog::finished, &box, [&] {
        if (!answer && !closer.closed())
            answer = cautiousAnswer(buttons);
    });
    QObject::connect(&closer, &MessageBoxCloser::closing, &box, [&box] { box.hide(); });
    box.setWindowModality(Qt::ApplicationModal);
    const InputHold::Exemption forTheBox(&box);
    box.show();
    const InputHold::Exemption forItsWindow(box.windowHandle());
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    while (!answer && !closer.closed() && dispatcher)
        dispatcher->processEvents(QEventLoop::ExcludeSocketNotifiers |
                                  QEventLoop::X11ExcludeTimers | QEventLoop::WaitForMoreEvents);
    box.hide();
    return answer.value_or(cautiousAnswer(buttons));
}

MessageBoxAnswer askUser(const MessageBoxRequest& request, MessageBoxCloser* closer) {
    if (closer && closer->closed())
        return cautiousAnswer(request.buttons);
    QMessageBox box(messageIcon(request.icon), request.title, request.text,
                    standardButtons(request.buttons));
    if (request.defaultButton)
        box.setDefaultButton(standardButton(*request.defaultButton));
    box.setEscapeButton(standardButton(cautiousAnswer(request.buttons)));
    if (!personCanAnswer()) {
        // The box opens as it would for a person, so that it looks and
        // behaves the same, but takes the cautious answer as soon as its
        // loop runs instead of waiting for a click that cannot come. Whatever
        // was already set to act on the box (a test playing the person)
        // keeps its turn first, and its answer stands.
        const MessageBoxAnswer answer = cautiousAnswer(request.buttons);
        reportUnanswered(request.text, QStringLiteral("answered ") + answerName(answer));
        QTimer::singleShot(0, &box, [&box, answer] {
            if (!box.clickedButton() && box.isVisible())
                box.button(standardButton(answer))->click();
        });
    }
    if (closer)
        return askUntilClosed(box, request.buttons, *closer);
    return answerOf(box.exec(), request.buttons);
}

} // namespace

void MessageBoxCloser::close() {
    if (closed_)
        return;
    closed_ = true;
    emit closing();
}

MessageBoxAnswer showMessageBox(const QString& text, MessageBoxButtons buttons, MessageBoxIcon icon,
                                std::optional<MessageBoxAnswer> defaultButton,
                                MessageBoxCloser* closer) {
    if (defaultButton)
        requireOffered(buttons, *defaultButton, "the default button");
    const MessageBoxRequest request{programTitle(), text, buttons, icon, defaultButton, closer};
    if (!g_responder)
        return askUser(request, closer);
    const MessageBoxAnswer answer = g_responder(request);
    requireOffered(buttons, answer, "the responder's answer");
    return answer;
}

MessageBoxResponder setMessageBoxResponder(MessageBoxResponder responder) {
    return std::exchange(g_responder, std::move(responder));
}

} // namespace platform
