#include "tallowick/documents/RecoveryCopy.h"

#include "platform/SystemError.h"
#include "tallowick/documents/Crc32.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tallowick {

namespace {

constexpr char kMark[8] = {'T', 'L', 'W', 'K', 'R', 'C', 'V', 'Y'};
constexpr uint32_t kVersion = 1;
// Names are cut to this many characters when written, so that a damaged
// length can never make the reader take more than a few kilobytes for one.
constexpr qsizetype kLongestNameCharacters = 1024;
constexpr uint32_t kLongestNameBytes = 4 * kLongestNameCharacters;
// Mark, version, width, height, frame count, time, name length.
constexpr qsizetype kFixedHeaderBytes = 8 + 4 + 4 + 4 + 4 + 8 + 4;
constexpr qsizetype kChecksumBytes = 4;

[[noreturn]] void refuse(const QString& path, const QString& reason) {
    throw RecoveryCopyError(QStringLiteral("%1: %2").arg(path, reason).toStdString());
}

template <typename T> void appendLittleEndian(QByteArray& out, T value) {
    const T stored = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&stored), sizeof stored);
}

template <typename T> T littleEndianAt(const QByteArray& bytes, qsizetype offset) {
    return qFromLittleEndian<T>(bytes.constData() + offset);
}

uint32_t checksumOf(const QByteArray& bytes) {
    return crc32(reinterpret_cast<const uint8_t*>(bytes.constData()),
                 static_cast<std::size_t>(bytes.size()));
}

QByteArray headerOf(const Document& document, const QDateTime& savedAt) {
    const QByteArray name = document.name().left(kLongestNameCharacters).toUtf8();
    QByteArray header(kMark, sizeof kMark);
    appendLittleEndian<uint32_t>(header, kVersion);
    appendLittleEndian<int32_t>(header, document.width());
    appendLittleEndian<int32_t>(header, document.height());
    appendLittleEndian<int32_t>(header, document.frameCount());
    appendLittleEndian<int64_t>(header, savedAt.toMSecsSinceEpoch());
    appendLittleEndian<uint32_t>(header, static_cast<uint32_t>(name.size()));
    header += name;
    appendLittleEndian<uint32_t>(header, checksumOf(header));
    return header;
}

void writeAll(QFile& file, const void* bytes, std::size_t size) {
    const auto length = static_cast<qint64>(size);
    if (file.write(static_cast<const char*>(bytes), length) != length)
        refuse(file.fileName(), QStringLiteral("cannot be written: %1").arg(file.errorString()));
}

void writeWhole(const Document& document, const QDateTime& savedAt, QFile& file) {
    const QByteArray header = headerOf(document, savedAt);
    writeAll(file, header.constData(), static_cast<std::size_t>(header.size()));
    uint32_t checksum = 0;
    for (const RgbaFrame& frame : document.frames())
        for (const Channel channel : kChannels) {
            const host::ByteArray& plane = frame.plane(channel);
            writeAll(file, plane.data(), plane.size());
            checksum = crc32Continued(checksum, plane.data(), plane.size());
        }
    QByteArray trailer;
    appendLittleEndian<uint32_t>(trailer, checksum);
    writeAll(file, trailer.constData(), static_cast<std::size_t>(trailer.size()));
    if (!file.flush() || ::fsync(file.handle()) != 0)
        refuse(file.fileName(),
               QStringLiteral("cannot be flushed to the disk: %1")
                   .arg(file.error() ? file.errorString() : platform::lastSystemError()));
}

// A rename is on the disk once its folder is.
void syncFolderOf(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    const QString reason = synced ? QString() : platform::lastSystemError();
    if (fd >= 0)
        ::close(fd);
    if (!synced)
        refuse(folder, QStringLiteral("the folder cannot be flushed to the disk: %1").arg(reason));
}

void readExactly(QFile& file, void* into, std::size_t size) {
    auto* bytes = static_cast<char*>(into);
    std::size_t done = 0;
    while (done < size) {
        const qint64 step = file.read(bytes + done, static_cast<qint64>(size - done));
        if (step <= 0)
            refuse(file.fileName(),
                   QStringLiteral("cannot be read: %1")
                       .arg(step < 0 ? file.errorString() : QStringLiteral("it ends early")));
        done += static_cast<std::size_t>(step);
    }
}

struct Header {
    RecoveryCopyFacts facts;
    qint64 bytes = 0;
};

// The header after its fixed part said how long the name is.
Header readHeader(QFile& file) {
    const QString path = file.fileName();
    QByteArray header(kFixedHeaderBytes, Qt::Uninitialized);
    if (file.size() < kFixedHeaderBytes + kChecksumBytes)
        refuse(path, QStringLiteral("not a recovery copy: it holds %1 bytes, fewer than any "
                                    "recovery copy's header")
                         .arg(file.size()));
    readExactly(file, header.data(), static_cast<std::size_t>(header.size()));
    if (std::memcmp(header.constData(), kMark, sizeof kMark) != 0)
        refuse(path, QStringLiteral("not a recovery copy: it does not start with the mark of one"));
    const auto version = littleEndianAt<uint32_t>(header, 8);
    if (version != kVersion)
        refuse(path, QStringLiteral("a recovery copy of format version %1, which this host "
                                    "cannot read (it reads version %2)")
                         .arg(version)
                         .arg(kVersion));
    const auto nameBytes = littleEndianAt<uint32_t>(header, 32);
    if (nameBytes > kLongestNameBytes)
        refuse(path, QStringLiteral("the header is damaged: a name of %1 bytes").arg(nameBytes));
    if (file.size() < kFixedHeaderBytes + nameBytes + kChecksumBytes)
        refuse(path, QStringLiteral("truncated: it ends inside its header"));
    QByteArray rest(static_cast<qsizetype>(nameBytes) + kChecksumBytes, Qt::Uninitialized);
    readExactly(file, rest.data(), static_cast<std::size_t>(rest.size()));
    header += rest.first(nameBytes);
    if (checksumOf(header) != littleEndianAt<uint32_t>(rest, nameBytes))
        refuse(path, QStringLiteral("the header is damaged: its checksum differs"));

    Header read;
    read.facts.width = littleEndianAt<int32_t>(header, 12);
    read.facts.height = littleEndianAt<int32_t>(header, 16);
    read.facts.frameCount = littleEndianAt<int32_t>(header, 20);
    read.facts.savedAt =
        QDateTime::fromMSecsSinceEpoch(littleEndianAt<int64_t>(header, 24), Qt::UTC);
    read.facts.documentName = QString::fromUtf8(header.sliced(kFixedHeaderBytes));
    read.bytes = header.size() + kChecksumBytes;
    return read;
}

// The file's size must be the header, the planes and their checksum, to the
// byte: a shorter file was cut, a longer one is not what was written.
void checkSize(const QFile& file, const Header& header) {
    const RecoveryCopyFacts& facts = header.facts;
    if (facts.width < 1 || facts.height < 1 || facts.frameCount < 1)
        refuse(file.fileName(), QStringLiteral("the header is damaged: %1")
                                    .arg(framesText(facts.frameCount, facts.width, facts.height)));
    const uint64_t planes = MemoryBudget::framesBytes(facts.frameCount, facts.width, facts.height);
    uint64_t expected = planes;
    if (planes == UINT64_MAX ||
        __builtin_add_overflow(expected, static_cast<uint64_t>(header.bytes + kChecksumBytes),
                               &expected))
        refuse(file.fileName(), QStringLiteral("the header is damaged: %1 cannot be held")
                                    .arg(framesText(facts.frameCount, facts.width, facts.height)));
    const auto size = static_cast<uint64_t>(file.size());
    if (size != expected)
        refuse(file.fileName(),
               QStringLiteral("%1: it holds %2 bytes where %3 need %4")
                   .arg(size < expected ? QStringLiteral("truncated") : QStringLiteral("too long"))
                   .arg(size)
                   .arg(framesText(facts.frameCount, facts.width, facts.height))
                   .arg(expected));
}

void openForReading(QFile& file) {
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        refuse(file.fileName(), QStringLiteral("cannot be read: %1").arg(file.errorString()));
}

std::vector<RgbaFrame> readFrames(QFile& file, const RecoveryCopyFacts& facts,
                                  const LoadProgress& progress) {
    uint32_t checksum = 0;
    std::vector<RgbaFrame> frames;
    frames.reserve(static_cast<std::size_t>(facts.frameCount));
    for (int32_t f = 0; f < facts.frameCount; ++f) {
        frames.push_back(RgbaFrame::filledBy(facts.width, facts.height,
                                             [&](Channel, uint8_t* samples, std::size_t size) {
                                                 readExactly(file, samples, size);
                                                 checksum = crc32Continued(checksum, samples, size);
                                             }));
        if (progress)
            progress(100.0 * (f + 1) / facts.frameCount);
    }
    QByteArray trailer(kChecksumBytes, Qt::Uninitialized);
    readExactly(file, trailer.data(), static_cast<std::size_t>(trailer.size()));
    if (littleEndianAt<uint32_t>(trailer, 0) != checksum)
        refuse(file.fileName(), QStringLiteral("damaged: the checksum of its frames differs"));
    return frames;
}

} // namespace

void writeRecoveryCopy(const Document& document, const QDateTime& savedAt, const QString& path) {
    QFile aside(path + QStringLiteral(".part"));
    if (!aside.open(QIODevice::WriteOnly | QIODevice::Truncate))
        refuse(aside.fileName(), QStringLiteral("cannot be written: %1").arg(aside.errorString()));
    try {
        writeWhole(document, savedAt, aside);
        aside.close();
        if (::rename(QFile::encodeName(aside.fileName()).constData(),
                     QFile::encodeName(path).constData()) != 0)
            refuse(path, QStringLiteral("cannot take the place of the copy before: %1")
                             .arg(platform::lastSystemError()));
    } catch (const RecoveryCopyError&) {
        aside.remove();
        throw;
    }
    syncFolderOf(path);
}

RecoveryCopyFacts readRecoveryFacts(const QString& path) {
    QFile file(path);
    openForReading(file);
    const Header header = readHeader(file);
    checkSize(file, header);
    return header.facts;
}

Document loadRecoveryCopy(const QString& path, const MemoryBudget& budget,
                          const LoadProgress& progress) {
    QFile file(path);
    openForReading(file);
    const Header header = readHeader(file);
    checkSize(file, header);
    const RecoveryCopyFacts& facts = header.facts;
    try {
        budget.checkFits(MemoryBudget::framesBytes(facts.frameCount, facts.width, facts.height),
                         framesText(facts.frameCount, facts.width, facts.height));
        return Document(facts.documentName, readFrames(file, facts, progress));
    } catch (const MemoryBudgetError& error) {
        refuse(path, QString::fromStdString(error.what()));
    } catch (const FrameError& error) {
        refuse(path, QString::fromStdString(error.what()));
    } catch (const host::ByteArrayError& error) {
        refuse(path, QString::fromStdString(error.what()));
    }
}

} // namespace tallowick
