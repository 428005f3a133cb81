#include "tallowick/model/HostModel.h"

#include <cmath>
#include <utility>

namespace tallowick {

namespace {

constexpr Rgba kWhite{255, 255, 255, 255};

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
}

uint64_t bytesOf(const Document& document) {
    return MemoryBudget::framesBytes(document.frameCount(), document.width(), document.height());
}

uint64_t bytesOf(const RgbaFrame& frame) {
    return MemoryBudget::frameBytes(frame.width(), frame.height());
}

QString snapshotText(const RgbaFrame& frame) {
    return QStringLiteral("an undo snapshot of %1 x %2 pixels")
        .arg(frame.width())
        .arg(frame.height());
}

} // namespace

HostModel::HostModel(Document first, std::optional<RgbaFrame> brush, QString appDir,
                     QString wallpaperFileName, MemoryBudget budget, QObject* parent)
    : QObject(parent), budget_(budget), brush_(std::move(brush)), appDir_(std::move(appDir)),
      wallpaperFileName_(std::move(wallpaperFileName)) {
    budget_.charge(bytesOf(first), framesText(first.frameCount(), first.width(), first.height()));
    documents_.push_back(std::move(first));
}

HostModel::HostModel(Document first, std::optional<RgbaFrame> brush, QString appDir,
                     QString wallpaperFileName, QObject* parent)
    : HostModel(std::move(first), std::move(brush), std::move(appDir), std::move(wallpaperFileName),
                MemoryBudget::ofPhysicalMemory(), parent) {}

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
    const uint64_t bytes = bytesOf(document);
    const QString request = framesText(document.frameCount(), document.width(), document.height());
    makeRoom(bytes, request, kUndoLimit);
    budget_.charge(bytes, request);
    return appendDocument(std::move(document));
}

int HostModel::appendDocument(Document document) {
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
    // Read before the new document is appended, which may move the others.
    const int32_t width = documentAt(position).width();
    const int32_t height = documentAt(position).height();
    position = {createWhiteDocument(QStringLiteral("Animation %1").arg(documents_.size()),
                                    frameCount, width, height),
                0};
}

void HostModel::createStill(FramePosition& position, int32_t width, int32_t height) {
    position = {
        createWhiteDocument(QStringLiteral("Picture %1").arg(documents_.size()), 1, width, height),
        0};
}

int HostModel::createWhiteDocument(const QString& name, int32_t frameCount, int32_t width,
                                   int32_t height) {
    checkNewDocument(frameCount, width, height);
    // Charged before a byte is allocated, so a request beyond the budget
    // never touches the machine's memory.
    const uint64_t bytes = MemoryBudget::framesBytes(frameCount, width, height);
    const QString request = framesText(frameCount, width, height);
    makeRoom(bytes, request, kUndoLimit);
    budget_.charge(bytes, request);
    try {
        std::vector<RgbaFrame> frames;
        frames.reserve(static_cast<std::size_t>(frameCount));
        for (int32_t i = 0; i < frameCount; ++i)
            frames.emplace_back(width, height, kWhite);
        return appendDocument(Document(name, std::move(frames)));
    } catch (...) {
        budget_.release(bytes);
        throw;
    }
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

std::optional<HostModel::Snapshot> HostModel::makeRoom(uint64_t bytes, const QString& request,
                                                       std::size_t snapshotsKept) {
    budget_.checkFits(bytes, request);
    std::optional<Snapshot> dropped;
    while (!undo_.empty() && (undo_.size() > snapshotsKept || !budget_.fitsNow(bytes))) {
        budget_.releaseDroppable(bytesOf(undo_.front().planes));
        dropped = std::move(undo_.front());
        undo_.pop_front();
    }
    return dropped;
}

void HostModel::saveUndo(const FramePosition& position) {
    const RgbaFrame& frame = frameAt(position);
    const uint64_t bytes = bytesOf(frame);
    const QString request = snapshotText(frame);
    // The last snapshot dropped takes the new one in place when the sizes
    // agree, which saves a fresh allocation; one of another size would only
    // add to what the copy holds.
    std::optional<Snapshot> spare = makeRoom(bytes, request, kUndoLimit - 1);
    if (spare &&
        (spare->planes.width() != frame.width() || spare->planes.height() != frame.height()))
        spare.reset();
    budget_.chargeDroppable(bytes, request);
    try {
        if (spare) {
            spare->document = position.document;
            spare->frame = position.frame;
            spare->planes = frame;
            undo_.push_back(std::move(*spare));
        } else {
            undo_.push_back(Snapshot{position.document, position.frame, frame});
        }
    } catch (...) {
        budget_.releaseDroppable(bytes);
        throw;
    }
}

bool HostModel::undo() {
    if (undo_.empty())
        return false;
    Snapshot snapshot = std::move(undo_.back());
    undo_.pop_back();
    budget_.releaseDroppable(bytesOf(snapshot.planes));
    // Documents are never closed or resized, so the snapshot's frame still
    // exists with the snapshot's size, and the document's charge stands.
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
