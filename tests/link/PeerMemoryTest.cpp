// The memory files one side of the link lends a peer and reuses, and the
// mappings the other side keeps of them; no bus is involved.
#include "link/PeerMemory.h"

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
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

TEST(LentMemory, CarriesTheBytesExactlyAndReusesTheFileOnceTaken) {
    OutgoingMemory outgoing;
    IncomingMemory incoming;
    // 1921 x 3 samples: not a whole number of pages, so the file is larger
    // than the transfer.
    const std::vector<uint8_t> first = pattern(1921 * 3, 1);
    const UniqueFd firstFile = outgoing.lend(first.data(), first.size());
    // Reading the file takes it.
    EXPECT_EQ(readBack(incoming, firstFile, first.size()), first);

    const std::vector<uint8_t> second = pattern(1921 * 2, 90);
    const UniqueFd secondFile = outgoing.lend(second.data(), second.size());
    EXPECT_EQ(inodeOf(secondFile), inodeOf(firstFile));
    EXPECT_EQ(readBack(incoming, secondFile, second.size()), second);
    EXPECT_EQ(outgoing.filesKept(), 1u);
    EXPECT_EQ(incoming.mappingsKept(), 1u);

    // A file not taken yet is not written again, however long the peer
    // keeps it: each answer of a peer that pipelines its calls has a file of
    // its own.
    const UniqueFd thirdFile = outgoing.lend(first.data(), first.size());
    const UniqueFd fourthFile = outgoing.lend(second.data(), second.size());
    EXPECT_EQ(inodeOf(thirdFile), inodeOf(firstFile));
    EXPECT_NE(inodeOf(fourthFile), inodeOf(thirdFile));
    EXPECT_EQ(outgoing.untakenFiles(), 2u);
    EXPECT_EQ(readBack(incoming, thirdFile, first.size()), first);
    EXPECT_EQ(readBack(incoming, fourthFile, second.size()), second);
    EXPECT_EQ(outgoing.untakenFiles(), 0u);
}

TEST(LentMemory, EachDescriptorIsMarkedUntilTakenOrClosedAndCannotWriteTheFile) {
    OutgoingMemory outgoing;
    const std::vector<uint8_t> page = pattern(kPage, 2);
    UniqueFd lent = outgoing.lend(page.data(), page.size());
    EXPECT_EQ(outgoing.untakenFiles(), 1u);
    // The receiver gets a description of its own, for reading only.
    EXPECT_EQ(::fcntl(lent.get(), F_GETFL) & O_ACCMODE, O_RDONLY);
    EXPECT_EQ(::mmap(nullptr, kPage, PROT_READ | PROT_WRITE, MAP_SHARED, lent.get(), 0),
              MAP_FAILED);
    host::markTaken(lent.get());
    EXPECT_EQ(outgoing.untakenFiles(), 0u);

    // Closing every copy of a descriptor takes it too, as a peer that reads
    // and drops a message or leaves the bus does; a copy still open holds it.
    UniqueFd again = outgoing.lend(page.data(), page.size());
    UniqueFd copy(::fcntl(again.get(), F_DUPFD_CLOEXEC, 0));
    again = UniqueFd();
    EXPECT_EQ(outgoing.untakenFiles(), 1u);
    copy = UniqueFd();
    EXPECT_EQ(outgoing.untakenFiles(), 0u);
}

TEST(LentMemory, IsRefusedPastTheBoundOfWhatThePeerHasNotTakenNamingIt) {
    OutgoingMemory outgoing(host::kPeerMemoryBound, 4, 64 * kPage);
    const std::vector<uint8_t> page = pattern(kPage, 3);
    std::vector<UniqueFd> lent;
    for (int i = 0; i < 4; ++i)
        lent.push_back(outgoing.lend(page.data(), page.size()));
    try {
        outgoing.lend(page.data(), page.size());
        FAIL() << "a fifth file was lent";
    } catch (const host::UntakenMemoryError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "the receiving program has not taken 4 memory files sent to it (" +
                      std::to_string(4 * kPage) + " bytes), and a program may hold at most 4 " +
                      "files or " + std::to_string(64 * kPage) +
                      " bytes untaken; it must read the replies to its earlier calls first");
    }
    // Taken in any order, a file makes room for one more.
    host::markTaken(lent[2].get());
    const UniqueFd fifth = outgoing.lend(page.data(), page.size());
    EXPECT_EQ(inodeOf(fifth), inodeOf(lent[2]));
    EXPECT_THROW(outgoing.lend(page.data(), page.size()), host::UntakenMemoryError);

    // The bytes the peer holds untaken are bounded as well, one-off files
    // among them.
    OutgoingMemory small(2 * kPage, 100, 3 * kPage);
    const std::vector<uint8_t> twoPages = pattern(2 * kPage, 4);
    const UniqueFd kept = small.lend(twoPages.data(), twoPages.size());
    EXPECT_THROW(small.lend(twoPages.data(), twoPages.size()), host::UntakenMemoryError);
    const UniqueFd onePage = small.lend(page.data(), page.size());
    EXPECT_TRUE(host::checkMemoryFile(onePage.get(), kPage).writeSealed);
    EXPECT_EQ(small.untakenFiles(), 2u);
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
    EXPECT_EQ(outgoing.untakenFiles(), 2u);

    // Once taken, a file of three pages replaces the one of two.
    host::markTaken(a.get());
    host::markTaken(b.get());
    const std::vector<uint8_t> threePages = pattern(3 * kPage, 4);
    const UniqueFd c = outgoing.lend(threePages.data(), threePages.size());
    EXPECT_NE(inodeOf(c), inodeOf(a));
    EXPECT_EQ(outgoing.filesKept(), 1u);
    EXPECT_EQ(outgoing.bytesKept(), 3 * kPage);

    // More than the whole bound is never kept.
    host::markTaken(c.get());
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
    // between two values while the receiver copies. (What is lent is
    // read-only; the sender has the file's own descriptor.)
    const UniqueFd writable(
        ::open(("/proc/self/fd/" + std::to_string(lent.get())).c_str(), O_RDWR | O_CLOEXEC));
    ASSERT_TRUE(writable.valid());
    void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, writable.get(), 0);
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

TEST(ReceivedMemory, ABorrowedFileStaysHeldAndMappedUntilItsBytesAreDropped) {
    OutgoingMemory outgoing;
    IncomingMemory incoming(kPage);
    const std::vector<uint8_t> page = pattern(kPage, 4);
    UniqueFd lent = outgoing.lend(page.data(), page.size());
    std::shared_ptr<const uint8_t> bytes = incoming.borrow(lent.get(), page.size());
    ASSERT_TRUE(bytes);
    // Neither the message's descriptor closing nor the bound dropping the
    // mapping for another file's lets the file go while its bytes are read.
    lent = UniqueFd();
    const std::vector<uint8_t> other = pattern(kPage, 5);
    const UniqueFd otherFile = outgoing.lend(other.data(), other.size());
    EXPECT_EQ(readBack(incoming, otherFile, other.size()), other);
    EXPECT_EQ(outgoing.untakenFiles(), 1u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.get(), bytes.get() + kPage), page);

    std::shared_ptr<const uint8_t> copy = bytes;
    bytes.reset();
    EXPECT_EQ(outgoing.untakenFiles(), 1u);
    copy.reset();
    EXPECT_EQ(outgoing.untakenFiles(), 0u);
}

TEST(ReceivedMemory, BorrowLeavesFilesNotKeptMappedToReadAndMarksRefusedOnesTaken) {
    IncomingMemory incoming;
    const std::vector<uint8_t> page = pattern(kPage, 8);
    // A one-off file is not borrowed, and read() still reads it.
    const UniqueFd oneOff = host::createSealedMemory(page.data(), page.size());
    EXPECT_FALSE(incoming.borrow(oneOff.get(), page.size()));
    EXPECT_EQ(readBack(incoming, oneOff, page.size()), page);

    // Too large for the bound: left marked for read(), which takes it.
    OutgoingMemory outgoing;
    IncomingMemory small(kPage / 2);
    const UniqueFd large = outgoing.lend(page.data(), page.size());
    EXPECT_FALSE(small.borrow(large.get(), page.size()));
    EXPECT_EQ(outgoing.untakenFiles(), 1u);
    EXPECT_EQ(readBack(small, large, page.size()), page);
    EXPECT_EQ(outgoing.untakenFiles(), 0u);

    // Refused, it is done with.
    const UniqueFd lent = outgoing.lend(page.data(), page.size());
    EXPECT_THROW(incoming.borrow(lent.get(), kPage + 1), SharedMemoryError);
    EXPECT_EQ(outgoing.untakenFiles(), 0u);
}
