#include "host/SharedMemory.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace host {

namespace {

// What a sender applies and a receiver requires: the memory can be neither
// resized (a reader would fault past a cut end) nor changed while it is read,
// and the seals themselves are final.
constexpr int kRequiredSeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL;

[[noreturn]] void failWithErrno(const std::string& step) {
    throw SharedMemoryError("Shared memory: " + step + " failed: " + std::strerror(errno));
}

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

} // namespace

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
    if (::fcntl(memory.get(), F_ADD_SEALS, kRequiredSeals) != 0)
        failWithErrno("sealing");
    return memory;
}

void checkSealedMemory(int fd, std::size_t expectedSize) {
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        failWithErrno("reading the size of descriptor " + std::to_string(fd));
    if (!S_ISREG(status.st_mode))
        throw SharedMemoryError("Shared memory: the descriptor is not a memory file");
    const int seals = ::fcntl(fd, F_GET_SEALS);
    if (seals < 0)
        failWithErrno("reading the seals");
    if ((seals & kRequiredSeals) != kRequiredSeals)
        throw SharedMemoryError("Shared memory: the memory file is not sealed against change "
                                "(seals present: " +
                                sealNames(seals) + "; required: " + sealNames(kRequiredSeals) +
                                ")");
    if (status.st_size < 0 || static_cast<std::size_t>(status.st_size) != expectedSize)
        throw SharedMemoryError("Shared memory: the memory file holds " +
                                std::to_string(status.st_size) + " bytes where " +
                                std::to_string(expectedSize) + " were expected");
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

} // namespace host
