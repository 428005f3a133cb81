#include "tallowick/documents/PictureLoading.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>
#include <algorithm>
#include <vector>

namespace tallowick {

namespace {

[[noreturn]] void refuse(const QString& path, const QString& reason) {
    throw PictureError(QStringLiteral("%1: %2").arg(path, reason).toStdString());
}

void checkIsFile(const QString& path) {
    if (!QFileInfo(path).isFile())
        refuse(path, QStringLiteral("no such file"));
}

QImage readOrRefuse(QImageReader& reader, const QString& path) {
    const QImage image = reader.read();
    if (image.isNull())
        refuse(path, QStringLiteral("cannot be read as a picture: %1").arg(reader.errorString()));
    return image;
}

QImage readFirst(const QString& path) {
    checkIsFile(path);
    QImageReader reader(path);
    return readOrRefuse(reader, path);
}

RgbaFrame frameOf(const QString& path, const QImage& image) {
    try {
        return RgbaFrame::fromImage(image);
    } catch (const std::exception& error) {
        refuse(path, QString::fromStdString(error.what()));
    }
}

// Refuses, naming the file, `count` frames of `size` that would not fit in
// what the budget has left; `moreMayFollow` where the picture does not tell
// its frame count, so `count` is only how many have come so far.
void checkWithinBudget(const MemoryBudget& budget, const QString& path, int64_t count, QSize size,
                       bool moreMayFollow = false) {
    QString request = framesText(count, size.width(), size.height());
    if (moreMayFollow)
        request.prepend(QStringLiteral("at least "));
    try {
        budget.checkFits(MemoryBudget::framesBytes(count, size.width(), size.height()), request);
    } catch (const MemoryBudgetError& error) {
        refuse(path, QString::fromStdString(error.what()));
    }
}

QSize sizeOf(const RgbaFrame& frame) {
    return QSize(frame.width(), frame.height());
}

void checkSameSize(const QString& path, const RgbaFrame& frame, const RgbaFrame& first) {
    if (frame.width() != first.width() || frame.height() != first.height())
        refuse(path, QStringLiteral("a frame of %1 x %2 pixels differs from the first frame's %3 x "
                                    "%4; all frames must have one size")
                         .arg(frame.width())
                         .arg(frame.height())
                         .arg(first.width())
                         .arg(first.height()));
}

std::vector<RgbaFrame> framesOfFolder(const QString& folder, const MemoryBudget& budget,
                                      const LoadProgress& progress) {
    QSet<QString> suffixes;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        suffixes.insert(QString::fromLatin1(format).toLower());
    const QDir dir(folder);
    QStringList names;
    for (const QString& name : dir.entryList(QDir::Files, QDir::NoSort))
        if (suffixes.contains(QFileInfo(name).suffix().toLower()))
            names << name;
    if (names.isEmpty())
        refuse(folder, QStringLiteral("the folder holds no picture files"));
    std::sort(names.begin(), names.end());

    // Every frame has the first one's size, which most formats tell without
    // decoding.
    const QSize declared = QImageReader(dir.filePath(names.front())).size();
    if (declared.isValid())
        checkWithinBudget(budget, folder, names.size(), declared);
    std::vector<RgbaFrame> frames;
    frames.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        frames.push_back(frameOf(path, readFirst(path)));
        if (frames.size() == 1)
            checkWithinBudget(budget, folder, names.size(), sizeOf(frames.front()));
        checkSameSize(path, frames.back(), frames.front());
        if (progress)
            progress(100.0 * static_cast<double>(frames.size()) /
                     static_cast<double>(names.size()));
    }
    return frames;
}

std::vector<RgbaFrame> framesOfFile(const QString& path, const MemoryBudget& budget,
                                    const LoadProgress& progress) {
    checkIsFile(path);
    QImageReader reader(path);
    // 0 or less when the format cannot tell without reading everything.
    const int count = reader.imageCount();
    // A few kilobytes of file can describe hundreds of frames on a large
    // screen, so the budget is asked before the first frame is expanded.
    const QSize declared = reader.size();
    if (count > 0 && declared.isValid())
        checkWithinBudget(budget, path, count, declared);
    std::vector<RgbaFrame> frames;
    frames.push_back(frameOf(path, readOrRefuse(reader, path)));
    const QSize size = sizeOf(frames.front());
    checkWithinBudget(budget, path, std::max(count, 1), size, count <= 0);
    // Formats step through their images differently: some move on with
    // every read, others only on jumpToNextImage. Both are tried, and a read
    // that does not reach a new image ends the walk, so a format that keeps
    // answering with its last image cannot loop.
    while (count <= 0 || static_cast<int>(frames.size()) < count) {
        const int last = reader.currentImageNumber();
        if (!reader.jumpToNextImage() && !reader.canRead())
            break;
        const QImage image = reader.read();
        if (image.isNull() && count > 0)
            refuse(path, QStringLiteral("frame %1 of %2 cannot be read: %3")
                             .arg(frames.size())
                             .arg(count)
                             .arg(reader.errorString()));
        if (image.isNull() || reader.currentImageNumber() <= last)
            break;
        if (count <= 0)
            checkWithinBudget(budget, path, static_cast<int64_t>(frames.size()) + 1, size, true);
        frames.push_back(frameOf(path, image));
        checkSameSize(path, frames.back(), frames.front());
        if (progress && count > 0)
            progress(100.0 * static_cast<double>(frames.size()) / count);
    }
    return frames;
}

} // namespace

Document loadAnimation(const QString& path, const MemoryBudget& budget,
                       const LoadProgress& progress) {
    const QFileInfo info(path);
    if (!info.exists())
        refuse(path, QStringLiteral("no such file or folder"));
    std::vector<RgbaFrame> frames = info.isDir() ? framesOfFolder(path, budget, progress)
                                                 : framesOfFile(path, budget, progress);
    return Document(info.fileName(), std::move(frames));
}

Document loadStill(const QString& path, const MemoryBudget& budget) {
    checkIsFile(path);
    QImageReader reader(path);
    const QSize declared = reader.size();
    if (declared.isValid())
        checkWithinBudget(budget, path, 1, declared);
    const QImage image = readOrRefuse(reader, path);
    checkWithinBudget(budget, path, 1, image.size());
    std::vector<RgbaFrame> frames;
    frames.push_back(frameOf(path, image));
    return Document(QFileInfo(path).fileName(), std::move(frames));
}

Document loadAnimation(const QString& path, const LoadProgress& progress) {
    return loadAnimation(path, MemoryBudget::ofPhysicalMemory(), progress);
}

Document loadStill(const QString& path) {
    return loadStill(path, MemoryBudget::ofPhysicalMemory());
}

RgbaFrame loadBrush(const QString& path) {
    return frameOf(path, readFirst(path));
}

void checkPictureReadable(const QString& path) {
    readFirst(path);
}

} // namespace tallowick
