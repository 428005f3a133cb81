#include "cinderloom/Module1.h"

#include "automation/PlaneShape.h"
#include "automation/ResultConversions.h"
#include "cinderloom/CLOptions.h"
#include "cinderloom/Cinderloom.h"
#include "maker/binding/MakerLibraries.h"
#include "platform/Hourglass.h"
#include "platform/MessageBox.h"
#include "plugin/WindowHandover.h"

#include <QDir>
#include <array>
#include <cstring>
#include <new>

namespace cinderloom {
namespace {

constexpr int16_t kGotoFrameMode = 3;

// Progress reports are cosmetic: a host that cannot show them must not stop
// the work they report on.
void callIgnoringFailure(host::AutomationObject& hostObject, const QString& method,
                         const std::vector<host::Variant>& args) {
    try {
        hostObject.Invoke(method, args);
    } catch (const std::exception&) {
    }
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

} // namespace

Module1::Module1(plugin::WindowHandover& handover) : handover_(handover) {}

Module1::~Module1() {
    if (mainWindow_)
        handover_.withdraw(*mainWindow_);
    if (optionsDialog_)
        handover_.withdraw(*optionsDialog_);
}

host::AutomationObject& Module1::hostObject() const {
    if (!hostObject_)
        throw std::logic_error("The host object is used before the start-up created it.");
    return *hostObject_;
}

void Module1::startUp(const HostObjectFactory& createHostObject) {
    hostObject_ = createHostObject();
    enterHostApplicationDirectory();
    // The filter library is named by its bare file name: its first call binds
    // it, and from the host's directory that finds the host's copy.
    const std::array<float, 3> origin{0.0f, 0.0f, 0.0f};
    maker::noise3(origin.data());
    RetrieveFrames();
    if (!optionsDialog_)
        optionsDialog_ = std::make_unique<CLOptions>(*this);
    sendFormObject(*optionsDialog_);
    optionsDialog_->show();
}

void Module1::enterHostApplicationDirectory() {
    try {
        const host::Variant appDir = hostObject().Invoke(QStringLiteral("Tal_GetAppDir"));
        if (const QString* path = std::get_if<QString>(&appDir))
            QDir::setCurrent(*path);
    } catch (const std::exception&) {
        // Start-up goes on in the directory it was started in.
    }
}

void Module1::sendFormObject(host::AutomationObject& window) {
    hostObject().Invoke(QStringLiteral("Tal_SendFormObject"),
                        {handover_.handOver(window), int16_t{0}});
}

void Module1::RetrieveFrames() {
    host::AutomationObject& hostCalls = hostObject();
    width = host::resultToSize(QStringLiteral("tal_BufferWidth"),
                               hostCalls.Invoke(QStringLiteral("tal_BufferWidth")));
    height = host::resultToSize(QStringLiteral("tal_BufferHeight"),
                                hostCalls.Invoke(QStringLiteral("tal_BufferHeight")));
    cellCount = host::resultToSize(QStringLiteral("tal_GetTotalFrames"),
                                   hostCalls.Invoke(QStringLiteral("tal_GetTotalFrames")));

    const platform::HourglassGuard hourglass;
    try {
        hostCalls.Invoke(QStringLiteral("tal_StatusOpen"),
                         {QStringLiteral("Retrieving frames...")});
        hostCalls.Invoke(QStringLiteral("tal_Status"), {int16_t{0}});
    } catch (const std::exception&) {
    }

    if (cellCount < 2) {
        platform::showMessageBox(QStringLiteral("No animation"));
        hostCalls.Invoke(QStringLiteral("tal_StatusClose"));
        return;
    }

    // Every sample is written below, so a store of the same shape is simply
    // overwritten. Otherwise the old cells go first, so that old and new
    // never have to fit in memory together.
    const int64_t columns = int64_t{width} + 1;
    const int64_t rows = int64_t{height} + 1;
    if (!cells.hasExtents(columns, rows, cellCount)) {
        cells = CellStore();
        cells = storeFor(columns, rows, cellCount);
    }
    const double percentPerFrame = 100.0 / cellCount;
    for (int32_t frame = 0; frame < cellCount; ++frame) {
        copyFrame(frame);
        callIgnoringFailure(hostCalls, QStringLiteral("tal_Status"), {percentPerFrame * frame});
    }

    hostCalls.Invoke(QStringLiteral("Tal_GotoFrame"), {int16_t{0}});
    hostCalls.Invoke(QStringLiteral("tal_StatusClose"));
}

CellStore Module1::storeFor(int64_t columns, int64_t rows, int32_t frames) const {
    // The sizes came from three calls; a store they make too large to hold
    // is reported as their result, not as a failure of its own.
    const auto tooLarge = [&](const QString& reason) {
        return CellStoreError(
            QStringLiteral("tal_BufferWidth, tal_BufferHeight and tal_GetTotalFrames gave %1 "
                           "frames of %2 x %3 pixels, which cannot be held: %4")
                .arg(frames)
                .arg(width)
                .arg(height)
                .arg(reason)
                .toStdString());
    };
    try {
        return CellStore(columns, rows, frames);
    } catch (const CellStoreError& error) {
        throw tooLarge(QString::fromUtf8(error.what()));
    } catch (const std::bad_alloc&) {
        throw tooLarge(QStringLiteral("out of memory"));
    }
}

void Module1::copyFrame(int32_t frame) {
    host::AutomationObject& hostCalls = hostObject();
    hostCalls.Invoke(QStringLiteral("Tal_GotoFrameAdv"), {frame, kGotoFrameMode});

    static const std::array<QString, 3> methods{QStringLiteral("tal_GetRbuffer"),
                                                QStringLiteral("tal_GetGbuffer"),
                                                QStringLiteral("Tal_GetBbuffer")};
    std::array<host::ByteArray, 3> planes;
    for (std::size_t channel = 0; channel < planes.size(); ++channel)
        planes[channel] = host::resultToPlane(methods[channel], hostCalls.Invoke(methods[channel]));

    const int64_t columns = cells.columns();
    const int64_t rows = cells.rows();
    const auto rowBytes = static_cast<std::size_t>(columns);
    for (std::size_t channel = 0; channel < planes.size(); ++channel) {
        const host::ByteArray& plane = planes[channel];
        checkCoversFrame(methods[channel], plane, columns, rows);
        uint8_t* target = cells.cell(kChannels[channel], frame);
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

void Module1::createFilm(int32_t length) {
    if (length < 0)
        throw std::length_error("A film cannot have a negative number of frames.");
    std::vector<int16_t> emptyFilm(static_cast<std::size_t>(length), int16_t{-1});
    film = std::move(emptyFilm);
    filmLength = length;
}

void Module1::showMainWindow() {
    if (!mainWindow_) {
        mainWindow_ = std::make_unique<Cinderloom>(*this);
        mainWindow_->Form_Load();
    }
    sendFormObject(*mainWindow_);
    mainWindow_->show();
}

void Module1::retireOptionsDialog() {
    if (!optionsDialog_)
        return;
    handover_.withdraw(*optionsDialog_);
    optionsDialog_->hide();
}

} // namespace cinderloom
