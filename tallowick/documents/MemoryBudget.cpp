#include "tallowick/documents/MemoryBudget.h"

#include <QLocale>
#include <algorithm>
#include <limits>
#include <unistd.h>

namespace tallowick {

MemoryBudget MemoryBudget::ofPhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return MemoryBudget(UINT64_MAX);
    return MemoryBudget(static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) / 2);
}

namespace {

bool fitsBeside(uint64_t bytes, uint64_t held, uint64_t limit) {
    return held <= limit && bytes <= limit - held;
}

} // namespace

bool MemoryBudget::fitsNow(uint64_t bytes) const {
    return fitsBeside(bytes, inUse_, limit_);
}

void MemoryBudget::checkFits(uint64_t bytes, const QString& request) const {
    const uint64_t kept = inUse_ - droppable_;
    if (!fitsBeside(bytes, kept, limit_))
        refuse(bytes, request, kept);
}

void MemoryBudget::refuse(uint64_t bytes, const QString& request, uint64_t held) const {
    const QString need = QStringLiteral("%1 would take %2").arg(request, bytesText(bytes));
    if (held == 0)
        throw MemoryBudgetError(QStringLiteral("%1, more than the memory budget of %2 allows")
                                    .arg(need, bytesText(limit_))
                                    .toStdString());
    throw MemoryBudgetError(
        QStringLiteral("%1, more than the %2 left of the memory budget of %3 (%4 in use)")
            .arg(need, bytesText(limit_ - std::min(held, limit_)), bytesText(limit_),
                 bytesText(held))
            .toStdString());
}

void MemoryBudget::charge(uint64_t bytes, const QString& request) {
    if (!fitsNow(bytes))
        refuse(bytes, request, inUse_);
    inUse_ += bytes;
}

void MemoryBudget::chargeDroppable(uint64_t bytes, const QString& request) {
    charge(bytes, request);
    droppable_ += bytes;
}

void MemoryBudget::release(uint64_t bytes) {
    inUse_ -= std::min(bytes, inUse_ - droppable_);
}

void MemoryBudget::releaseDroppable(uint64_t bytes) {
    const uint64_t given = std::min(bytes, droppable_);
    droppable_ -= given;
    inUse_ -= given;
}

uint64_t MemoryBudget::frameBytes(int32_t width, int32_t height) {
    return framesBytes(1, width, height);
}

uint64_t MemoryBudget::framesBytes(int64_t count, int32_t width, int32_t height) {
    if (count < 0 || width < 0 || height < 0)
        return UINT64_MAX;
    uint64_t bytes = 4;
    const bool overflow =
        __builtin_mul_overflow(bytes, static_cast<uint64_t>(width) + 1, &bytes) ||
        __builtin_mul_overflow(bytes, static_cast<uint64_t>(height) + 1, &bytes) ||
        __builtin_mul_overflow(bytes, static_cast<uint64_t>(count), &bytes);
    return overflow ? UINT64_MAX : bytes;
}

QString framesText(int64_t count, int32_t width, int32_t height) {
    return QStringLiteral("%1 %2 of %3 x %4 pixels")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("frame") : QStringLiteral("frames"))
        .arg(width)
        .arg(height);
}

QString bytesText(uint64_t bytes) {
    constexpr auto largest = static_cast<uint64_t>(std::numeric_limits<qint64>::max());
    if (bytes > largest)
        return QStringLiteral("more than %1").arg(bytesText(largest));
    return QLocale::c().formattedDataSize(static_cast<qint64>(bytes), 1);
}

} // namespace tallowick
