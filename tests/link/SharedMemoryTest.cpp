// The shared memory byte arrays cross in, and the checks a receiver makes
// before it reads any of it; no bus is involved.
#include "link/SharedMemory.h"

#include "link/DBusWire.h"
#include "tests/support/FakeHost.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace {

using host::ByteArray;
using host::Dimension;
using host::UniqueFd;
using host::dbus::WireByteArray;
using host::dbus::WireError;
using host::dbus::WireTag;
using host::dbus::WireValue;

// A memory file holding `size` bytes, with only the seals given.
UniqueFd memoryFile(std::size_t size, int seals) {
    UniqueFd fd(::memfd_create("test", MFD_ALLOW_SEALING | MFD_CLOEXEC));
    const std::vector<uint8_t> bytes(size, 0x5A);
    if (!fd.valid() || ::write(fd.get(), bytes.data(), size) != static_cast<ssize_t>(size) ||
        (seals != 0 && ::fcntl(fd.get(), F_ADD_SEALS, seals) != 0))
        throw std::runtime_error("cannot make the test's memory file");
    return fd;
}

// A received byte array value with these bounds and this memory file.
WireValue received(std::vector<Dimension> bounds, UniqueFd memory) {
    WireByteArray array;
    for (const Dimension& d : bounds)
        array.bounds.append({d.lower, d.count});
    array.memory.giveFileDescriptor(memory.release());
    return WireValue{static_cast<uint8_t>(WireTag::ByteArray), QVariant::fromValue(array)};
}

std::string refusalOf(const WireValue& value) {
    try {
        host::dbus::fromWire(value);
    } catch (const WireError& error) {
        return error.what();
    }
    return "accepted";
}

constexpr int kAllSeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL;

TEST(SealedMemory, HoldsTheBytesAndCannotBeChanged) {
    const std::vector<uint8_t> bytes = {1, 2, 3, 250, 0, 7};
    const UniqueFd memory = host::createSealedMemory(bytes.data(), bytes.size());
    EXPECT_TRUE(host::checkMemoryFile(memory.get(), bytes.size()).writeSealed);
    std::vector<uint8_t> back(bytes.size());
    host::readSealedMemory(memory.get(), back.data(), back.size());
    EXPECT_EQ(back, bytes);
    // The seals hold against the sender too.
    EXPECT_EQ(::pwrite(memory.get(), bytes.data(), 1, 0), -1);
    EXPECT_NE(::ftruncate(memory.get(), 2), 0);
    EXPECT_NE(::fcntl(memory.get(), F_ADD_SEALS, F_SEAL_WRITE), 0);
}

TEST(SealedMemory, ReceiverRefusesAFileSmallerThanTheBoundsNamingBoth) {
    // Bounds (0 To 2, 0 To 1) need 3 * 2 = 6 bytes.
    const std::vector<Dimension> bounds = {{0, 3}, {0, 2}};
    const std::string message = refusalOf(received(bounds, memoryFile(5, kAllSeals)));
    EXPECT_NE(message.find("(0 To 2, 0 To 1)"), std::string::npos) << message;
    EXPECT_NE(message.find("holds 5 bytes"), std::string::npos) << message;
    EXPECT_NE(message.find("6 were expected"), std::string::npos) << message;
    // A reused file may be larger than this transfer needs.
    EXPECT_EQ(refusalOf(received(bounds, memoryFile(6, kAllSeals))), "accepted");
    EXPECT_EQ(refusalOf(received(bounds, memoryFile(7, kAllSeals))), "accepted");
}

TEST(SealedMemory, ReceiverRefusesMemoryThatCouldBeResized) {
    const std::vector<Dimension> bounds = {{0, 4}};
    // Unsealed, sealed against everything but shrinking (a cut file would
    // fault a mapping), and against everything but growing.
    for (const int seals : {0, F_SEAL_WRITE | F_SEAL_GROW | F_SEAL_SEAL,
                            F_SEAL_WRITE | F_SEAL_SHRINK | F_SEAL_SEAL}) {
        const std::string message = refusalOf(received(bounds, memoryFile(4, seals)));
        EXPECT_NE(message.find("not sealed against resizing"), std::string::npos) << message;
    }
    // Writable memory sealed against resizing is what a reused file is.
    EXPECT_EQ(refusalOf(received(bounds, memoryFile(4, F_SEAL_SHRINK | F_SEAL_GROW))), "accepted");
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    const UniqueFd writeEnd(ends[1]);
    const std::string message = refusalOf(received(bounds, UniqueFd(ends[0])));
    EXPECT_NE(message.find("not a memory file"), std::string::npos) << message;
    // A file on disk could be cut by anyone who can write to it.
    const std::string disk =
        refusalOf(received(bounds, UniqueFd(::open("/proc/self/exe", O_RDONLY | O_CLOEXEC))));
    EXPECT_NE(disk.find("not a memory file"), std::string::npos) << disk;
}

TEST(SealedMemory, BoundsAreCheckedBeforeTheMemory) {
    // A negative count must be refused as such, not as a size mismatch.
    const std::string message = refusalOf(received({{0, -1}}, memoryFile(0, kAllSeals)));
    EXPECT_NE(message.find("negative count"), std::string::npos) << message;
    bool filled = false;
    EXPECT_THROW(
        ByteArray::filledBy({{0, 2}, {0, -3}}, [&](uint8_t*, std::size_t) { filled = true; }),
        host::ByteArrayError);
    EXPECT_FALSE(filled);
}

TEST(WireValues, ContentMustMatchItsTag) {
    const std::string wrongType = refusalOf(
        WireValue{static_cast<uint8_t>(WireTag::Long), QVariant::fromValue(QStringLiteral("12"))});
    EXPECT_NE(wrongType.find("tagged 2 (Long)"), std::string::npos) << wrongType;
    EXPECT_NE(wrongType.find("'s'"), std::string::npos) << wrongType;
    const std::string unknown = refusalOf(WireValue{9, QVariant::fromValue(uchar{0})});
    EXPECT_NE(unknown.find("Unknown type tag 9"), std::string::npos) << unknown;
}

TEST(WireValues, WhatCannotCrossIntactIsRefusedBeforeSending) {
    // D-Bus strings end at a NUL, so the rest would be lost.
    EXPECT_THROW(host::dbus::toWire(QStringLiteral("ab") + QChar(u'\0') + QStringLiteral("c")),
                 WireError);
    // An in-process reference means nothing to another process.
    tests::FakeHost object;
    EXPECT_THROW(host::dbus::toWire(host::ObjectRef{{}, {}, &object}), WireError);
    EXPECT_THROW(host::dbus::toWire(host::ObjectRef{QStringLiteral(":1.4"),
                                                    QStringLiteral("/windows//1"), nullptr}),
                 WireError);
}

} // namespace
