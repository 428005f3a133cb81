// The memory files one side of the link lends a peer and reuses, and the
// mappings the other side keeps of them; no bus is involved.
#include "link/PeerMemory.h"

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using host::IncomingMemory;
using host::OutgoingMemory;
using host::SharedMemoryError;
using host::UniqueFd;

const std::size_t kPage = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));

ino_t inodeOf(const UniqueFd& fd) {
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0)
        throw std::runtime_error("fstat failed");
    return status.st_ino;
}

std::vector<uint8_t> pattern(std::size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

std::vector<uint8_t> readBack(IncomingMemory& incoming, const UniqueFd& fd, std::size_t size) {
    std::vector<uint8_t> bytes(size);
    incoming.read(fd.get(), bytes.data(), size);
    return bytes;
}

std::string refusalOf(IncomingMemory& incoming, const UniqueFd& fd, std::size_t size) {
    // The destination is one byte longer than the read, to see that nothing
    // is written past it, nor anything at all when the file is refused.
    std::vector<uint8_t> destination(size + 1, 0xEE);
    try {
        incoming.read(fd.get(), destination.data(), size);
    } catch (const SharedMemoryError& error) {
        EXPECT_EQ(destination, std::vector<uint8_t>(size + 1, 0xEE));
        return error.what();
    }
    return "accepted";
}

TEST(LentMemory, CarriesTheBytesExactlyAndReusesTheFileOnceReleased) {
    OutgoingMemory outgoing;
    IncomingMemory incoming;
    // 1921 x 3 samples: not a whole number of pages, so the file is larger
    // than the transfer.
    const std::vector<uint8_t> first = pattern(1921 * 3, 1);
    const UniqueFd firstFile = outgoing.lend(first.data(), first.size());
    EXPECT_EQ(readBack(incoming, firstFile, first.size()), first);

    outgoing.releaseAll();
    const std::vector<uint8_t> second = pattern(1921 * 2, 90);
    const UniqueFd secondFile = outgoing.lend(second.data(), second.size());
    EXPECT_EQ(inodeOf(secondFile), inodeOf(firstFile));
    EXPECT_EQ(readBack(incoming, secondFile, second.size()), second);
    EXPECT_EQ(outgoing.filesKept(), 1u);
    EXPECT_EQ(incoming.mappingsKept(), 1u);

    // A file still lent is not written again.
    const UniqueFd thirdFile = outgoing.lend(first.data(), first.size());
    EXPECT_NE(inodeOf(thirdFile), inodeOf(secondFile));
    EXPECT_EQ(readBack(incoming, secondFile, second.size()), second);
    EXPECT_EQ(readBack(incoming, thirdFile, first.size()), first);
}

TEST(LentMemory, StaysWithinItsBoundAndSendsWhatDoesNotFitInAOneOffFile) {
    OutgoingMemory outgoing(3 * kPage);
    const std::vector<uint8_t> twoPages = pattern(2 * kPage, 3);
    const UniqueFd a = outgoing.lend(twoPages.data(), twoPages.size());
    // With two pages lent, another two do not fit: a one-off file, sealed
    // against writing, and not kept.
    const UniqueFd b = outgoing.lend(twoPages.data(), twoPages.size());
    EXPECT_TRUE(host::checkMemoryFile(b.get(), twoPages.size()).writeSealed);
    EXPECT_FALSE(host::checkMemoryFile(a.get(), twoPages.size()).writeSealed);
    EXPECT_EQ(outgoing.filesKept(), 1u);

    // Once released, a file of three pages replaces the one of two.
    outgoing.releaseAll();
    const std::vector<uint8_t> threePages = pattern(3 * kPage, 4);
    const UniqueFd c = outgoing.lend(threePages.data(), threePages.size());
    EXPECT_NE(inodeOf(c), inodeOf(a));
    EXPECT_EQ(outgoing.filesKept(), 1u);
    EXPECT_EQ(outgoing.bytesKept(), 3 * kPage);

    // More than the whole bound is never kept.
    outgoing.releaseAll();
    const std::vector<uint8_t> fourPages = pattern(4 * kPage, 5);
    const UniqueFd d = outgoing.lend(fourPages.data(), fourPages.size());
    IncomingMemory incoming;
    EXPECT_EQ(readBack(incoming, d, fourPages.size()), fourPages);
    EXPECT_LE(outgoing.bytesKept(), 3 * kPage);
}

TEST(ReceivedMemory, KeepsOneMappingPerFileWithinItsBound) {
    OutgoingMemory outgoing;
    IncomingMemory incoming(2 * kPage);
    const std::vector<uint8_t> page = pattern(kPage, 6);
    std::vector<UniqueFd> files;
    for (int i = 0; i < 3; ++i)
        files.push_back(outgoing.lend(page.data(), page.size()));
    for (const UniqueFd& file : files)
        EXPECT_EQ(readBack(incoming, file, page.size()), page);
    EXPECT_EQ(incoming.mappingsKept(), 2u);
    EXPECT_EQ(incoming.bytesMapped(), 2 * kPage);
    // The oldest mapping was dropped; reading its file again maps it anew.
    EXPECT_EQ(readBack(incoming, files[0], page.size()), page);
    EXPECT_EQ(incoming.mappingsKept(), 2u);

    // A lent file larger than the whole bound is read whole without a
    // mapping, and the mappings kept stay as they were.
    const std::vector<uint8_t> large = pattern(3 * kPage, 9);
    const UniqueFd largeFile = outgoing.lend(large.data(), large.size());
    EXPECT_EQ(readBack(incoming, largeFile, large.size()), large);
    EXPECT_EQ(incoming.mappingsKept(), 2u);
    EXPECT_EQ(incoming.bytesMapped(), 2 * kPage);

    // One-off files are read without a mapping.
    IncomingMemory fresh;
    const UniqueFd oneOff = host::createSealedMemory(page.data(), page.size());
    EXPECT_EQ(readBack(fresh, oneOff, page.size()), page);
    EXPECT_EQ(fresh.mappingsKept(), 0u);
}

TEST(ReceivedMemory, RefusesFilesThatCouldFaultAMappingBeforeReadingThem) {
    IncomingMemory incoming;
    // Writable but free to shrink: a mapping would fault past a cut end.
    UniqueFd growable(::memfd_create("test", MFD_ALLOW_SEALING | MFD_CLOEXEC));
    ASSERT_EQ(::ftruncate(growable.get(), static_cast<off_t>(kPage)), 0);
    ASSERT_EQ(::fcntl(growable.get(), F_ADD_SEALS, F_SEAL_GROW), 0);
    EXPECT_NE(refusalOf(incoming, growable, 16).find("not sealed against resizing"),
              std::string::npos);

    // Sealed, but smaller than the transfer needs.
    OutgoingMemory outgoing;
    const std::vector<uint8_t> page = pattern(kPage, 7);
    const UniqueFd lent = outgoing.lend(page.data(), page.size());
    const std::string small = refusalOf(incoming, lent, kPage + 1);
    EXPECT_NE(small.find("holds " + std::to_string(kPage) + " bytes where " +
                         std::to_string(kPage + 1) + " were expected"),
              std::string::npos)
        << small;
    EXPECT_EQ(incoming.mappingsKept(), 0u);
}

TEST(ReceivedMemory, ASenderWritingDuringTheCopyChangesOnlyTheValues) {
    OutgoingMemory outgoing;
    IncomingMemory incoming;
    const std::size_t size = 64 * kPage;
    const std::vector<uint8_t> zeros(size, 0x00);
    const UniqueFd lent = outgoing.lend(zeros.data(), zeros.size());
    // The hostile sender keeps its own writable mapping and flips every byte
    // between two values while the receiver copies.
    void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, lent.get(), 0);
    ASSERT_NE(mapped, MAP_FAILED);
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (uint8_t value = 0xFF; !stop.load(std::memory_order_relaxed); value ^= 0xFF)
            std::memset(mapped, value, size);
    });
    std::vector<uint8_t> destination(size + 1, 0x5A);
    bool onlySentValues = true;
    for (int i = 0; i < 200 && onlySentValues; ++i) {
        incoming.read(lent.get(), destination.data(), size);
        for (std::size_t b = 0; b < size; ++b)
            onlySentValues = onlySentValues && (destination[b] == 0x00 || destination[b] == 0xFF);
    }
    stop = true;
    writer.join();
    ::munmap(mapped, size);
    EXPECT_TRUE(onlySentValues);
    EXPECT_EQ(destination[size], 0x5A);
}

} // namespace
