// The memory files planes cross in, seen from outside the real host: each
// program gets files of its own, reused from one transfer to the next, and
// the host lets them go when the program leaves the bus.
#include "link/DBusAutomationObject.h"
#include "tests/support/RawCalls.h"
#include "tests/support/RunningHost.h"

#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

ino_t inodeOf(const host::UniqueFd& fd) {
    struct stat status {};
    return ::fstat(fd.get(), &status) == 0 ? status.st_ino : 0;
}

std::vector<uint8_t> wholeFile(const host::UniqueFd& fd) {
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        return {};
    std::vector<uint8_t> bytes(static_cast<std::size_t>(status.st_size));
    if (::pread(fd.get(), bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
        return {};
    return bytes;
}

// Waits up to five seconds for the host to hold `count` mappings.
bool hostHoldsMappings(qint64 processId, int count) {
    const QDeadlineTimer deadline(5000);
    while (tests::lentMemoryMappings(processId) != count && !deadline.hasExpired())
        QThread::msleep(20);
    return tests::lentMemoryMappings(processId) == count;
}

TEST(HostMemoryFiles, AreReusedPerProgramKeptApartAndFreedWhenTheProgramLeaves) {
    tests::PrivateBus bus;
    tests::RunningHost host(bus, {});
    const host::ObjectRef target = host.object().target();
    const qint64 hostProcess = host.processId();
    ASSERT_EQ(tests::lentMemoryMappings(hostProcess), 0);
    const auto fetchRed = [&](const QString& program) {
        return tests::memoryFileOf(
            tests::rawInvoke(bus.connect(program), target, QStringLiteral("tal_GetRBuffer"), {}));
    };

    // The first program paints the red plane of an image of its own; 0xAB
    // appears nowhere else.
    constexpr uint8_t kFirstsRed = 0xAB;
    {
        host::DBusAutomationObject first(bus.connect("first"), target);
        first.Invoke("Tal_NewBuffer", {int16_t{200}, int16_t{100}});
        host::ByteArray red = host::ByteArray::plane(201, 101);
        std::fill_n(red.data(), red.size(), kFirstsRed);
        // Stored twice: the program lends the host the same file both times.
        first.Invoke("Tal_SetRBuffer", {host::ByteArray::plane(201, 101)});
        first.Invoke("Tal_SetRBuffer", {red});
        EXPECT_EQ(first.Invoke("tal_GetRBuffer"), host::Variant(red));
    }
    // Two fetches in a row come in the same file.
    const host::UniqueFd firstFetch = fetchRed("first");
    const host::UniqueFd secondFetch = fetchRed("first");
    EXPECT_EQ(inodeOf(firstFetch), inodeOf(secondFetch));

    // The second program's file is another one, and nothing in it, not even
    // past its plane, is the first program's.
    {
        host::DBusAutomationObject second(bus.connect("second"), target);
        second.Invoke("Tal_NewBuffer", {int16_t{8}, int16_t{8}});
    }
    const host::UniqueFd secondsFetch = fetchRed("second");
    EXPECT_NE(inodeOf(secondsFetch), inodeOf(firstFetch));
    const std::vector<uint8_t> secondsFile = wholeFile(secondsFetch);
    ASSERT_GE(secondsFile.size(), std::size_t{9 * 9});
    EXPECT_EQ(std::count(secondsFile.begin(), secondsFile.end(), kFirstsRed), 0);

    // The host lends a file to each program and maps the one the first
    // program lent it; each goes when its program leaves the bus.
    EXPECT_EQ(tests::lentMemoryMappings(hostProcess), 3);
    bus.disconnect("second");
    EXPECT_TRUE(hostHoldsMappings(hostProcess, 2));
    bus.disconnect("first");
    EXPECT_TRUE(hostHoldsMappings(hostProcess, 0));
    EXPECT_EQ(host.stop(), 0);
}

} // namespace
