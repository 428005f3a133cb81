#include "automation/ByteArray.h"

#include <QStringList>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <string>

namespace host {

namespace {

QString boundsOf(const std::vector<Dimension>& dimensions) {
    QStringList parts;
    for (const Dimension& d : dimensions) {
        const int64_t upper = int64_t{d.lower} + d.count - 1;
        parts << QStringLiteral("%1 To %2").arg(d.lower).arg(upper);
    }
    return QLatin1Char('(') + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

[[noreturn]] void refuse(const std::vector<Dimension>& dimensions, const QString& reason) {
    throw ByteArrayError(
        QStringLiteral("Byte array %1: %2").arg(boundsOf(dimensions), reason).toStdString());
}

// The number of bytes the dimensions span, checked against the limits of the
// automation bounds (32-bit) and of the address space.
std::size_t checkedSize(const std::vector<Dimension>& dimensions) {
    if (dimensions.empty() || dimensions.size() > 3)
        refuse(dimensions, QStringLiteral("%1 dimensions, expected 1 to 3").arg(dimensions.size()));
    std::size_t total = 1;
    for (std::size_t i = 0; i < dimensions.size(); ++i) {
        const Dimension& d = dimensions[i];
        if (d.count < 0)
            refuse(
                dimensions,
                QStringLiteral("dimension %1 has a negative count (%2)").arg(i + 1).arg(d.count));
        if (int64_t{d.lower} + d.count - 1 > std::numeric_limits<int32_t>::max())
            refuse(dimensions,
                   QStringLiteral("the upper bound of dimension %1 exceeds the 32-bit range")
                       .arg(i + 1));
        if (__builtin_mul_overflow(total, static_cast<std::size_t>(d.count), &total))
            refuse(dimensions, QStringLiteral("the total size overflows"));
    }
    if (total > std::vector<uint8_t>().max_size())
        refuse(dimensions, QStringLiteral("the total size exceeds the address space"));
    return total;
}

} // namespace

std::shared_ptr<ByteArray::Bytes> ByteArray::allocate(const std::vector<Dimension>& dimensions,
                                                      std::size_t size) {
    if (size == 0)
        return nullptr;
    try {
        return std::make_shared<Bytes>(size);
    } catch (const std::bad_alloc&) {
        refuse(dimensions, QStringLiteral("%1 bytes cannot be allocated").arg(size));
    }
}

std::shared_ptr<ByteArray::Bytes> ByteArray::copyOf(const std::vector<Dimension>& dimensions,
                                                    const std::shared_ptr<Bytes>& bytes) {
    if (!bytes)
        return nullptr;
    std::shared_ptr<Bytes> own = allocate(dimensions, bytes->size());
    if (own)
        std::memcpy(own->data(), bytes->data(), own->size());
    return own;
}

ByteArray::ByteArray(const ByteArray& other)
    : dimensions_(other.dimensions_), bytes_(copyOf(other.dimensions_, other.bytes_)) {}

ByteArray& ByteArray::operator=(const ByteArray& other) {
    if (this == &other)
        return *this;
    // Storage of the same size is reused: its pages are already mapped,
    // where fresh ones would each cost a fault on first touch.
    if (size() == other.size() && ownsAlone()) {
        dimensions_ = other.dimensions_;
        if (bytes_)
            std::memcpy(bytes_->data(), other.bytes_->data(), bytes_->size());
        return *this;
    }
    ByteArray copy(other);
    *this = std::move(copy);
    return *this;
}

ByteArray::ByteArray(std::vector<Dimension> dimensions) {
    const std::size_t total = checkedSize(dimensions);
    bytes_ = allocate(dimensions, total);
    if (bytes_)
        std::memset(bytes_->data(), 0, total);
    dimensions_ = std::move(dimensions);
}

ByteArray ByteArray::filledBy(std::vector<Dimension> dimensions,
                              const std::function<void(uint8_t*, std::size_t)>& fill) {
    const std::size_t total = checkedSize(dimensions);
    ByteArray array;
    array.bytes_ = allocate(dimensions, total);
    fill(array.bytes_ ? array.bytes_->data() : nullptr, total);
    array.dimensions_ = std::move(dimensions);
    return array;
}

std::size_t ByteArray::sizeOf(const std::vector<Dimension>& dimensions) {
    return checkedSize(dimensions);
}

ByteArray ByteArray::borrowing(std::vector<Dimension> dimensions,
                               std::shared_ptr<const uint8_t> bytes) {
    const std::size_t total = checkedSize(dimensions);
    ByteArray array;
    if (total > 0) {
        const uint8_t* const lent = bytes.get();
        array.bytes_ = std::make_shared<Bytes>(lent, total, std::move(bytes));
    }
    array.dimensions_ = std::move(dimensions);
    return array;
}

ByteArray ByteArray::sharedCopy() const {
    if (borrows())
        return *this;
    ByteArray copy;
    copy.dimensions_ = dimensions_;
    copy.bytes_ = bytes_;
    return copy;
}

bool ByteArray::sharesStorage() const {
    return bytes_ && (bytes_.use_count() > 1 || bytes_->lent());
}

// Once the count reads 1 the other sharers are gone; the fence orders their
// last reads of the bytes (perhaps on another thread) before this one's
// writes.
bool ByteArray::ownsAlone() const {
    if (bytes_ && (bytes_.use_count() != 1 || bytes_->lent()))
        return false;
    std::atomic_thread_fence(std::memory_order_acquire);
    return true;
}

uint8_t* ByteArray::data() {
    if (!ownsAlone())
        bytes_ = copyOf(dimensions_, bytes_);
    return bytes_ ? bytes_->data() : nullptr;
}

uint8_t* ByteArray::dataToOverwrite() {
    if (!ownsAlone())
        bytes_ = allocate(dimensions_, bytes_->size());
    return bytes_ ? bytes_->data() : nullptr;
}

bool ByteArray::operator==(const ByteArray& other) const {
    return dimensions_ == other.dimensions_ && size() == other.size() &&
           (bytes_ == other.bytes_ || std::memcmp(data(), other.data(), size()) == 0);
}

ByteArray ByteArray::plane(int32_t width, int32_t height) {
    if (width < 0 || height < 0)
        throw ByteArrayError(QStringLiteral("Plane of width %1 and height %2: a negative extent")
                                 .arg(width)
                                 .arg(height)
                                 .toStdString());
    return ByteArray({{0, width}, {0, height}});
}

const Dimension& ByteArray::dimensionAt(int dimension) const {
    if (dimension < 0 || dimension >= rank())
        throw ByteArrayError(
            QStringLiteral("Byte array %1 has %2 dimensions, no dimension index %3")
                .arg(boundsText())
                .arg(rank())
                .arg(dimension)
                .toStdString());
    return dimensions_[static_cast<std::size_t>(dimension)];
}

int32_t ByteArray::count(int dimension) const {
    return dimensionAt(dimension).count;
}

int32_t ByteArray::lower(int dimension) const {
    return dimensionAt(dimension).lower;
}

bool ByteArray::isPlane() const {
    return rank() == 2 && dimensions_[0].lower == 0 && dimensions_[1].lower == 0;
}

std::size_t ByteArray::offsetOf(const int32_t* indexes, int indexCount) const {
    if (indexCount != rank())
        throw ByteArrayError(QStringLiteral("Byte array %1 indexed with %2 indexes")
                                 .arg(boundsText())
                                 .arg(indexCount)
                                 .toStdString());
    // The first index varies fastest, so each later index strides over the
    // product of the earlier counts.
    std::size_t offset = 0;
    std::size_t stride = 1;
    for (std::size_t i = 0; i < dimensions_.size(); ++i) {
        const Dimension& d = dimensions_[i];
        const int64_t relative = int64_t{indexes[i]} - d.lower;
        if (relative < 0 || relative >= d.count)
            throw ByteArrayError(QStringLiteral("Byte array %1: index %2 of dimension %3 is out "
                                                "of bounds")
                                     .arg(boundsText())
                                     .arg(indexes[i])
                                     .arg(i + 1)
                                     .toStdString());
        offset += static_cast<std::size_t>(relative) * stride;
        stride *= static_cast<std::size_t>(d.count);
    }
    return offset;
}

// The index is checked before the storage is taken out of sharing.
uint8_t& ByteArray::at(int32_t i) {
    const std::size_t offset = offsetOf(&i, 1);
    return data()[offset];
}

uint8_t& ByteArray::at(int32_t x, int32_t y) {
    const int32_t indexes[] = {x, y};
    const std::size_t offset = offsetOf(indexes, 2);
    return data()[offset];
}

uint8_t& ByteArray::at(int32_t x, int32_t y, int32_t z) {
    const int32_t indexes[] = {x, y, z};
    const std::size_t offset = offsetOf(indexes, 3);
    return data()[offset];
}

uint8_t ByteArray::at(int32_t i) const {
    return data()[offsetOf(&i, 1)];
}

uint8_t ByteArray::at(int32_t x, int32_t y) const {
    const int32_t indexes[] = {x, y};
    return data()[offsetOf(indexes, 2)];
}

uint8_t ByteArray::at(int32_t x, int32_t y, int32_t z) const {
    const int32_t indexes[] = {x, y, z};
    return data()[offsetOf(indexes, 3)];
}

QString ByteArray::boundsText() const {
    return boundsOf(dimensions_);
}

QString ByteArray::boundsText(const std::vector<Dimension>& dimensions) {
    return boundsOf(dimensions);
}

} // namespace host
