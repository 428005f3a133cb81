#include "tallowick/DocumentSaving.h"

#include <QDir>
#include <QImageWriter>

namespace tallowick {

QString savedFramePath(const QString& dir, int document, int frame) {
    return QDir(dir).filePath(
        QStringLiteral("doc%1/frame%2.png").arg(document).arg(frame, 4, 10, QLatin1Char('0')));
}

void saveDocuments(const std::vector<Document>& documents, const QString& dir,
                   const std::function<void(double percent)>& progress) {
    std::size_t total = 0;
    for (const Document& document : documents)
        total += document.frames().size();
    std::size_t done = 0;
    for (std::size_t d = 0; d < documents.size(); ++d) {
        const QString folder = QDir(dir).filePath(QStringLiteral("doc%1").arg(d));
        if (!QDir().mkpath(folder))
            throw SaveError(
                QStringLiteral("%1: the folder cannot be created").arg(folder).toStdString());
        const Document& document = documents[d];
        for (int f = 0; f < document.frameCount(); ++f) {
            const QString path = savedFramePath(dir, static_cast<int>(d), f);
            QImageWriter writer(path, "png");
            if (!writer.write(document.frame(f).toImage()))
                throw SaveError(QStringLiteral("%1: cannot be written: %2")
                                    .arg(path, writer.errorString())
                                    .toStdString());
            ++done;
            if (progress)
                progress(100.0 * static_cast<double>(done) / static_cast<double>(total));
        }
    }
}

} // namespace tallowick
