// Writing the film as an exchange time sheet, and what a user hears about
// one that was read.
#include "cinderloom/XdtsFormat.h"
#include "cinderloom/XdtsSymbols.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace cinderloom {
namespace {

QString valueShownBy(int16_t cell, int64_t cellCount) {
    if (cell >= 0 && cell < cellCount)
        return QString::number(int32_t{cell} + 1);
    return QString::fromLatin1(kNullCellSymbol);
}

QJsonObject changePoint(int32_t frame, const QString& value) {
    const QJsonObject cellEntry{{"id", kCellDataId}, {"values", QJsonArray{value}}};
    return QJsonObject{{"frame", frame}, {"data", QJsonArray{cellEntry}}};
}

// Frame 0, each frame that shows other than the one before, and the closing
// entry of nothing at the film's length that other tools write.
QJsonArray changePointsOf(const Film& film, int64_t cellCount) {
    QJsonArray frames;
    QString previous;
    for (int32_t slot = 0; slot < film.length(); ++slot) {
        QString value = valueShownBy(film.cellAt(slot), cellCount);
        if (slot == 0 || value != previous)
            frames.append(changePoint(slot, value));
        previous = std::move(value);
    }
    frames.append(changePoint(film.length(), QString::fromLatin1(kNullCellSymbol)));
    return frames;
}

QString plural(int32_t count, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

QString trackSentence(const TakenTrack& track) {
    const QString name =
        track.name.isEmpty() ? QString() : QStringLiteral(" (\u201c%1\u201d)").arg(track.name);
    return QStringLiteral("The film was read from track %1%2 of the cell field; %3 holding cells "
                          "%4 left out.")
        .arg(QString::number(track.trackNo, 'g', 17), name,
             plural(track.othersLeft, "other track", "other tracks"),
             QLatin1String(track.othersLeft == 1 ? "was" : "were"));
}

QString emptiedSentence(const EmptiedSlots& emptied, int64_t cellCount) {
    QStringList causes;
    const auto add = [&causes](int32_t count, const QString& cause) {
        if (count > 0)
            causes << QStringLiteral("%1 %2").arg(count).arg(cause);
    };
    add(emptied.withSuffix,
        QStringLiteral("for a drawing number with a suffix (such as \u201c3a\u201d)"));
    add(emptied.beyondCells,
        QStringLiteral("for a drawing number beyond the %1 cells retrieved").arg(cellCount));
    add(emptied.zero, QStringLiteral("for the drawing number 0"));
    add(emptied.notADrawing, QStringLiteral("for a value that is no drawing number"));
    add(emptied.beforeFirstChange, QStringLiteral("before the track's first change point"));
    return QStringLiteral("%1 left empty: %2.")
        .arg(plural(emptied.total(), "slot was", "slots were"), causes.join(QStringLiteral(", ")));
}

} // namespace

QByteArray writeXdts(const Film& film, int64_t cellCount, const QString& name) {
    if (film.length() < 1 || film.length() > kXdtsMaxDuration)
        throw XdtsError(QStringLiteral("a film of %1 slots cannot be written: an exchange time "
                                       "sheet lasts 1 to %2 frames")
                            .arg(film.length())
                            .arg(kXdtsMaxDuration)
                            .toStdString());
    const QJsonObject track{{"trackNo", 0}, {"frames", changePointsOf(film, cellCount)}};
    const QJsonObject cellField{{"fieldId", kCellFieldId}, {"tracks", QJsonArray{track}}};
    const QJsonObject header{{"fieldId", kCellFieldId}, {"names", QJsonArray{name}}};
    const QJsonObject table{{"name", name},
                            {"duration", film.length()},
                            {"timeTableHeaders", QJsonArray{header}},
                            {"fields", QJsonArray{cellField}}};
    const QJsonObject root{{"version", kXdtsVersion},
                           {"header", QJsonObject{{"cut", "1"}, {"scene", "1"}}},
                           {"timeTables", QJsonArray{table}}};
    return QByteArray(kXdtsIdentifier) + '\n' + QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QString describeReading(const XdtsReading& reading) {
    QStringList sentences;
    if (reading.track && reading.track->othersLeft > 0)
        sentences << trackSentence(*reading.track);
    if (reading.emptied.total() > 0)
        sentences << emptiedSentence(reading.emptied, reading.cellCount);
    return sentences.join(QStringLiteral("\n\n"));
}

} // namespace cinderloom
