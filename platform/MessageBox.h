#pragma once

#include "platform/ScopedOverride.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <stdexcept>

namespace platform {

enum class MessageBoxButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageBoxIcon { None, Information, Warning, Critical };
enum class MessageBoxAnswer { Ok, Cancel, Yes, No, Retry };

// Closes a message box from the program's side, for a question that may
// settle by itself while the box is open (the host answering after all).
class MessageBoxCloser : public QObject {
    Q_OBJECT

public:
    // Closes the box shown with this closer, or makes one shown later close
    // at once. Only the first call counts.
    void close();
    bool closed() const { return closed_; }

signals:
    void closing();

private:
    bool closed_ = false;
};

// Everything a message box shows, as handed to a responder.
struct MessageBoxRequest {
    QString title;
    QString text;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    MessageBoxIcon icon = MessageBoxIcon::None;
    std::optional<MessageBoxAnswer> defaultButton;
    // The closer the box was shown with, if any: a responder that plays a
    // person slow to answer can wait for it.
    const MessageBoxCloser* closer = nullptr;
};

// A message box asked for a button it does not have.
class MessageBoxError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// Shows a modal message box with the program's title and returns the button
// pressed. Closing the box counts as Cancel, No, or OK when that is the only
// button. Where no person can answer (see personCanAnswer), the text goes to
// standard error and the box takes that same answer at once. Throws
// MessageBoxError when `defaultButton` is not one of `buttons`.
//
// With a `closer`, the box also closes by itself once the closer is closed
// (at once if it already was), and returns that same answer; the caller
// tells the two apart by closer->closed(). Such a box is asked in the middle
// of a wait that runs none of the program's handlers (see InputHold), so it
// keeps to that: while it is open only the box gets the user's input (as
// for any modal box), and no timer or socket notifier of the program
// fires.
MessageBoxAnswer showMessageBox(const QString& text,
                                MessageBoxButtons buttons = MessageBoxButtons::Ok,
                                MessageBoxIcon icon = MessageBoxIcon::None,
                                std::optional<MessageBoxAnswer> defaultButton = std::nullopt,
                                MessageBoxCloser* closer = nullptr);

// While a responder is installed it answers every message box and no dialog
// appears; its answer must be one of the box's buttons, or showMessageBox
// throws MessageBoxError. An empty responder hands the boxes back to the user.
// Returns the responder installed before.
using MessageBoxResponder = std::function<MessageBoxAnswer(const MessageBoxRequest&)>;
MessageBoxResponder setMessageBoxResponder(MessageBoxResponder responder);

using ScopedMessageBoxResponder = ScopedOverride<MessageBoxResponder, &setMessageBoxResponder>;

} // namespace platform
