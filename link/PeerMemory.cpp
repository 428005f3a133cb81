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
template <typename Entries, typename Droppable, typename LengthOf>
bool makeRoom(Entries& entries, std::size_t& held, std::size_t needed, std::size_t bound,
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

OutgoingMemory::OutgoingMemory(std::size_t boundBytes, std::size_t maxUntakenFiles,
                               std::size_t maxUntakenBytes)
    : boundBytes_(boundBytes), maxUntakenFiles_(maxUntakenFiles),
      maxUntakenBytes_(maxUntakenBytes) {}

UniqueFd OutgoingMemory::lend(const uint8_t* bytes, std::size_t size) {
    refuseWhenFull(size);
    File* file = size == 0 ? nullptr : reusableFile(size);
    if (file == nullptr && size != 0)
        file = newFile(size);
    if (file == nullptr) {
        UniqueFd oneOff = createSealedMemory(bytes, size);
        UniqueFd sent = markedDescriptorOf(oneOff.get());
        untaken_.push_back(Lending{nullptr, std::move(oneOff), size});
        untakenBytes_ += size;
        return sent;
    }
    std::memcpy(file->mapping.bytes(), bytes, size);
    UniqueFd sent = markedDescriptorOf(file->fd.get());
    file->lent = true;
    file->lastUse = ++uses_;
    untaken_.push_back(Lending{file, UniqueFd(), file->mapping.length()});
    untakenBytes_ += file->mapping.length();
    return sent;
}

std::size_t OutgoingMemory::untakenFiles() {
    forgetTaken(true);
    return untaken_.size();
}

void OutgoingMemory::forgetTaken(bool thorough) {
    for (auto it = untaken_.begin(); it != untaken_.end();) {
        const int fd = it->file ? it->file->fd.get() : it->oneOff.get();
        if (!allTaken(fd)) {
            if (!thorough)
                return;
            ++it;
            continue;
        }
        if (it->file)
            it->file->lent = false;
        untakenBytes_ -= it->bytes;
        it = untaken_.erase(it);
    }
}

void OutgoingMemory::refuseWhenFull(std::size_t size) {
    const auto full = [&] {
        return untaken_.size() >= maxUntakenFiles_ || untakenBytes_ + size > maxUntakenBytes_;
    };
    forgetTaken(false);
    if (!full())
        return;
    // A peer may close its descriptors in any order.
    forgetTaken(true);
    if (!full())
        return;
    throw UntakenMemoryError(
        "the receiving program has not taken " + std::to_string(untaken_.size()) +
        " memory files sent to it (" + std::to_string(untakenBytes_) +
        " bytes), and a program may hold at most " + std::to_string(maxUntakenFiles_) +
        " files or " + std::to_string(maxUntakenBytes_) +
        " bytes untaken; it must read the replies to its earlier calls first");
}

OutgoingMemory::File* OutgoingMemory::reusableFile(std::size_t size) {
    const auto smallestFree = [&] {
        File* best = nullptr;
        for (File& file : files_)
            if (!file.lent && file.mapping.length() >= size &&
                (best == nullptr || file.mapping.length() < best->mapping.length()))
                best = &file;
        return best;
    };
    // refuseWhenFull has forgotten the oldest lendings taken; one taken out
    // of order is looked for only before a new file would be made.
    if (File* file = smallestFree())
        return file;
    forgetTaken(true);
    return smallestFree();
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
    // Read or refused, the file is done with.
    struct MarkTaken {
        int fd;
        ~MarkTaken() { markTaken(fd); }
    } done{fd};
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
    std::memcpy(destination, mapped->mapping->bytes(), size);
}

std::shared_ptr<const uint8_t> IncomingMemory::borrow(int fd, std::size_t size) {
    // Lent bytes keep the sender's file held: a descriptor of their own of
    // the same open file description, which carries the mark, and the
    // mapping.
    struct Loan {
        UniqueFd description;
        std::shared_ptr<const MemoryMapping> mapping;
        ~Loan() { markTaken(description.get()); }
    };
    // A refused file is done with; one left to read() is marked taken there.
    const Mapped* mapped = nullptr;
    try {
        const MemoryFileFacts facts = checkMemoryFile(fd, size);
        if (size == 0 || facts.writeSealed)
            return nullptr;
        mapped = mappingOf(fd, facts, size);
    } catch (...) {
        markTaken(fd);
        throw;
    }
    if (!mapped)
        return nullptr;
    // Out of descriptors, the bytes are copied out instead.
    UniqueFd description(::fcntl(fd, F_DUPFD_CLOEXEC, 0));
    if (!description.valid())
        return nullptr;
    auto loan = std::make_shared<Loan>();
    loan->description = std::move(description);
    loan->mapping = mapped->mapping;
    const uint8_t* const bytes = loan->mapping->bytes();
    return std::shared_ptr<const uint8_t>(std::move(loan), bytes);
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
    if (known != mappings_.end() && known->mapping->length() >= size) {
        known->lastUse = ++uses_;
        return &*known;
    }
    if (known != mappings_.end()) {
        bytesMapped_ -= known->mapping->length();
        mappings_.erase(known);
    }
    if (!makeRoom(
            mappings_, bytesMapped_, size, boundBytes_, [](const Mapped&) { return true; },
            [](const Mapped& m) { return m.mapping->length(); }))
        return nullptr;
    mappings_.push_back(Mapped{facts.device, facts.inode,
                               std::make_shared<const MemoryMapping>(fd, size, false), ++uses_});
    bytesMapped_ += size;
    return &mappings_.back();
}

} // namespace host
