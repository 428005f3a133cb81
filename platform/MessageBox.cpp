#include "platform/MessageBox.h"

#include "platform/Attendance.h"
#include "platform/ProgramTitle.h"

#include <QAbstractButton>
#include <QMessageBox>
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
    static constexpr std::array<const char*, 4> names{"OK", "Cancel", "Yes", "No"};
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
        return answer != MessageBoxAnswer::Ok;
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
    }
    return QMessageBox::NoButton;
}

QMessageBox::Icon messageIcon(MessageBoxIcon icon) {
    switch (icon) {
    case MessageBoxIcon::None:
        return QMessageBox::NoIcon;
    case MessageBoxIcon::Information:
        return QMessageBox::Information;
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

MessageBoxAnswer askUser(const MessageBoxRequest& request) {
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
            if (!box.clickedButton())
                box.button(standardButton(answer))->click();
        });
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return MessageBoxAnswer::Ok;
    case QMessageBox::Cancel:
        return MessageBoxAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageBoxAnswer::Yes;
    case QMessageBox::No:
        return MessageBoxAnswer::No;
    default:
        return cautiousAnswer(request.buttons);
    }
}

} // namespace

MessageBoxAnswer showMessageBox(const QString& text, MessageBoxButtons buttons, MessageBoxIcon icon,
                                std::optional<MessageBoxAnswer> defaultButton) {
    if (defaultButton)
        requireOffered(buttons, *defaultButton, "the default button");
    const MessageBoxRequest request{programTitle(), text, buttons, icon, defaultButton};
    if (!g_responder)
        return askUser(request);
    const MessageBoxAnswer answer = g_responder(request);
    requireOffered(buttons, answer, "the responder's answer");
    return answer;
}

MessageBoxResponder setMessageBoxResponder(MessageBoxResponder responder) {
    return std::exchange(g_responder, std::move(responder));
}

} // namespace platform
