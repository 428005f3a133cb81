#include "link/PeerMemory.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace host {

namespace {

// A lent file is sealed against resizing, so that the receiver's mapping can
// never fault, but not against writing, so that it can be reused.
constexpr int kLentSeals = F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_SEAL;

std::size_t wholePages(std::size_t size) {
    static const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    return (size + page - 1) / page * page;
}

// Drops the least recently used entries that `droppable` allows until
// `needed` more bytes fit within `bound`; false when they cannot.
template <typename Entry, typename Droppable, typename LengthOf>
bool makeRoom(std::vector<Entry>& entries, std::size_t& held, std::size_t needed, std::size_t bound,
              Droppable droppable, LengthOf lengthOf) {
    while (held + needed > bound) {
        auto oldest = entries.end();
        for (auto it = entries.begin(); it != entries.end(); ++it)
            if (droppable(*it) && (oldest == entries.end() || it->lastUse < oldest->lastUse))
                oldest = it;
        if (oldest == entries.end())
            return false;
        held -= lengthOf(*oldest);
        entries.erase(oldest);
    }
    return true;
}

} // namespace

OutgoingMemory::OutgoingMemory(std::size_t boundBytes) : boundBytes_(boundBytes) {}

UniqueFd OutgoingMemory::lend(const uint8_t* bytes, std::size_t size) {
    File* file = size == 0 ? nullptr : reusableFile(size);
    if (file == nullptr && size != 0)
        file = newFile(size);
    if (file == nullptr)
        return createSealedMemory(bytes, size);
    std::memcpy(file->mapping.bytes(), bytes, size);
    file->lent = true;
    file->lastUse = ++uses_;
    UniqueFd sent(::fcntl(file->fd.get(), F_DUPFD_CLOEXEC, 0));
    if (!sent.valid())
        failWithErrno("duplicating a memory file's descriptor");
    return sent;
}

void OutgoingMemory::releaseAll() {
    for (File& file : files_)
        file.lent = false;
}

OutgoingMemory::File* OutgoingMemory::reusableFile(std::size_t size) {
    File* best = nullptr;
    for (File& file : files_)
        if (!file.lent && file.mapping.length() >= size &&
            (best == nullptr || file.mapping.length() < best->mapping.length()))
            best = &file;
    return best;
}

OutgoingMemory::File* OutgoingMemory::newFile(std::size_t size) {
    const std::size_t capacity = wholePages(size);
    if (!makeRoom(
            files_, bytesKept_, capacity, boundBytes_, [](const File& file) { return !file.lent; },
            [](const File& file) { return file.mapping.length(); }))
        return nullptr;
    UniqueFd fd(::memfd_create("tallowick-lent-memory", MFD_ALLOW_SEALING | MFD_CLOEXEC));
    if (!fd.valid())
        failWithErrno("creating a memory file");
    if (::ftruncate(fd.get(), static_cast<off_t>(capacity)) != 0)
        failWithErrno("sizing a memory file to " + std::to_string(capacity) + " bytes");
    if (::fcntl(fd.get(), F_ADD_SEALS, kLentSeals) != 0)
        failWithErrno("sealing");
    MemoryMapping mapping(fd.get(), capacity, true);
    files_.push_back(File{std::move(fd), std::move(mapping), false, 0});
    bytesKept_ += capacity;
    return &files_.back();
}

IncomingMemory::IncomingMemory(std::size_t boundBytes) : boundBytes_(boundBytes) {}

void IncomingMemory::read(int fd, uint8_t* destination, std::size_t size) {
    const MemoryFileFacts facts = checkMemoryFile(fd, size);
    if (size == 0)
        return;
    // A file sealed against writing is sent once; a mapping of it would only
    // keep its pages alive.
    const Mapped* mapped = facts.writeSealed ? nullptr : mappingOf(fd, facts, size);
    if (!mapped) {
        readSealedMemory(fd, destination, size);
        return;
    }
    // The sender may write into the mapping while this copies: that changes
    // only the values copied, which carry no structure, and the mapping
    // cannot shrink under the copy.
    std::memcpy(destination, mapped->mapping.bytes(), size);
}

const IncomingMemory::Mapped* IncomingMemory::mappingOf(int fd, const MemoryFileFacts& facts,
                                                        std::size_t size) {
    // Larger than the bound, a file is read without a mapping, and the
    // mappings kept stay as they are.
    if (size > boundBytes_)
        return nullptr;
    const auto known = std::find_if(mappings_.begin(), mappings_.end(), [&](const Mapped& m) {
        return m.device == facts.device && m.inode == facts.inode;
    });
    if (known != mappings_.end() && known->mapping.length() >= size) {
        known->lastUse = ++uses_;
        return &*known;
    }
    if (known != mappings_.end()) {
        bytesMapped_ -= known->mapping.length();
        mappings_.erase(known);
    }
    if (!makeRoom(
            mappings_, bytesMapped_, size, boundBytes_, [](const Mapped&) { return true; },
            [](const Mapped& m) { return m.mapping.length(); }))
        return nullptr;
    mappings_.push_back(Mapped{facts.device, facts.inode, MemoryMapping(fd, size, false), ++uses_});
    bytesMapped_ += size;
    return &mappings_.back();
}

} // namespace host
