#include "link/SharedMemory.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <utility>

namespace host {

namespace {

// What a receiver requires: the memory cannot be resized, so a mapping of it
// never faults past a cut end.
constexpr int kSizeSeals = F_SEAL_SHRINK | F_SEAL_GROW;
// What a one-off file gets: its content cannot change either, and the seals
// themselves are final.
constexpr int kOneOffSeals = kSizeSeals | F_SEAL_WRITE | F_SEAL_SEAL;

std::string sealNames(int seals) {
    std::string names;
    const auto add = [&](int seal, const char* name) {
        if (seals & seal)
            names += names.empty() ? name : std::string(", ") + name;
    };
    add(F_SEAL_SHRINK, "shrink");
    add(F_SEAL_GROW, "grow");
    add(F_SEAL_WRITE, "write");
    add(F_SEAL_SEAL, "seal");
    return names.empty() ? "none" : names;
}

// The whole file, as the sender marks it and the receiver releases it.
struct flock wholeFile(short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    return lock;
}

} // namespace

void failWithErrno(const std::string& step) {
    throw SharedMemoryError("Shared memory: " + step + " failed: " + std::strerror(errno));
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

UniqueFd::~UniqueFd() {
    if (fd_ >= 0)
        ::close(fd_);
}

int UniqueFd::release() noexcept {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

UniqueFd createSealedMemory(const uint8_t* bytes, std::size_t size) {
    UniqueFd memory(::memfd_create("tallowick-byte-array", MFD_ALLOW_SEALING | MFD_CLOEXEC));
    if (!memory.valid())
        failWithErrno("creating a memory file");
    // write() copies into the file's pages as it allocates them, which is
    // cheaper than mapping the file and faulting every page in.
    std::size_t written = 0;
    while (written < size) {
        const ssize_t step = ::write(memory.get(), bytes + written, size - written);
        if (step < 0) {
            if (errno == EINTR)
                continue;
            failWithErrno("writing " + std::to_string(size) + " bytes");
        }
        written += static_cast<std::size_t>(step);
    }
    if (::fcntl(memory.get(), F_ADD_SEALS, kOneOffSeals) != 0)
        failWithErrno("sealing");
    return memory;
}

MemoryFileFacts checkMemoryFile(int fd, std::size_t neededSize) {
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        failWithErrno("reading the size of descriptor " + std::to_string(fd));
    // Memory files live in the kernel's shared-memory file system; anything
    // else (a pipe, a disk file, huge pages that may run out) is refused.
    struct statfs system {};
    if (!S_ISREG(status.st_mode) || ::fstatfs(fd, &system) != 0 || system.f_type != TMPFS_MAGIC)
        throw SharedMemoryError("Shared memory: the descriptor is not a memory file");
    const int seals = ::fcntl(fd, F_GET_SEALS);
    if (seals < 0)
        failWithErrno("reading the seals");
    if ((seals & kSizeSeals) != kSizeSeals)
        throw SharedMemoryError("Shared memory: the memory file is not sealed against resizing "
                                "(seals present: " +
                                sealNames(seals) + "; required: " + sealNames(kSizeSeals) + ")");
    if (status.st_size < 0 || static_cast<std::size_t>(status.st_size) < neededSize)
        throw SharedMemoryError("Shared memory: the memory file holds " +
                                std::to_string(status.st_size) + " bytes where " +
                                std::to_string(neededSize) + " were expected");
    return MemoryFileFacts{static_cast<uint64_t>(status.st_dev),
                           static_cast<uint64_t>(status.st_ino),
                           static_cast<std::size_t>(status.st_size), (seals & F_SEAL_WRITE) != 0};
}

void readSealedMemory(int fd, uint8_t* destination, std::size_t size) {
    // pread copies straight from the file's pages into the destination: one
    // copy, without the cost of setting up and tearing down a mapping.
    std::size_t done = 0;
    while (done < size) {
        const ssize_t step = ::pread(fd, destination + done, size - done, static_cast<off_t>(done));
        if (step < 0) {
            if (errno == EINTR)
                continue;
            failWithErrno("reading " + std::to_string(size) + " bytes");
        }
        if (step == 0)
            throw SharedMemoryError("Shared memory: the memory file ended after " +
                                    std::to_string(done) + " of " + std::to_string(size) +
                                    " bytes");
        done += static_cast<std::size_t>(step);
    }
}

UniqueFd markedDescriptorOf(int fd) {
    UniqueFd lent(::open(("/proc/self/fd/" + std::to_string(fd)).c_str(), O_RDONLY | O_CLOEXEC));
    if (!lent.valid())
        failWithErrno("opening a memory file again to lend it (through /proc/self/fd)");
    struct flock mark = wholeFile(F_RDLCK);
    if (::fcntl(lent.get(), F_OFD_SETLK, &mark) != 0)
        failWithErrno("marking a lent memory file");
    return lent;
}

bool allTaken(int fd) {
    struct flock probe = wholeFile(F_WRLCK);
    if (::fcntl(fd, F_OFD_GETLK, &probe) != 0)
        return false;
    return probe.l_type == F_UNLCK;
}

void markTaken(int fd) noexcept {
    // Releasing the mark from any copy of the descriptor releases it for all.
    struct flock release = wholeFile(F_UNLCK);
    [[maybe_unused]] const int ignored = ::fcntl(fd, F_OFD_SETLK, &release);
}

MemoryMapping::MemoryMapping(int fd, std::size_t length, bool writable) : length_(length) {
    if (length == 0)
        return;
    // Populating at once costs one call instead of a fault per page.
    void* address = ::mmap(nullptr, length, writable ? PROT_READ | PROT_WRITE : PROT_READ,
                           MAP_SHARED | MAP_POPULATE, fd, 0);
    if (address == MAP_FAILED)
        failWithErrno("mapping " + std::to_string(length) + " bytes");
    bytes_ = static_cast<uint8_t*>(address);
}

MemoryMapping::MemoryMapping(MemoryMapping&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)), length_(std::exchange(other.length_, 0)) {}

MemoryMapping& MemoryMapping::operator=(MemoryMapping&& other) noexcept {
    if (this != &other) {
        if (bytes_)
            ::munmap(bytes_, length_);
        bytes_ = std::exchange(other.bytes_, nullptr);
        length_ = std::exchange(other.length_, 0);
    }
    return *this;
}

MemoryMapping::~MemoryMapping() {
    if (bytes_)
        ::munmap(bytes_, length_);
}

} // namespace host
