#include "tallowick/recovery/AbandonedWork.h"

#include "platform/SystemError.h"
#include "tallowick/documents/MemoryBudget.h"
#include "tallowick/model/OpenDocuments.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace tallowick {

namespace {

QString documentsText(int count) {
    return count == 1 ? QStringLiteral("1 document") : QStringLiteral("%1 documents").arg(count);
}

QString copyLine(const RecoveryCopyFacts& facts) {
    return QStringLiteral("%1: %2, copied %3")
        .arg(facts.documentName, framesText(facts.frameCount, facts.width, facts.height),
             facts.savedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

int64_t framesIn(const std::vector<AbandonedFolder>& folders) {
    int64_t frames = 0;
    for (const AbandonedFolder& folder : folders)
        for (const FoundCopy& copy : folder.copies())
            if (copy.facts)
                frames += copy.facts->frameCount;
    return frames;
}

// Moves a reopened document's copy into this host's folder under the
// document's new index; the reason when it cannot.
QString adoptCopy(const QString& from, OwnRecoveryFolder& own, int index) {
    try {
        const QString to = QDir(own.ensureMade()).filePath(recoveryCopyName(index));
        if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) !=
            0)
            return QStringLiteral("%1: reopened, but cannot be moved to %2: %3")
                .arg(from, to, platform::lastSystemError());
    } catch (const RecoveryFolderError& error) {
        return QStringLiteral("%1: reopened, but cannot be moved: %2")
            .arg(from, QString::fromStdString(error.what()));
    }
    return {};
}

} // namespace

QString keptWorkLine(const AbandonedFolder& folder) {
    const int copies = static_cast<int>(folder.copies().size());
    const int damaged = folder.damagedCount();
    const QString damage =
        damaged == 0 ? QString() : QStringLiteral(", %1 of them damaged,").arg(damaged);
    return QStringLiteral("recovery copies of %1%2 from a host that did not end cleanly are kept "
                          "in %3; start tallowick with a window to reopen them")
        .arg(documentsText(copies), damage, folder.path());
}

QString recoveryQuestion(const std::vector<AbandonedFolder>& folders) {
    QStringList lines;
    lines << QStringLiteral("Tallowick did not end cleanly last time, and kept recovery copies "
                            "of its work:")
          << QString();
    for (const AbandonedFolder& folder : folders)
        for (const FoundCopy& copy : folder.copies())
            lines << QStringLiteral("    ") + (copy.facts ? copyLine(*copy.facts)
                                                          : QStringLiteral("damaged, cannot be "
                                                                           "reopened: ") +
                                                                copy.damage);
    lines << QString()
          << QStringLiteral("Reopen them as new documents? Yes reopens them, No discards them, "
                            "Cancel keeps them for the next start.");
    return lines.join(QLatin1Char('\n'));
}

QString recoveredName(const QString& name) {
    return QStringLiteral("%1 (recovered)").arg(name);
}

std::vector<QString> reopenAbandonedWork(std::vector<AbandonedFolder>& folders,
                                         OpenDocuments& documents, const MemoryBudget& budget,
                                         OwnRecoveryFolder& own, const LoadProgress& progress) {
    const int64_t total = framesIn(folders);
    int64_t framesDone = 0;
    std::vector<QString> problems;
    for (AbandonedFolder& folder : folders) {
        int left = folder.damagedCount();
        for (const FoundCopy& copy : folder.copies()) {
            if (!copy.facts) {
                problems.push_back(copy.damage);
                continue;
            }
            try {
                Document document = loadRecoveryCopy(copy.path, budget, [&](double percent) {
                    if (progress)
                        progress(100.0 * (framesDone + percent / 100.0 * copy.facts->frameCount) /
                                 total);
                });
                const QString name = recoveredName(document.name());
                const int index = documents.add(std::move(document).renamed(name));
                if (QString problem = adoptCopy(copy.path, own, index); !problem.isEmpty()) {
                    problems.push_back(problem);
                    ++left;
                }
            } catch (const RecoveryCopyError& error) {
                problems.push_back(QString::fromStdString(error.what()));
                ++left;
            } catch (const MemoryBudgetError& error) {
                problems.push_back(
                    QStringLiteral("%1: %2").arg(copy.path, QString::fromStdString(error.what())));
                ++left;
            }
            framesDone += copy.facts->frameCount;
        }
        if (left == 0) {
            try {
                folder.remove();
            } catch (const RecoveryFolderError& error) {
                problems.push_back(QString::fromStdString(error.what()));
            }
        }
    }
    return problems;
}

std::vector<QString> discardAbandonedWork(std::vector<AbandonedFolder>& folders) {
    std::vector<QString> problems;
    for (AbandonedFolder& folder : folders) {
        try {
            folder.remove();
        } catch (const RecoveryFolderError& error) {
            problems.push_back(QString::fromStdString(error.what()));
        }
    }
    return problems;
}

} // namespace tallowick
