#include "cinderloom/FrameRetrieval.h"

#include "automation/PlaneShape.h"
#include "automation/ResultConversions.h"
#include "cinderloom/CosmeticHostCalls.h"
#include "platform/Hourglass.h"
#include "platform/MessageBox.h"

#include <array>
#include <deque>
#include <memory>
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

// The calls of a retrieval in the order the host serves them: for each
// frame, the move to it, its three planes, and the progress shown after them.
// They are sent one plane ahead of the plane being copied, so that the host
// copies the next plane into the file it lends while this side copies the
// last one out of its file into the cell. A plane is taken only after
// everything sent before it, so a failed move to a frame is found before any
// plane of that frame is read.
class RetrievalCalls {
public:
    RetrievalCalls(host::AutomationObject& hostCalls, int32_t frames)
        : hostCalls_(hostCalls), frames_(frames), percentPerFrame_(100.0 / frames) {}

    static constexpr int kChannelCount = 3;

    int64_t planes() const { return int64_t{frames_} * kChannelCount; }

    // Sends the calls up to and including plane `index` (frame index / 3,
    // channel index % 3).
    void sendThroughPlane(int64_t index) {
        const auto frame = static_cast<int32_t>(index / kChannelCount);
        const auto channel = static_cast<std::size_t>(index % kChannelCount);
        if (channel == 0)
            sent_.push_back(
                {Kind::Move, channel,
                 hostCalls_.Send(QStringLiteral("Tal_GotoFrameAdv"), {frame, kGotoFrameMode})});
        sent_.push_back({Kind::Plane, channel,
                         hostCalls_.Send(kPlaneMethods[channel], {}, host::ResultUse::CopiedOnce)});
        if (channel == kChannelCount - 1)
            ignoringHostCallFailure([&] {
                sent_.push_back(
                    {Kind::Progress, channel,
                     hostCalls_.Send(QStringLiteral("tal_Status"), {percentPerFrame_ * frame})});
            });
    }

    struct Plane {
        QString method;
        host::ByteArray samples;
    };

    // The answer to the next plane sent, after the answers to everything sent
    // before it.
    Plane takePlane() {
        while (!sent_.empty()) {
            Sent next = std::move(sent_.front());
            sent_.pop_front();
            if (next.kind == Kind::Progress) {
                ignoringHostCallFailure([&] { next.call->answer(); });
                continue;
            }
            host::Variant answer = next.call->answer();
            if (next.kind == Kind::Plane) {
                const QString& method = kPlaneMethods[next.channel];
                return {method, host::resultToPlane(method, std::move(answer))};
            }
        }
        throw std::logic_error("takePlane: no plane call was sent");
    }

    // The answers still owed after the last plane: progress only.
    void takeTheRest() {
        for (Sent& next : sent_)
            ignoringHostCallFailure([&] { next.call->answer(); });
        sent_.clear();
    }

private:
    enum class Kind { Move, Plane, Progress };
    struct Sent {
        Kind kind;
        std::size_t channel;
        std::unique_ptr<host::SentCall> call;
    };
    inline static const std::array<QString, kChannelCount> kPlaneMethods{
        QStringLiteral("tal_GetRbuffer"), QStringLiteral("tal_GetGbuffer"),
        QStringLiteral("Tal_GetBbuffer")};

    host::AutomationObject& hostCalls_;
    int32_t frames_;
    double percentPerFrame_;
    std::deque<Sent> sent_;
};

void copyFrames(host::AutomationObject& hostCalls, CellStore& store, int32_t frames) {
    const int64_t columns = store.columns();
    const int64_t rows = store.rows();
    RetrievalCalls calls(hostCalls, frames);
    calls.sendThroughPlane(0);
    for (int64_t index = 0; index < calls.planes(); ++index) {
        if (index + 1 < calls.planes())
            calls.sendThroughPlane(index + 1);
        const RetrievalCalls::Plane plane = calls.takePlane();
        checkCoversFrame(plane.method, plane.samples, columns, rows);
        const auto channel = static_cast<std::size_t>(index % RetrievalCalls::kChannelCount);
        host::copyPlaneRows(store.cell(kChannels[channel], index / RetrievalCalls::kChannelCount),
                            static_cast<std::size_t>(columns), plane.samples.data(),
                            static_cast<std::size_t>(plane.samples.count(0)),
                            static_cast<std::size_t>(columns), static_cast<std::size_t>(rows));
    }
    calls.takeTheRest();
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
        copyFrames(hostCalls, store, sizes.count);
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
