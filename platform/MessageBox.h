#pragma once

#include "platform/ScopedOverride.h"

#include <QString>
#include <functional>
#include <optional>
#include <stdexcept>

namespace platform {

enum class MessageBoxButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageBoxIcon { None, Information, Critical };
enum class MessageBoxAnswer { Ok, Cancel, Yes, No };

// Everything a message box shows, as handed to a responder.
struct MessageBoxRequest {
    QString title;
    QString text;
    MessageBoxButtons buttons = MessageBoxButtons::Ok;
    MessageBoxIcon icon = MessageBoxIcon::None;
    std::optional<MessageBoxAnswer> defaultButton;
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
MessageBoxAnswer showMessageBox(const QString& text,
                                MessageBoxButtons buttons = MessageBoxButtons::Ok,
                                MessageBoxIcon icon = MessageBoxIcon::None,
                                std::optional<MessageBoxAnswer> defaultButton = std::nullopt);

// While a responder is installed it answers every message box and no dialog
// appears; its answer must be one of the box's buttons, or showMessageBox
// throws MessageBoxError. An empty responder hands the boxes back to the user.
// Returns the responder installed before.
using MessageBoxResponder = std::function<MessageBoxAnswer(const MessageBoxRequest&)>;
MessageBoxResponder setMessageBoxResponder(MessageBoxResponder responder);

using ScopedMessageBoxResponder = ScopedOverride<MessageBoxResponder, &setMessageBoxResponder>;

} // namespace platform
