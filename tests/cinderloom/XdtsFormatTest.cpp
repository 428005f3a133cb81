// The exchange time sheet read into a film and written from one, on sheets
// the tests write out; the files around them.
#include "cinderloom/XdtsFormat.h"

#include "cinderloom/FilmFile.h"
#include "tests/cinderloom/FilmSlots.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using tests::filmOf;
using tests::slotsOf;

using cinderloom::EmptiedSlots;
using cinderloom::Film;
using cinderloom::TakenTrack;
using cinderloom::XdtsError;
using cinderloom::XdtsReading;

// A change point of the cell field showing `value` from `frame` (JSON text).
std::string at(const std::string& frame, const std::string& value) {
    return R"({"frame": )" + frame + R"(, "data": [{"id": 0, "values": [")" + value + R"("]}]})";
}

std::string track(int trackNo, const std::vector<std::string>& points) {
    std::string frames;
    for (const std::string& point : points)
        frames += (frames.empty() ? "" : ", ") + point;
    return R"({"trackNo": )" + std::to_string(trackNo) + R"(, "frames": [)" + frames + "]}";
}

// A sheet of one time table of `duration` whose cell field holds `tracks`,
// after a dialogue field; `names` are the cell field's track names.
QByteArray sheet(const std::string& duration, const std::string& tracks,
                 const std::string& names = R"(["A"])") {
    return QByteArray::fromStdString(
        "exchangeDigitalTimeSheet Save Data\n"
        R"({"version": 5, "header": {"cut": "1", "scene": "1"}, "timeTables": [{"name": "c1", )"
        R"("duration": )" +
        duration + R"(, "timeTableHeaders": [{"fieldId": 0, "names": )" + names +
        R"(}], "fields": [{"fieldId": 3, "tracks": []}, {"fieldId": 0, "tracks": [)" + tracks +
        "]}]}]}");
}

std::string refusalOf(const QByteArray& text, int64_t cellCount = 4) {
    try {
        cinderloom::readXdts(text, cellCount);
    } catch (const XdtsError& error) {
        return error.what();
    }
    return "no refusal";
}

TEST(XdtsReadingTest, HoldsHyphensTicksAndEmptyCellsResolveFrameByFrame) {
    const XdtsReading reading = cinderloom::readXdts(
        sheet("9", track(0, {at("0", "1"), at("2", "SYMBOL_HYPHEN"), at("3", "2"),
                             at("4", "SYMBOL_TICK_1"), at("5", "SYMBOL_NULL_CELL"),
                             at("6", "SYMBOL_TICK_2"), at("7", "4"), at("8", "SYMBOL_HYPHEN"),
                             at("9", "SYMBOL_NULL_CELL")})),
        4);
    EXPECT_EQ(slotsOf(reading.film), (std::vector<int16_t>{0, 0, 0, 1, 1, -1, -1, 3, 3}));
    EXPECT_EQ(reading.track, (TakenTrack{0, "A", 0}));
    EXPECT_EQ(reading.emptied, EmptiedSlots{});
    EXPECT_EQ(cinderloom::describeReading(reading), "");

    // A hyphen first continues nothing.
    const XdtsReading nothingBefore =
        cinderloom::readXdts(sheet("3", track(0, {at("0", "SYMBOL_HYPHEN"), at("2", "2")})), 4);
    EXPECT_EQ(slotsOf(nothingBefore.film), (std::vector<int16_t>{-1, -1, 1}));
    EXPECT_EQ(nothingBefore.emptied, EmptiedSlots{});
}

TEST(XdtsReadingTest, TheLowestNumberedTrackWithFramesIsTakenAndTheOthersCounted) {
    const std::string tracks = track(2, {at("0", "3")}) + ", " + track(0, {}) + ", " +
                               track(1, {at("0", "2"), at("1", "1")}) + ", " +
                               track(3, {at("0", "4")});
    const XdtsReading reading = cinderloom::readXdts(sheet("2", tracks, R"(["A", "B", "C"])"), 4);
    EXPECT_EQ(slotsOf(reading.film), (std::vector<int16_t>{1, 0}));
    EXPECT_EQ(reading.track, (TakenTrack{1, "B", 2}));
    EXPECT_EQ(cinderloom::describeReading(reading),
              "The film was read from track 1 (\u201cB\u201d) of the cell field; 2 other tracks "
              "holding cells were left out.");

    // Track 3 has no name; one other track left.
    const XdtsReading unnamed = cinderloom::readXdts(
        sheet("1", track(3, {at("0", "1")}) + ", " + track(5, {at("0", "2")})), 4);
    EXPECT_EQ(unnamed.track, (TakenTrack{3, "", 1}));
    EXPECT_EQ(cinderloom::describeReading(unnamed),
              "The film was read from track 3 of the cell field; 1 other track holding cells was "
              "left out.");

    // No track holds a frame: every slot is before the first change point.
    const XdtsReading empty = cinderloom::readXdts(sheet("3", track(0, {})), 4);
    EXPECT_EQ(slotsOf(empty.film), (std::vector<int16_t>{-1, -1, -1}));
    EXPECT_EQ(empty.track, std::nullopt);
    EXPECT_EQ(empty.emptied.beforeFirstChange, 3);
}

TEST(XdtsReadingTest, SuffixesNumbersBeyondTheCellsZeroAndEarlyFramesLeaveSlotsEmpty) {
    const XdtsReading reading = cinderloom::readXdts(
        sheet("10", track(0, {at("2", "3a"), at("3", "4"), at("4", "0"), at("5", "x"),
                              at("6", "SYMBOL_HYPHEN"), at("7", "3"),
                              at("8", "99999999999999999999"), at("9", "00")})),
        3);
    EXPECT_EQ(slotsOf(reading.film), (std::vector<int16_t>{-1, -1, -1, -1, -1, -1, -1, 2, -1, -1}));
    EXPECT_EQ(reading.emptied, (EmptiedSlots{1, 2, 2, 2, 2}));
    EXPECT_EQ(cinderloom::describeReading(reading),
              "9 slots were left empty: 1 for a drawing number with a suffix (such as "
              "\u201c3a\u201d), 2 for a drawing number beyond the 3 cells retrieved, 2 for the "
              "drawing number 0, 2 for a value that is no drawing number, 2 before the track's "
              "first change point.");

    // Drawings past the 16 bits a slot holds are beyond any cell too.
    const XdtsReading wide =
        cinderloom::readXdts(sheet("2", track(0, {at("0", "32768"), at("1", "32769")})), 100000);
    EXPECT_EQ(slotsOf(wide.film), (std::vector<int16_t>{32767, -1}));
    EXPECT_EQ(wide.emptied.beyondCells, 1);
}

TEST(XdtsReadingTest, NegativeChangePointsStartAtZeroAndLateOnesOptionsAndOtherDataAreIgnored) {
    const std::string withOptions =
        R"({"frame": 1, "data": [{"id": 0, "values": ["1", "2"], "options": ["x"]}]})";
    const std::string otherData = R"({"frame": 3, "data": [{"id": 7, "values": ["4"]}]})";
    const XdtsReading reading = cinderloom::readXdts(
        sheet("4", track(0, {at("4", "1"), at("2", "3"), at("-1", "2"), withOptions, otherData,
                             at("-3", "1"), at("1e300", "1")})),
        4);
    // Frame 0 shows what the latest negative point set: "2", from frame -1.
    EXPECT_EQ(slotsOf(reading.film), (std::vector<int16_t>{1, 0, 2, 2}));
    EXPECT_EQ(reading.emptied, EmptiedSlots{});

    // The first time table and the first cell field count; a byte-order mark
    // and a carriage return after the identifier are borne.
    const QByteArray twoTables = QByteArray::fromStdString(
        "\xEF\xBB\xBF"
        "exchangeDigitalTimeSheet Save Data\r\n"
        R"({"timeTables": [{"duration": 2, "fields": [{"fieldId": 0, "tracks": [)" +
        track(0, {at("0", "2")}) + R"(]}, {"fieldId": 0, "tracks": [)" + track(0, {at("0", "3")}) +
        R"(]}]}, {"duration": 5, "fields": []}]})");
    const XdtsReading first = cinderloom::readXdts(twoTables, 4);
    EXPECT_EQ(slotsOf(first.film), (std::vector<int16_t>{1, 1}));
}

TEST(XdtsReadingTest, EveryRefusalNamesWhatIsWrongAndWhere) {
    const std::string tracks = track(0, {at("0", "1")});
    EXPECT_EQ(refusalOf("exchangeDigitalTimeSheet Save Data2\n{}"),
              "its first line is not \"exchangeDigitalTimeSheet Save Data\"");
    EXPECT_EQ(refusalOf("{\"timeTables\": []}"),
              "its first line is not \"exchangeDigitalTimeSheet Save Data\"");
    EXPECT_EQ(refusalOf("exchangeDigitalTimeSheet Save Data\n{\"timeTables\": [1"),
              "its JSON does not parse: invalid termination by number at byte 52");
    EXPECT_EQ(refusalOf("exchangeDigitalTimeSheet Save Data"),
              "its JSON does not parse: illegal value at byte 34");
    EXPECT_EQ(refusalOf("exchangeDigitalTimeSheet Save Data\n[1]"),
              "its JSON is an array, not an object");
    EXPECT_EQ(refusalOf("exchangeDigitalTimeSheet Save Data\n{\"timeTables\": {}}"),
              "timeTables is an object, not an array");
    EXPECT_EQ(refusalOf("exchangeDigitalTimeSheet Save Data\n{\"timeTables\": []}"),
              "timeTables is empty, without a time table");
    EXPECT_EQ(refusalOf(sheet("\"9\"", tracks)),
              "timeTables[0].duration is a string, not a number");
    EXPECT_EQ(refusalOf(sheet("0", tracks)), "timeTables[0].duration is 0, outside 1 to 32767");
    EXPECT_EQ(refusalOf(sheet("32768", tracks)),
              "timeTables[0].duration is 32768, outside 1 to 32767");
    EXPECT_EQ(refusalOf(sheet("2.5", tracks)), "timeTables[0].duration is 2.5, not a whole number");
    EXPECT_EQ(refusalOf(sheet("3", track(0, {at("0", "1"), at("1.5", "2")}))),
              "timeTables[0].fields[1].tracks[0].frames[1].frame is 1.5, not a whole number");
    EXPECT_EQ(refusalOf(sheet("3", R"({"frames": []})")),
              "timeTables[0].fields[1].tracks[0].trackNo is missing, not a number");
    EXPECT_EQ(refusalOf(sheet("3", R"({"trackNo": 0, "frames": [{"frame": 0, "data": [{"id": )"
                                   R"(0, "values": [1]}]}]})")),
              "timeTables[0].fields[1].tracks[0].frames[0].data[0].values[0] is a number, not a "
              "string");
    EXPECT_EQ(refusalOf(sheet("3", R"({"trackNo": 0, "frames": [{"frame": 0, "data": [{"id": )"
                                   R"(0, "values": []}]}]})")),
              "timeTables[0].fields[1].tracks[0].frames[0].data[0].values is empty, without a "
              "value");
    EXPECT_EQ(refusalOf(sheet("3", R"({"trackNo": 0, "frames": "none"})")),
              "timeTables[0].fields[1].tracks[0].frames is a string, not an array");
    QByteArray noCells = sheet("3", tracks);
    noCells.replace("\"fieldId\": 0, \"tracks\"", "\"fieldId\": 5, \"tracks\"");
    EXPECT_EQ(refusalOf(noCells), "timeTables[0].fields holds no cell field (fieldId 0)");
}

TEST(XdtsWritingTest, WritesOneTableOfChangePointsClosedAtTheFilmsLength) {
    // Cells 5 and −25536 are not among the 3 retrieved: nothing is shown.
    const QByteArray written =
        cinderloom::writeXdts(filmOf({0, 0, -1, 5, 1, -25536}), 3, QStringLiteral("take 2"));
    ASSERT_TRUE(written.startsWith("exchangeDigitalTimeSheet Save Data\n"));
    const auto point = [](int frame, const char* value) {
        return QJsonObject{
            {"frame", frame},
            {"data", QJsonArray{QJsonObject{{"id", 0}, {"values", QJsonArray{value}}}}}};
    };
    const QJsonArray frames{point(0, "1"), point(2, "SYMBOL_NULL_CELL"), point(4, "2"),
                            point(5, "SYMBOL_NULL_CELL"), point(6, "SYMBOL_NULL_CELL")};
    const QJsonObject expected{
        {"version", 5},
        {"header", QJsonObject{{"cut", "1"}, {"scene", "1"}}},
        {"timeTables",
         QJsonArray{QJsonObject{
             {"name", "take 2"},
             {"duration", 6},
             {"timeTableHeaders",
              QJsonArray{QJsonObject{{"fieldId", 0}, {"names", QJsonArray{"take 2"}}}}},
             {"fields",
              QJsonArray{QJsonObject{
                  {"fieldId", 0},
                  {"tracks", QJsonArray{QJsonObject{{"trackNo", 0}, {"frames", frames}}}}}}}}}}};
    EXPECT_EQ(QJsonDocument::fromJson(written.sliced(written.indexOf('\n') + 1)).object(),
              expected);

    EXPECT_THROW(cinderloom::writeXdts(Film(), 3, "empty"), XdtsError);
    try {
        cinderloom::writeXdts(Film(32768), 3, "long");
        ADD_FAILURE() << "a film too long for a time sheet was written";
    } catch (const XdtsError& error) {
        EXPECT_STREQ(error.what(), "a film of 32768 slots cannot be written: an exchange time "
                                   "sheet lasts 1 to 32767 frames");
    }
}

TEST(XdtsWritingTest, ASavedFilmReadsBackToTheSameSlots) {
    const Film film = filmOf({2, 2, -1, 0, 1, 1, 1, -1, 2});
    const XdtsReading reading = cinderloom::readXdts(cinderloom::writeXdts(film, 3, "loop"), 3);
    EXPECT_EQ(reading.film, film);
    EXPECT_EQ(reading.track, (TakenTrack{0, "loop", 0}));
    EXPECT_EQ(reading.emptied, EmptiedSlots{});
    const Film longest = filmOf(std::vector<int16_t>(cinderloom::kXdtsMaxDuration, 0));
    EXPECT_EQ(cinderloom::readXdts(cinderloom::writeXdts(longest, 1, "x"), 1).film, longest);
}

std::string fileFailureOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const cinderloom::FilmFileError& error) {
        return error.what();
    }
    return "no failure";
}

TEST(FilmFileTest, SavesAsideNamedByTheFileAndRefusesWhatItCannotReadNamingTheFile) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath("take.one.xdts");
    const Film film = filmOf({1, -1, 0});
    cinderloom::saveFilmFile(path, film, 2);
    const XdtsReading reading = cinderloom::openFilmFile(path, 2);
    EXPECT_EQ(reading.film, film);
    EXPECT_EQ(reading.track->name, "take.one");

    // A film no sheet can hold leaves the earlier file whole.
    const std::string tooLong = fileFailureOf([&] { cinderloom::saveFilmFile(path, Film(), 2); });
    EXPECT_EQ(tooLong, "Cannot save the film file \u201c" + path.toStdString() +
                           "\u201d: a film of 0 slots cannot be written: an exchange time sheet "
                           "lasts 1 to 32767 frames.");
    EXPECT_EQ(cinderloom::openFilmFile(path, 2).film, film);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"take.one.xdts"});

    const QString nowhere = folder.filePath("missing/take.xdts");
    EXPECT_NE(fileFailureOf([&] {
                  cinderloom::saveFilmFile(nowhere, film, 2);
              }).find("Cannot save the film file \u201c" + nowhere.toStdString() + "\u201d: "),
              std::string::npos);
    EXPECT_EQ(fileFailureOf([&] { cinderloom::openFilmFile(nowhere, 2); }),
              "Cannot open the film file \u201c" + nowhere.toStdString() +
                  "\u201d: No such file or directory.");
    EXPECT_EQ(fileFailureOf([&] { cinderloom::openFilmFile(folder.path(), 2); }),
              "Cannot open the film file \u201c" + folder.path().toStdString() +
                  "\u201d: it is a folder.");

    const QString bad = folder.filePath("bad.xdts");
    QFile badFile(bad);
    ASSERT_TRUE(badFile.open(QIODevice::WriteOnly));
    badFile.write("exchangeDigitalTimeSheet\n{}");
    badFile.close();
    EXPECT_EQ(fileFailureOf([&] { cinderloom::openFilmFile(bad, 2); }),
              "Cannot open the film file \u201c" + bad.toStdString() +
                  "\u201d: its first line is not \"exchangeDigitalTimeSheet Save Data\".");

    // One byte over 16 MiB is refused before it is read.
    ASSERT_TRUE(badFile.resize(cinderloom::kMaxFilmFileBytes + 1));
    EXPECT_EQ(fileFailureOf([&] { cinderloom::openFilmFile(bad, 2); }),
              "Cannot open the film file \u201c" + bad.toStdString() +
                  "\u201d: it holds 16777217 bytes, more than the 16 MiB a film file may have.");
}

} // namespace
