#include "tallowick/documents/DocumentSaving.h"

#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryFile>
#include <filesystem>
#include <system_error>

namespace tallowick {

namespace {

// Creates `folder` and its parents. The reason, when it cannot, is the
// system's: QDir::mkpath would only say that it failed.
void createFolder(const QString& folder) {
    std::error_code error;
    std::filesystem::create_directories(
        std::filesystem::path(QFile::encodeName(folder).toStdString()), error);
    if (error)
        throw SaveError(QStringLiteral("%1: the folder cannot be created: %2")
                            .arg(folder, QString::fromLocal8Bit(error.message()))
                            .toStdString());
}

// Writes the frames of one document into DIR/docN; the first frame that
// cannot be written ends it.
void saveDocument(const Document& document, const QString& dir, int index,
                  const std::function<void()>& frameDone) {
    createFolder(QDir(dir).filePath(QStringLiteral("doc%1").arg(index)));
    for (int f = 0; f < document.frameCount(); ++f) {
        const QString path = savedFramePath(dir, index, f);
        QImageWriter writer(path, "png");
        if (!writer.write(document.frame(f).toImage()))
            throw SaveError(QStringLiteral("%1: cannot be written: %2")
                                .arg(path, writer.errorString())
                                .toStdString());
        frameDone();
    }
}

} // namespace

QString savedFramePath(const QString& dir, int document, int frame) {
    return QDir(dir).filePath(
        QStringLiteral("doc%1/frame%2.png").arg(document).arg(frame, 4, 10, QLatin1Char('0')));
}

void prepareSaveFolder(const QString& dir) {
    createFolder(dir);
    // Permission bits do not tell (the owner may be root, the file system
    // read-only): writing a file does.
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".tallowick-write-check-XXXXXX")));
    if (!probe.open())
        throw SaveError(QStringLiteral("%1: no file can be written in the folder: %2")
                            .arg(dir, probe.errorString())
                            .toStdString());
}

void saveDocuments(const std::vector<Document>& documents, const QString& dir,
                   const std::function<void(double percent)>& progress) {
    std::size_t total = 0;
    for (const Document& document : documents)
        total += document.frames().size();
    std::size_t done = 0;
    const auto report = [&] {
        if (progress)
            progress(100.0 * static_cast<double>(done) / static_cast<double>(total));
    };

    std::vector<int> unsaved;
    QStringList failures;
    for (std::size_t d = 0; d < documents.size(); ++d) {
        const Document& document = documents[d];
        const std::size_t doneBefore = done;
        try {
            saveDocument(document, dir, static_cast<int>(d), [&] {
                ++done;
                report();
            });
        } catch (const SaveError& error) {
            unsaved.push_back(static_cast<int>(d));
            failures << QStringLiteral("doc%1 (\"%2\"): %3")
                            .arg(d)
                            .arg(document.name(), QString::fromStdString(error.what()));
            // The frames left out still count, so that the progress ends
            // at 100 like every other run.
            done = doneBefore + document.frames().size();
            report();
        }
    }
    if (unsaved.empty())
        return;
    const QString message = QStringLiteral("%1 of %2 documents were not saved under %3: %4")
                                .arg(unsaved.size())
                                .arg(documents.size())
                                .arg(dir, failures.join(QStringLiteral("; ")));
    throw SaveError(message.toStdString(), std::move(unsaved));
}

} // namespace tallowick
