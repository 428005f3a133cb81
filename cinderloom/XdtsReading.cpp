// Reading an exchange time sheet into a film. Every value read is checked
// for its type where it is read, and a refusal names its place in the JSON.
#include "cinderloom/XdtsFormat.h"
#include "cinderloom/XdtsSymbols.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace cinderloom {
namespace {

[[noreturn]] void refuse(const QString& reason) {
    throw XdtsError(reason.toStdString());
}

// Where a value sits in the document, as "timeTables[0].fields[2]". Each
// place points at its parent, which outlives it; the text is made only for a
// refusal.
class JsonPlace {
public:
    JsonPlace() = default;
    JsonPlace member(const char* key) const { return {this, key, -1}; }
    JsonPlace element(qsizetype index) const { return {this, nullptr, index}; }

    QString text() const {
        if (!parent_)
            return QStringLiteral("the data");
        const QString above = parent_->parent_ ? parent_->text() : QString();
        if (key_)
            return above.isEmpty() ? QString::fromLatin1(key_)
                                   : above + QLatin1Char('.') + QLatin1String(key_);
        return above + QStringLiteral("[%1]").arg(index_);
    }

private:
    JsonPlace(const JsonPlace* parent, const char* key, qsizetype index)
        : parent_(parent), key_(key), index_(index) {}

    const JsonPlace* parent_ = nullptr;
    const char* key_ = nullptr;
    qsizetype index_ = -1;
};

QString kindOf(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("true or false");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("a string");
    case QJsonValue::Array:
        return QStringLiteral("an array");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("missing");
}

void requireType(const QJsonValue& value, QJsonValue::Type type, const JsonPlace& place,
                 const char* wanted) {
    if (value.type() != type)
        refuse(QStringLiteral("%1 is %2, not %3")
                   .arg(place.text(), kindOf(value), QLatin1String(wanted)));
}

QJsonObject objectAt(const QJsonValue& value, const JsonPlace& place) {
    requireType(value, QJsonValue::Object, place, "an object");
    return value.toObject();
}

QJsonArray arrayAt(const QJsonValue& value, const JsonPlace& place) {
    requireType(value, QJsonValue::Array, place, "an array");
    return value.toArray();
}

double numberAt(const QJsonValue& value, const JsonPlace& place) {
    requireType(value, QJsonValue::Double, place, "a number");
    return value.toDouble();
}

double wholeNumberAt(const QJsonValue& value, const JsonPlace& place) {
    const double number = numberAt(value, place);
    if (!std::isfinite(number) || std::floor(number) != number)
        refuse(QStringLiteral("%1 is %2, not a whole number")
                   .arg(place.text(), QString::number(number, 'g', 17)));
    return number;
}

// The JSON after the identifier line. A byte-order mark before the
// identifier and a carriage return after it are tolerated, as editors on
// other systems add them.
QJsonObject parseDocument(const QByteArray& text) {
    const qsizetype lineEnd = text.indexOf('\n');
    QByteArrayView firstLine(text.constData(), lineEnd < 0 ? text.size() : lineEnd);
    if (firstLine.startsWith("\xEF\xBB\xBF"))
        firstLine = firstLine.sliced(3);
    if (firstLine.endsWith('\r'))
        firstLine.chop(1);
    if (firstLine != QByteArrayView(kXdtsIdentifier))
        refuse(QStringLiteral("its first line is not \"%1\"").arg(QLatin1String(kXdtsIdentifier)));
    const qsizetype jsonStart = lineEnd < 0 ? text.size() : lineEnd + 1;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text.sliced(jsonStart), &error);
    if (error.error != QJsonParseError::NoError)
        refuse(QStringLiteral("its JSON does not parse: %1 at byte %2")
                   .arg(error.errorString())
                   .arg(jsonStart + error.offset));
    if (!document.isObject())
        refuse(QStringLiteral("its JSON is %1, not an object")
                   .arg(document.isArray() ? QStringLiteral("an array") : QStringLiteral("empty")));
    return document.object();
}

int32_t durationOf(const QJsonObject& table, const JsonPlace& place) {
    const JsonPlace at = place.member("duration");
    const double duration = wholeNumberAt(table.value(QLatin1String("duration")), at);
    if (duration < 1 || duration > kXdtsMaxDuration)
        refuse(QStringLiteral("%1 is %2, outside 1 to %3")
                   .arg(at.text(), QString::number(duration, 'g', 17))
                   .arg(kXdtsMaxDuration));
    return static_cast<int32_t>(duration);
}

// The index of the first field whose fieldId is the cell field's.
qsizetype cellFieldIndex(const QJsonArray& fields, const JsonPlace& fieldsAt) {
    for (qsizetype index = 0; index < fields.size(); ++index) {
        const JsonPlace fieldAt = fieldsAt.element(index);
        const QJsonObject field = objectAt(fields.at(index), fieldAt);
        if (numberAt(field.value(QLatin1String("fieldId")), fieldAt.member("fieldId")) ==
            kCellFieldId)
            return index;
    }
    refuse(QStringLiteral("%1 holds no cell field (fieldId %2)")
               .arg(fieldsAt.text())
               .arg(kCellFieldId));
}

// The track a film is read from and how many others were left.
struct TrackChoice {
    qsizetype index = -1;
    double trackNo = 0;
    int32_t othersWithFrames = 0;
};

TrackChoice chooseTrack(const QJsonArray& tracks, const JsonPlace& tracksAt) {
    TrackChoice choice;
    for (qsizetype index = 0; index < tracks.size(); ++index) {
        const JsonPlace trackAt = tracksAt.element(index);
        const QJsonObject track = objectAt(tracks.at(index), trackAt);
        const double trackNo =
            wholeNumberAt(track.value(QLatin1String("trackNo")), trackAt.member("trackNo"));
        if (arrayAt(track.value(QLatin1String("frames")), trackAt.member("frames")).isEmpty())
            continue;
        if (choice.index < 0 || trackNo < choice.trackNo) {
            choice.othersWithFrames += choice.index < 0 ? 0 : 1;
            choice.index = index;
            choice.trackNo = trackNo;
        } else {
            ++choice.othersWithFrames;
        }
    }
    return choice;
}

// The name the table's headers give the cell field's track; only a label
// for the message, so headers of another shape leave it unnamed.
QString trackName(const QJsonObject& table, double trackNo) {
    for (const QJsonValue header : table.value(QLatin1String("timeTableHeaders")).toArray()) {
        const QJsonObject fields = header.toObject();
        if (fields.value(QLatin1String("fieldId")).toDouble(-1) != kCellFieldId)
            continue;
        const QJsonArray names = fields.value(QLatin1String("names")).toArray();
        if (trackNo >= 0 && trackNo < static_cast<double>(names.size()))
            return names.at(static_cast<qsizetype>(trackNo)).toString();
    }
    return {};
}

// Why a slot shows nothing: asked for by the sheet, or one of the causes
// counted in EmptiedSlots.
enum class EmptyCause : uint8_t {
    Asked,
    WithSuffix,
    BeyondCells,
    Zero,
    NotADrawing,
    BeforeFirstChange
};

struct Shown {
    int16_t cell = Film::kEmptySlot;
    EmptyCause cause = EmptyCause::BeforeFirstChange;
};

// A frame where the track's content changes: to `shown`, or, for a hyphen
// or tick, to whatever was shown before.
struct ChangePoint {
    double frame = 0;
    bool continues = false;
    Shown shown;
};

Shown emptyFor(EmptyCause cause) {
    return {Film::kEmptySlot, cause};
}

// A drawing number shows cell n − 1; the digits are counted without
// overflowing, as a number past every cell is refused whatever its size.
Shown drawingShown(const QString& value, int64_t cellCount) {
    qsizetype digits = 0;
    int64_t number = 0;
    constexpr int64_t kPastEveryCell = int64_t{1} << 40;
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    while (digits < value.size() && isDigit(value.at(digits))) {
        number = std::min(number * 10 + (value.at(digits).unicode() - '0'), kPastEveryCell);
        ++digits;
    }
    if (digits == 0)
        return emptyFor(EmptyCause::NotADrawing);
    if (digits < value.size())
        return emptyFor(EmptyCause::WithSuffix);
    if (number == 0)
        return emptyFor(EmptyCause::Zero);
    if (number > cellCount || number - 1 > std::numeric_limits<int16_t>::max())
        return emptyFor(EmptyCause::BeyondCells);
    return {static_cast<int16_t>(number - 1), EmptyCause::Asked};
}

ChangePoint changeTo(double frame, const QString& value, int64_t cellCount) {
    if (value == QLatin1String(kHyphenSymbol) || value == QLatin1String(kTick1Symbol) ||
        value == QLatin1String(kTick2Symbol))
        return {frame, true, {}};
    if (value == QLatin1String(kNullCellSymbol))
        return {frame, false, emptyFor(EmptyCause::Asked)};
    return {frame, false, drawingShown(value, cellCount)};
}

// The first value of the frame's cell entry; none when the frame carries
// only other kinds of data. Options beside the values are not read.
std::optional<QString> cellValueOf(const QJsonObject& frame, const JsonPlace& frameAt) {
    const JsonPlace dataAt = frameAt.member("data");
    const QJsonArray data = arrayAt(frame.value(QLatin1String("data")), dataAt);
    for (qsizetype index = 0; index < data.size(); ++index) {
        const JsonPlace entryAt = dataAt.element(index);
        const QJsonObject entry = objectAt(data.at(index), entryAt);
        if (numberAt(entry.value(QLatin1String("id")), entryAt.member("id")) != kCellDataId)
            continue;
        const JsonPlace valuesAt = entryAt.member("values");
        const QJsonArray values = arrayAt(entry.value(QLatin1String("values")), valuesAt);
        if (values.isEmpty())
            refuse(QStringLiteral("%1 is empty, without a value").arg(valuesAt.text()));
        requireType(values.at(0), QJsonValue::String, valuesAt.element(0), "a string");
        return values.at(0).toString();
    }
    return std::nullopt;
}

// The track's change points before the duration, in the order of their
// frames; points on the same frame keep the order of the file.
std::vector<ChangePoint> changePointsOf(const QJsonObject& track, const JsonPlace& trackAt,
                                        int32_t duration, int64_t cellCount) {
    const JsonPlace framesAt = trackAt.member("frames");
    const QJsonArray frames = arrayAt(track.value(QLatin1String("frames")), framesAt);
    std::vector<ChangePoint> points;
    points.reserve(static_cast<std::size_t>(frames.size()));
    for (qsizetype index = 0; index < frames.size(); ++index) {
        const JsonPlace frameAt = framesAt.element(index);
        const QJsonObject frame = objectAt(frames.at(index), frameAt);
        const double number =
            wholeNumberAt(frame.value(QLatin1String("frame")), frameAt.member("frame"));
        const std::optional<QString> value = cellValueOf(frame, frameAt);
        if (value && number < duration)
            points.push_back(changeTo(number, *value, cellCount));
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const ChangePoint& a, const ChangePoint& b) { return a.frame < b.frame; });
    return points;
}

void countEmptied(EmptiedSlots& emptied, EmptyCause cause) {
    switch (cause) {
    case EmptyCause::Asked:
        return;
    case EmptyCause::WithSuffix:
        ++emptied.withSuffix;
        return;
    case EmptyCause::BeyondCells:
        ++emptied.beyondCells;
        return;
    case EmptyCause::Zero:
        ++emptied.zero;
        return;
    case EmptyCause::NotADrawing:
        ++emptied.notADrawing;
        return;
    case EmptyCause::BeforeFirstChange:
        ++emptied.beforeFirstChange;
        return;
    }
}

// Every frame shows what the last change point at or before it set; points
// before frame 0 set frame 0, as other readers take them.
void resolveFrames(const std::vector<ChangePoint>& points, XdtsReading& reading) {
    Shown shown;
    std::size_t next = 0;
    for (int32_t slot = 0; slot < reading.film.length(); ++slot) {
        for (; next < points.size() && std::max(points[next].frame, 0.0) <= slot; ++next) {
            const ChangePoint& point = points[next];
            if (!point.continues)
                shown = point.shown;
            else if (shown.cause == EmptyCause::BeforeFirstChange)
                shown = emptyFor(EmptyCause::Asked);
        }
        if (shown.cell >= 0)
            reading.film.set(slot, shown.cell);
        else
            countEmptied(reading.emptied, shown.cause);
    }
}

} // namespace

XdtsReading readXdts(const QByteArray& text, int64_t cellCount) {
    const QJsonObject root = parseDocument(text);
    const JsonPlace rootAt;
    const JsonPlace tablesAt = rootAt.member("timeTables");
    const QJsonArray tables = arrayAt(root.value(QLatin1String("timeTables")), tablesAt);
    if (tables.isEmpty())
        refuse(QStringLiteral("%1 is empty, without a time table").arg(tablesAt.text()));
    const JsonPlace tableAt = tablesAt.element(0);
    const QJsonObject table = objectAt(tables.at(0), tableAt);

    XdtsReading reading;
    reading.cellCount = cellCount;
    reading.film = Film(durationOf(table, tableAt));

    const JsonPlace fieldsAt = tableAt.member("fields");
    const QJsonArray fields = arrayAt(table.value(QLatin1String("fields")), fieldsAt);
    const qsizetype fieldIndex = cellFieldIndex(fields, fieldsAt);
    const JsonPlace fieldAt = fieldsAt.element(fieldIndex);
    const JsonPlace tracksAt = fieldAt.member("tracks");
    const QJsonArray tracks =
        arrayAt(fields.at(fieldIndex).toObject().value(QLatin1String("tracks")), tracksAt);
    const TrackChoice choice = chooseTrack(tracks, tracksAt);
    if (choice.index < 0) {
        reading.emptied.beforeFirstChange = reading.film.length();
        return reading;
    }
    reading.track =
        TakenTrack{choice.trackNo, trackName(table, choice.trackNo), choice.othersWithFrames};
    const JsonPlace trackAt = tracksAt.element(choice.index);
    resolveFrames(changePointsOf(tracks.at(choice.index).toObject(), trackAt, reading.film.length(),
                                 cellCount),
                  reading);
    return reading;
}

} // namespace cinderloom
