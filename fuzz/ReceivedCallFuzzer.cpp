// A received call's body as the link decodes it: the call taken apart
// (receiveCall) and its arguments read (readArguments), byte arrays out of
// the memory files that came with them, through a peer's kept mappings or
// as one-off files, under the limits a receiver sets.
#include "fuzz/support/FuzzedMessages.h"
#include "fuzz/support/LocalLoop.h"
#include "link/DBusMessages.h"
#include "link/PeerMemory.h"

#include <array>
#include <cstdlib>

namespace {

// What a receiver lets one byte array hold: nothing (a window), a tiny
// frame's plane, a large one, no limit.
constexpr std::array<std::size_t, 4> kLimits{0, 12, std::size_t{1} << 20, SIZE_MAX};

// Every argument read is whole: a byte array holds exactly what its bounds
// say (nothing without any), every byte of it readable.
void checkRead(const std::vector<host::Variant>& arguments) {
    for (const host::Variant& argument : arguments)
        if (const auto* array = std::get_if<host::ByteArray>(&argument)) {
            const std::size_t expected =
                array->rank() == 0 ? 0 : host::ByteArray::sizeOf(array->dimensions());
            if (array->size() != expected)
                std::abort();
            unsigned sum = 0;
            for (std::size_t i = 0; i < array->size(); ++i)
                sum += array->data()[i];
            volatile unsigned kept = sum;
            (void)kept;
        }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::startLocalLoop(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::size_t limit = kLimits[in.ConsumeIntegralInRange<std::size_t>(0, 3)];
    const bool keptMappings = in.ConsumeBool();
    const QList<QVariant> arguments = fuzz::callArguments(in);
    fuzz::callThroughLocalLoop(arguments, [&](const QDBusMessage& received) {
        host::IncomingMemory mappings(std::size_t{1} << 20);
        try {
            const host::dbus::ReceivedCall call = host::dbus::receiveCall(received);
            checkRead(host::dbus::readArguments(call, limit, keptMappings ? &mappings : nullptr));
        } catch (const host::dbus::WireError&) {
            // Refused, as a peer's bad call is.
        }
        return QList<QVariant>{};
    });
    return 0;
}
