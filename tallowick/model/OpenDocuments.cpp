#include "tallowick/model/OpenDocuments.h"

#include "tallowick/documents/MemoryBudget.h"
#include "tallowick/model/ModelError.h"
#include "tallowick/model/UndoHistory.h"

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

QString requestOf(const Document& document) {
    return framesText(document.frameCount(), document.width(), document.height());
}

} // namespace

OpenDocuments::OpenDocuments(Document first, MemoryBudget& budget, UndoHistory& history,
                             QObject* parent)
    : QObject(parent), budget_(budget), history_(history) {
    budget_.charge(bytesOf(first), requestOf(first));
    documents_.push_back(std::move(first));
    revisions_.push_back(0);
}

const Document& OpenDocuments::currentDocument() const {
    return documents_[static_cast<std::size_t>(currentDocument_)];
}

const RgbaFrame& OpenDocuments::currentFrame() const {
    return currentDocument().frame(currentFrame_);
}

const Document& OpenDocuments::documentAt(int index) const {
    if (index < 0 || index >= static_cast<int>(documents_.size()))
        throw ModelError(
            QStringLiteral("document %1 does not exist; the open documents are 0 to %2")
                .arg(index)
                .arg(documents_.size() - 1)
                .toStdString());
    return documents_[static_cast<std::size_t>(index)];
}

const Document& OpenDocuments::documentAt(const FramePosition& position) const {
    return documentAt(position.document);
}

const RgbaFrame& OpenDocuments::frameAt(const FramePosition& position) const {
    const Document& document = documentAt(position);
    if (position.frame < 0 || position.frame >= document.frameCount())
        throw ModelError(QStringLiteral("frame %1 does not exist; document %2 has frames 0 to %3")
                             .arg(position.frame)
                             .arg(position.document)
                             .arg(document.frameCount() - 1)
                             .toStdString());
    return document.frame(position.frame);
}

RgbaFrame& OpenDocuments::frameForWriting(const FramePosition& position) {
    // The documents are this object's own, so the checked read gives
    // writable access.
    return const_cast<RgbaFrame&>(std::as_const(*this).frameAt(position));
}

void OpenDocuments::madeChange(const FramePosition& position) {
    ++revisions_[static_cast<std::size_t>(position.document)];
    makeCurrent(position);
}

void OpenDocuments::makeCurrent(const FramePosition& position) {
    const bool documentChanged = position.document != currentDocument_;
    currentDocument_ = position.document;
    currentFrame_ = position.frame;
    if (documentChanged)
        emit documentsChanged();
    emit imageChanged();
}

void OpenDocuments::charge(uint64_t bytes, const QString& request) {
    history_.makeRoom(bytes, request);
    budget_.charge(bytes, request);
}

int OpenDocuments::add(Document document) {
    charge(bytesOf(document), requestOf(document));
    return append(std::move(document), 0);
}

int OpenDocuments::append(Document document, uint64_t revision) {
    revisions_.reserve(documents_.size() + 1);
    documents_.push_back(std::move(document));
    revisions_.push_back(revision);
    const int index = static_cast<int>(documents_.size()) - 1;
    currentDocument_ = index;
    currentFrame_ = 0;
    emit documentsChanged();
    emit imageChanged();
    return index;
}

ChangedDocuments OpenDocuments::snapshotChanged(const std::vector<uint64_t>& revisionsCopied) {
    ChangedDocuments changed{DocumentSnapshot(budget_), {}};
    for (std::size_t i = 0; i < documents_.size(); ++i) {
        const uint64_t copied = i < revisionsCopied.size() ? revisionsCopied[i] : 0;
        if (revisions_[i] == copied)
            continue;
        try {
            changed.snapshot.take(static_cast<int>(i), revisions_[i], documents_[i]);
        } catch (const MemoryBudgetError& error) {
            changed.leftOut.push_back(
                QStringLiteral("document %1 (\"%2\"): %3")
                    .arg(i)
                    .arg(documents_[i].name(), QString::fromStdString(error.what())));
        }
    }
    return changed;
}

void OpenDocuments::select(int index) {
    documentAt(index);
    if (index != currentDocument_)
        makeCurrent({index, 0});
}

void OpenDocuments::gotoFrame(FramePosition& position, int64_t index) {
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

void OpenDocuments::gotoFrame(int64_t index) {
    FramePosition position = currentPosition();
    gotoFrame(position, index);
}

void OpenDocuments::createAnimation(FramePosition& position, int32_t frameCount) {
    // Read before the new document is appended, which may move the others.
    const int32_t width = documentAt(position).width();
    const int32_t height = documentAt(position).height();
    position = {createWhite(QStringLiteral("Animation %1").arg(documents_.size()), frameCount,
                            width, height),
                0};
}

void OpenDocuments::createStill(FramePosition& position, int32_t width, int32_t height) {
    position = {createWhite(QStringLiteral("Picture %1").arg(documents_.size()), 1, width, height),
                0};
}

void OpenDocuments::createStill(int32_t width, int32_t height) {
    FramePosition position = currentPosition();
    createStill(position, width, height);
}

int OpenDocuments::createWhite(const QString& name, int32_t frameCount, int32_t width,
                               int32_t height) {
    checkNewDocument(frameCount, width, height);
    // Charged before a byte is allocated, so a request beyond the budget
    // never touches the machine's memory.
    const uint64_t bytes = MemoryBudget::framesBytes(frameCount, width, height);
    charge(bytes, framesText(frameCount, width, height));
    try {
        // The frames share one white picture until each is written: a new
        // animation is mostly overwritten plane by plane at once, so filling
        // every frame first would be fresh memory written twice.
        std::vector<RgbaFrame> frames;
        frames.reserve(static_cast<std::size_t>(frameCount));
        frames.emplace_back(width, height, kWhite);
        for (int32_t i = 1; i < frameCount; ++i)
            frames.push_back(frames.front().sharedCopy());
        return append(Document(name, std::move(frames)), 1);
    } catch (...) {
        budget_.release(bytes);
        throw;
    }
}

void OpenDocuments::replacePlane(const FramePosition& position, Channel channel,
                                 const host::ByteArray& plane) {
    frameForWriting(position).replacePlane(channel, plane);
    madeChange(position);
}

void OpenDocuments::restoreFrame(const FramePosition& position, RgbaFrame frame) {
    // Documents are never resized, so the frame still has the size it was
    // taken at, and the document's charge stands.
    frameForWriting(position) = std::move(frame);
    madeChange(position);
}

} // namespace tallowick
