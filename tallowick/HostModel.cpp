#include "tallowick/HostModel.h"

#include <cmath>
#include <unistd.h>
#include <utility>

namespace tallowick {

namespace {

constexpr Rgba kWhite{255, 255, 255, 255};

// The host allows itself half the machine's memory for one new document, so
// that an absurd frame count or size is refused instead of swapping the
// machine to a halt.
uint64_t memoryBudget() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return UINT64_MAX;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) / 2;
}

void checkNewDocument(int32_t frames, int32_t width, int32_t height) {
    if (frames < 1)
        throw ModelError(QStringLiteral("a frame count of %1 is not allowed; it must be at least 1")
                             .arg(frames)
                             .toStdString());
    if (width < 1 || height < 1)
        throw ModelError(QStringLiteral("a size of %1 x %2 pixels is not allowed; width and height "
                                        "must be at least 1")
                             .arg(width)
                             .arg(height)
                             .toStdString());
    // Four planes of (W + 1) x (H + 1) bytes per frame.
    uint64_t bytes = 4;
    const bool overflow =
        __builtin_mul_overflow(bytes, static_cast<uint64_t>(width) + 1, &bytes) ||
        __builtin_mul_overflow(bytes, static_cast<uint64_t>(height) + 1, &bytes) ||
        __builtin_mul_overflow(bytes, static_cast<uint64_t>(frames), &bytes);
    const uint64_t budget = memoryBudget();
    if (overflow || bytes > budget)
        throw ModelError(QStringLiteral("%1 frames of %2 x %3 pixels need more than the %4 MiB "
                                        "this host allows for one document")
                             .arg(frames)
                             .arg(width)
                             .arg(height)
                             .arg(budget >> 20)
                             .toStdString());
}

} // namespace

HostModel::HostModel(Document first, std::optional<RgbaFrame> brush, QString appDir,
                     QString wallpaperFileName, QObject* parent)
    : QObject(parent), brush_(std::move(brush)), appDir_(std::move(appDir)),
      wallpaperFileName_(std::move(wallpaperFileName)) {
    documents_.push_back(std::move(first));
}

const Document& HostModel::currentDocument() const {
    return documents_[static_cast<std::size_t>(currentDocument_)];
}

const RgbaFrame& HostModel::currentFrame() const {
    return currentDocument().frame(currentFrame_);
}

const Document& HostModel::documentAt(const FramePosition& position) const {
    if (position.document < 0 || position.document >= static_cast<int>(documents_.size()))
        throw ModelError(
            QStringLiteral("document %1 does not exist; the open documents are 0 to %2")
                .arg(position.document)
                .arg(documents_.size() - 1)
                .toStdString());
    return documents_[static_cast<std::size_t>(position.document)];
}

const RgbaFrame& HostModel::frameAt(const FramePosition& position) const {
    const Document& document = documentAt(position);
    if (position.frame < 0 || position.frame >= document.frameCount())
        throw ModelError(QStringLiteral("frame %1 does not exist; document %2 has frames 0 to %3")
                             .arg(position.frame)
                             .arg(position.document)
                             .arg(document.frameCount() - 1)
                             .toStdString());
    return document.frame(position.frame);
}

RgbaFrame& HostModel::frameForWriting(const FramePosition& position) {
    // The model owns its documents, so the checked read gives writable access.
    return const_cast<RgbaFrame&>(std::as_const(*this).frameAt(position));
}

void HostModel::makeCurrent(const FramePosition& position) {
    makeCurrent(position.document, position.frame);
}

void HostModel::makeCurrent(int document, int frame) {
    const bool documentChanged = document != currentDocument_;
    currentDocument_ = document;
    currentFrame_ = frame;
    if (documentChanged)
        emit documentsChanged();
    emit imageChanged();
}

int HostModel::addDocument(Document document) {
    documents_.push_back(std::move(document));
    const int index = static_cast<int>(documents_.size()) - 1;
    currentDocument_ = index;
    currentFrame_ = 0;
    emit documentsChanged();
    emit imageChanged();
    return index;
}

void HostModel::selectDocument(int index) {
    if (index < 0 || index >= static_cast<int>(documents_.size()))
        throw ModelError(
            QStringLiteral("document %1 does not exist; the open documents are 0 to %2")
                .arg(index)
                .arg(documents_.size() - 1)
                .toStdString());
    if (index != currentDocument_)
        makeCurrent(index, 0);
}

void HostModel::gotoFrame(FramePosition& position, int64_t index) {
    const int count = documentAt(position).frameCount();
    if (index < 0 || index >= count)
        throw ModelError(QStringLiteral("frame %1 is out of range; the current document has frames "
                                        "0 to %2")
                             .arg(index)
                             .arg(count - 1)
                             .toStdString());
    position.frame = static_cast<int>(index);
    // A program's goto shows in the host window even when the program was
    // already there, since the window may have moved on since.
    if (position != currentPosition())
        makeCurrent(position);
}

void HostModel::gotoFrame(int64_t index) {
    FramePosition position = currentPosition();
    gotoFrame(position, index);
}

void HostModel::createAnimation(FramePosition& position, int32_t frameCount) {
    const int32_t width = documentAt(position).width();
    const int32_t height = documentAt(position).height();
    checkNewDocument(frameCount, width, height);
    std::vector<RgbaFrame> frames;
    frames.reserve(static_cast<std::size_t>(frameCount));
    for (int32_t i = 0; i < frameCount; ++i)
        frames.emplace_back(width, height, kWhite);
    position = {addDocument(Document(QStringLiteral("Animation %1").arg(documents_.size()),
                                     std::move(frames))),
                0};
}

void HostModel::createStill(FramePosition& position, int32_t width, int32_t height) {
    checkNewDocument(1, width, height);
    std::vector<RgbaFrame> frames;
    frames.emplace_back(width, height, kWhite);
    position = {addDocument(Document(QStringLiteral("Picture %1").arg(documents_.size()),
                                     std::move(frames))),
                0};
}

void HostModel::createStill(int32_t width, int32_t height) {
    FramePosition position = currentPosition();
    createStill(position, width, height);
}

void HostModel::replacePlane(const FramePosition& position, Channel channel,
                             const host::ByteArray& plane) {
    frameForWriting(position).replacePlane(channel, plane);
    makeCurrent(position);
}

void HostModel::setBrush(std::optional<RgbaFrame> brush) {
    brush_ = std::move(brush);
    emit brushChanged();
}

void HostModel::setPrimaryColour(Rgb colour) {
    primary_ = colour;
    emit coloursChanged();
}

void HostModel::setSecondaryColour(Rgb colour) {
    secondary_ = colour;
    emit coloursChanged();
}

void HostModel::saveUndo(const FramePosition& position) {
    const RgbaFrame& frame = frameAt(position);
    if (undo_.size() < kUndoLimit) {
        undo_.push_back(Snapshot{position.document, position.frame, frame});
        return;
    }
    // The history is full: the oldest snapshot makes room, and its planes
    // take the new one in place when the sizes agree.
    Snapshot recycled = std::move(undo_.front());
    undo_.pop_front();
    recycled.document = position.document;
    recycled.frame = position.frame;
    recycled.planes = frame;
    undo_.push_back(std::move(recycled));
}

bool HostModel::undo() {
    if (undo_.empty())
        return false;
    Snapshot snapshot = std::move(undo_.back());
    undo_.pop_back();
    // Documents are never closed or resized, so the snapshot's frame still
    // exists with the snapshot's size.
    documents_[static_cast<std::size_t>(snapshot.document)].frame(snapshot.frame) =
        std::move(snapshot.planes);
    makeCurrent(snapshot.document, snapshot.frame);
    return true;
}

void HostModel::initMarquee(const FramePosition& position) {
    const RgbaFrame& frame = frameAt(position);
    const uint8_t* row = frame.samples(Channel::Alpha);
    const std::size_t stride = frame.stride();
    const int32_t width = frame.width();
    int64_t count = 0;
    for (int32_t y = 0; y < frame.height(); ++y, row += stride) {
        // A narrow counter per row lets the loop run on whole vectors of
        // bytes; a row holds fewer than 2^31 of them.
        uint32_t inRow = 0;
        for (int32_t x = 0; x < width; ++x)
            inRow += row[x] != 0 ? 1u : 0u;
        count += inRow;
    }
    marqueePixels_ = count;
}

void HostModel::switchAlphaOn() {
    alphaOn_ = true;
    emit imageChanged();
}

void HostModel::requestRefresh() {
    emit imageChanged();
}

void HostModel::openProgress(const QString& caption) {
    progress_.open = true;
    progress_.caption = caption;
    emit progressChanged();
}

void HostModel::setProgressPercent(double percent) {
    if (!(percent >= 0.0 && percent <= 100.0))
        throw ModelError(
            QStringLiteral("a progress of %1 percent is not allowed; it must be 0 to 100")
                .arg(percent)
                .toStdString());
    progress_.percent = percent;
    emit progressChanged();
}

void HostModel::closeProgress() {
    progress_ = ProgressState{};
    emit progressChanged();
}

void HostModel::holdWindow(const host::ObjectRef& window) {
    for (const host::ObjectRef& held : windows_)
        if (held == window)
            return;
    windows_.push_back(window);
}

void HostModel::releaseWindowsOf(const QString& busName) {
    std::erase_if(windows_,
                  [&](const host::ObjectRef& window) { return window.service == busName; });
}

} // namespace tallowick
