#include "cinderloom/FrameRetrieval.h"

#include "automation/PlaneShape.h"
#include "automation/ResultConversions.h"
#include "cinderloom/CosmeticHostCalls.h"
#include "platform/Hourglass.h"
#include "platform/MessageBox.h"

#include <array>
#include <cstring>
#include <new>
#include <utility>

namespace cinderloom {
namespace {

constexpr int16_t kGotoFrameMode = 3;

int32_t sizeFrom(host::AutomationObject& hostCalls, const QString& method) {
    return host::resultToSize(method, hostCalls.Invoke(method));
}

FrameSizes readFrameSizes(host::AutomationObject& hostCalls) {
    FrameSizes sizes;
    sizes.width = sizeFrom(hostCalls, QStringLiteral("tal_BufferWidth"));
    sizes.height = sizeFrom(hostCalls, QStringLiteral("tal_BufferHeight"));
    sizes.count = sizeFrom(hostCalls, QStringLiteral("tal_GetTotalFrames"));
    return sizes;
}

// The sizes came from three calls; a store they make too large to hold is
// reported as their result, not as a failure of its own.
CellStore newStoreFor(const FrameSizes& sizes) {
    const auto tooLarge = [&](const QString& reason) {
        return CellStoreError(
            QStringLiteral("tal_BufferWidth, tal_BufferHeight and tal_GetTotalFrames gave %1 "
                           "frames of %2 x %3 pixels, which cannot be held: %4")
                .arg(sizes.count)
                .arg(sizes.width)
                .arg(sizes.height)
                .arg(reason)
                .toStdString());
    };
    try {
        return CellStore(sizes.columns(), sizes.rows(), sizes.count);
    } catch (const CellStoreError& error) {
        throw tooLarge(QString::fromUtf8(error.what()));
    } catch (const std::bad_alloc&) {
        throw tooLarge(QStringLiteral("out of memory"));
    }
}

// What a failed retrieval leaves the user with.
QString keptCellsText(const CellStore& kept) {
    if (kept.empty())
        return QStringLiteral("No cells were retrieved before, so there are none.");
    return QStringLiteral("The %1 cells retrieved before, of %2 x %3 samples, are kept.")
        .arg(kept.cells())
        .arg(kept.columns())
        .arg(kept.rows());
}

// The plane must hold every sample the cell is copied from.
void checkCoversFrame(const QString& method, const host::ByteArray& plane, int64_t columns,
                      int64_t rows) {
    if (!host::planeCovers(plane, columns, rows))
        throw host::PlaneShapeError(
            QStringLiteral("%1 returned a plane of %2, which does not cover the "
                           "frame's %3 × %4 samples (0 To %5, 0 To %6).")
                .arg(method, plane.boundsText())
                .arg(columns)
                .arg(rows)
                .arg(columns - 1)
                .arg(rows - 1)
                .toStdString());
}

void copyFrame(host::AutomationObject& hostCalls, CellStore& store, int32_t frame) {
    hostCalls.Invoke(QStringLiteral("Tal_GotoFrameAdv"), {frame, kGotoFrameMode});

    static const std::array<QString, 3> methods{QStringLiteral("tal_GetRbuffer"),
                                                QStringLiteral("tal_GetGbuffer"),
                                                QStringLiteral("Tal_GetBbuffer")};
    const int64_t columns = store.columns();
    const int64_t rows = store.rows();
    const auto rowBytes = static_cast<std::size_t>(columns);
    // Each plane is copied into its cell as it comes, straight from the file
    // the host lent it in, and dropped before the next is asked for.
    for (std::size_t channel = 0; channel < methods.size(); ++channel) {
        const host::ByteArray plane =
            host::resultToPlane(methods[channel], hostCalls.InvokeBorrowing(methods[channel]));
        checkCoversFrame(methods[channel], plane, columns, rows);
        uint8_t* target = store.cell(kChannels[channel], frame);
        const uint8_t* source = plane.data();
        const auto sourceStride = static_cast<std::size_t>(plane.count(0));
        if (sourceStride == rowBytes) {
            std::memcpy(target, source, rowBytes * static_cast<std::size_t>(rows));
            continue;
        }
        for (int64_t y = 0; y < rows; ++y, target += rowBytes, source += sourceStride)
            std::memcpy(target, source, rowBytes);
    }
}

} // namespace

void retrieveFrames(host::AutomationObject& hostCalls, RetrievedCells& cells) {
    const FrameSizes sizes = readFrameSizes(hostCalls);

    const platform::HourglassGuard hourglass;
    ignoringHostCallFailure([&] {
        hostCalls.Invoke(QStringLiteral("tal_StatusOpen"),
                         {QStringLiteral("Retrieving frames...")});
        hostCalls.Invoke(QStringLiteral("tal_Status"), {int16_t{0}});
    });

    if (sizes.count < 2) {
        cells.recordSizes(sizes);
        platform::showMessageBox(QStringLiteral("No animation"));
        hostCalls.Invoke(QStringLiteral("tal_StatusClose"));
        return;
    }

    // The new cells are built aside, so that a retrieval failing half-way
    // leaves the old ones whole, with their sizes.
    try {
        CellStore store = cells.takeSpare(sizes.columns(), sizes.rows(), sizes.count);
        if (store.empty())
            store = newStoreFor(sizes);
        const double percentPerFrame = 100.0 / sizes.count;
        for (int32_t frame = 0; frame < sizes.count; ++frame) {
            copyFrame(hostCalls, store, frame);
            ignoringHostCallFailure([&] {
                hostCalls.Invoke(QStringLiteral("tal_Status"), {percentPerFrame * frame});
            });
        }
        cells.keep(sizes, std::move(store));
    } catch (const std::exception& error) {
        throw RetrievalError(QStringLiteral("%1\n\n%2")
                                 .arg(QString::fromUtf8(error.what()), keptCellsText(cells.store()))
                                 .toStdString());
    }

    hostCalls.Invoke(QStringLiteral("Tal_GotoFrame"), {int16_t{0}});
    hostCalls.Invoke(QStringLiteral("tal_StatusClose"));
}

} // namespace cinderloom
