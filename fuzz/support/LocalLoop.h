#pragma once

#include <QDBusMessage>
#include <QList>
#include <QVariant>
#include <functional>

// Messages exactly as a peer's would arrive, without a peer: QtDBus hands a
// call to an object of the calling connection itself marshalled and read
// back, as if it had crossed the bus, and so it hands back the reply. The
// connection is to a private bus this process starts once (a connection
// needs its unique name for that), which goes with the process.
namespace fuzz {

// What the object called answers a call it received with: the reply's
// arguments.
using Answer = std::function<QList<QVariant>(const QDBusMessage& received)>;

// Makes the application object of the fuzzer's arguments, makes the
// fuzzed types known, starts the bus and exports the object. Ends the
// process with a message when the bus cannot be had.
void startLocalLoop(int& argc, char** argv);

// Calls the object with an Invoke call carrying `arguments`, and returns
// the reply as it came back; `answer` sees the call as it arrived. A call or
// reply QtDBus cannot marshal comes back as an error message.
QDBusMessage callThroughLocalLoop(const QList<QVariant>& arguments, const Answer& answer);

} // namespace fuzz
