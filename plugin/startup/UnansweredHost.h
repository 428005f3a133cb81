#pragma once

#include "link/ReplyWait.h"

#include <QString>

namespace plugin {

// What a plug-in asks its user when the host has not answered a call for a
// while (see host::CallPatience): a message box with the program's title
// saying that Tallowick is not responding, with Retry (wait on: true) and
// Cancel (give up: false). If the answer comes while the box is open, the
// box closes by itself (and the answer is true). Where nobody can answer
// the box is answered Cancel at once, as every such box is.
bool askWhetherToWaitForHost(host::UnansweredCall& call);

// The box's text.
QString notRespondingText(const host::UnansweredCall& call);

} // namespace plugin
