#include "fuzz/support/ScratchFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

namespace {

QString* g_folder = nullptr;

void removeFolder() {
    QDir(*g_folder).removeRecursively();
}

} // namespace

const QString& scratchFolder() {
    if (!g_folder) {
        QByteArray pattern("/dev/shm/tallowick-fuzz-XXXXXX");
        if (!::mkdtemp(pattern.data())) {
            std::perror("fuzz: no scratch folder in /dev/shm");
            std::exit(1);
        }
        g_folder = new QString(QFile::decodeName(pattern));
        std::atexit(removeFolder);
    }
    return *g_folder;
}

QString writeScratchFile(const QString& name, const QByteArray& bytes) {
    const QString path = QDir(scratchFolder()).filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "fuzz: %s cannot be written\n", qPrintable(path));
        std::exit(1);
    }
    return path;
}

} // namespace fuzz
