// A result as the plug-ins decode it: the reply's list of values read
// (resultOf), byte arrays out of their memory files, then turned into what a
// plug-in asks for: a number, a size, an array of some rank, a plane.
#include "automation/ResultConversions.h"
#include "fuzz/support/FuzzedMessages.h"
#include "fuzz/support/LocalLoop.h"
#include "link/DBusMessages.h"
#include "link/PeerMemory.h"
#include "platform/Conversions.h"

namespace {

const QString kMethod = QStringLiteral("tal_GetRBuffer");

// Each conversion a plug-in makes of a result, on a copy of it.
void convert(const host::Variant& result) {
    try {
        host::resultToInt32(kMethod, result);
    } catch (const host::ResultTypeError&) {
    } catch (const platform::OverflowError&) {
    }
    try {
        host::resultToSize(kMethod, result);
    } catch (const host::ResultTypeError&) {
    } catch (const host::ResultValueError&) {
    } catch (const platform::OverflowError&) {
    }
    for (int rank = 1; rank <= 3; ++rank) {
        try {
            host::resultToArray(kMethod, host::Variant(result), rank);
        } catch (const host::ResultTypeError&) {
        }
    }
    try {
        host::resultToPlane(kMethod, host::Variant(result));
    } catch (const host::ResultTypeError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::startLocalLoop(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const bool keptMappings = in.ConsumeBool();
    const QList<QVariant> answer = fuzz::replyArguments(in);
    // The call carries a list of values, so that the loop marshals it and
    // its reply both.
    const QDBusMessage reply =
        fuzz::callThroughLocalLoop({kMethod, QVariant::fromValue(host::dbus::WireValues{})},
                                   [&](const QDBusMessage&) { return answer; });
    if (reply.type() != QDBusMessage::ReplyMessage)
        return 0; // the link reads error replies elsewhere
    host::IncomingMemory mappings(std::size_t{1} << 20);
    try {
        convert(host::dbus::resultOf(reply, keptMappings ? &mappings : nullptr));
    } catch (const host::dbus::WireError&) {
        // Refused, as a peer's bad reply is.
    }
    return 0;
}
