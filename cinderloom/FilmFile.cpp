#include "cinderloom/FilmFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace cinderloom {
namespace {

[[noreturn]] void fail(const char* doing, const QString& path, const QString& reason) {
    throw FilmFileError(QStringLiteral("Cannot %1 the film file \u201c%2\u201d: %3.")
                            .arg(QLatin1String(doing), path, reason)
                            .toStdString());
}

QString tooLarge(int64_t size) {
    return QStringLiteral("it holds %1 bytes, more than the %2 MiB a film file may have")
        .arg(size)
        .arg(kMaxFilmFileBytes >> 20);
}

QByteArray readBounded(const QString& path) {
    if (QFileInfo(path).isDir())
        fail("open", path, QStringLiteral("it is a folder"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        fail("open", path, file.errorString());
    if (file.size() > kMaxFilmFileBytes)
        fail("open", path, tooLarge(file.size()));
    // A file still growing could pass the size check; reading one byte past
    // the bound notices it.
    QByteArray text = file.read(kMaxFilmFileBytes + 1);
    if (text.size() > kMaxFilmFileBytes)
        fail("open", path, tooLarge(text.size()));
    if (file.error() != QFileDevice::NoError)
        fail("open", path, file.errorString());
    return text;
}

} // namespace

XdtsReading openFilmFile(const QString& path, int64_t cellCount) {
    const QByteArray text = readBounded(path);
    try {
        return readXdts(text, cellCount);
    } catch (const XdtsError& error) {
        fail("open", path, QString::fromUtf8(error.what()));
    }
}

void saveFilmFile(const QString& path, const Film& film, int64_t cellCount) {
    QByteArray text;
    try {
        text = writeXdts(film, cellCount, QFileInfo(path).completeBaseName());
    } catch (const XdtsError& error) {
        fail("save", path, QString::fromUtf8(error.what()));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail("save", path, file.errorString());
    if (file.write(text) != text.size())
        fail("save", path, file.errorString());
    if (!file.commit())
        fail("save", path, file.errorString());
}

} // namespace cinderloom
