// Mangled time sheets fed to the reader: truncations, byte flips, hostile
// numbers, wrong types, deep nesting, huge lists and random edits. Each must
// come back as a film or an XdtsError, never a crash or another failure, and
// in the sanitizer build the memory a reading holds at its peak is measured
// against the bound of a small multiple of the text plus the film.
#include "cinderloom/XdtsFormat.h"

#include <QByteArray>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <atomic>
#include <cstddef>
#define TALLOWICK_MEASURES_ALLOCATION 1
// The sanitizer runtime's allocator statistics and hooks; GCC ships the
// runtime but not this header of it.
extern "C" {
std::size_t __sanitizer_get_current_allocated_bytes();
int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                              void (*)(const volatile void*));
}
#endif

namespace {

constexpr int64_t kCells = 12;

#ifdef TALLOWICK_MEASURES_ALLOCATION
std::atomic<std::size_t> g_peakBytes{0};

void notePeak(const volatile void*, std::size_t) {
    const std::size_t now = __sanitizer_get_current_allocated_bytes();
    std::size_t peak = g_peakBytes.load(std::memory_order_relaxed);
    while (now > peak && !g_peakBytes.compare_exchange_weak(peak, now, std::memory_order_relaxed)) {
    }
}

void noteFree(const volatile void*) {}

const bool g_hooksInstalled = [] {
    __sanitizer_install_malloc_and_free_hooks(notePeak, noteFree);
    return true;
}();
#endif

// What one reading took, and the largest share of its text's size any
// reading held at once.
struct Outcome {
    int read = 0;
    int refused = 0;
    double worstBytesPerTextByte = 0;
};

// The film's share of the bound: two bytes a slot, at most kXdtsMaxDuration.
constexpr std::size_t kFilmBytes = 2 * cinderloom::kXdtsMaxDuration;
// Bytes the reading may hold per byte of text, besides the film and a fixed
// allowance for the parser's own tables.
constexpr double kBytesPerTextByte = 48;
constexpr std::size_t kFixedAllowance = std::size_t{1} << 20;

void readMangled(const QByteArray& text, Outcome& outcome) {
#ifdef TALLOWICK_MEASURES_ALLOCATION
    const std::size_t before = __sanitizer_get_current_allocated_bytes();
    g_peakBytes = before;
#endif
    try {
        const cinderloom::XdtsReading reading = cinderloom::readXdts(text, kCells);
        ++outcome.read;
        ASSERT_GE(reading.film.length(), 1);
        ASSERT_LE(reading.film.length(), cinderloom::kXdtsMaxDuration);
        for (const int16_t cell : reading.film.slotCells())
            ASSERT_TRUE(cell >= -1 && cell < kCells) << cell;
    } catch (const cinderloom::XdtsError&) {
        ++outcome.refused;
    } catch (const std::exception& error) {
        FAIL() << "not an XdtsError: " << error.what() << " for " << text.left(200).toStdString();
    }
#ifdef TALLOWICK_MEASURES_ALLOCATION
    const std::size_t held = g_peakBytes - std::min(before, g_peakBytes.load());
    const double share = static_cast<double>(held) / std::max<qsizetype>(text.size(), 1);
    outcome.worstBytesPerTextByte = std::max(outcome.worstBytesPerTextByte, share);
    ASSERT_LE(held, kBytesPerTextByte * text.size() + kFilmBytes + kFixedAllowance)
        << "for a text of " << text.size() << " bytes";
#endif
}

void report(const char* kind, const Outcome& outcome) {
    std::printf("%s: %d read, %d refused", kind, outcome.read, outcome.refused);
#ifdef TALLOWICK_MEASURES_ALLOCATION
    std::printf(", at most %.1f bytes held per byte of text", outcome.worstBytesPerTextByte);
#endif
    std::printf("\n");
}

// A sheet with what the reader walks: two tables, dialogue and camerawork
// beside the cell field, several tracks, holds, symbols, options, negative
// and late frames.
QByteArray seedSheet() {
    return "exchangeDigitalTimeSheet Save Data\n"
           R"({"version": 5, "header": {"cut": "12", "scene": "3"}, "timeTables": [)"
           R"({"name": "c12", "duration": 24, "timeTableHeaders": [{"fieldId": 0, "names": )"
           R"(["A", "B"]}, {"fieldId": 3, "names": ["S"]}], "fields": [)"
           R"({"fieldId": 3, "tracks": [{"trackNo": 0, "frames": [{"frame": 0, "data": )"
           R"([{"id": 0, "values": ["hello"]}]}]}]}, )"
           R"({"fieldId": 0, "tracks": [{"trackNo": 1, "frames": [{"frame": 0, "data": )"
           R"([{"id": 0, "values": ["2"]}]}]}, {"trackNo": 0, "frames": [)"
           R"({"frame": -2, "data": [{"id": 0, "values": ["1"]}]}, )"
           R"({"frame": 3, "data": [{"id": 0, "values": ["SYMBOL_HYPHEN"]}]}, )"
           R"({"frame": 5, "data": [{"id": 0, "values": ["3a"], "options": ["x"]}]}, )"
           R"({"frame": 8, "data": [{"id": 0, "values": ["SYMBOL_TICK_1"]}]}, )"
           R"({"frame": 9, "data": [{"id": 0, "values": ["12"]}]}, )"
           R"({"frame": 12, "data": [{"id": 0, "values": ["SYMBOL_NULL_CELL"]}]}, )"
           R"({"frame": 13, "data": [{"id": 0, "values": ["0"]}]}, )"
           R"({"frame": 20, "data": [{"id": 0, "values": ["SYMBOL_TICK_2"]}]}, )"
           R"({"frame": 24, "data": [{"id": 0, "values": ["SYMBOL_NULL_CELL"]}]}]}]}, )"
           R"({"fieldId": 5, "tracks": []}]}, {"duration": 2, "fields": []}]})";
}

// Where the seed holds a number: start and length of each.
std::vector<std::pair<qsizetype, qsizetype>> numberPlaces(const QByteArray& seed) {
    std::vector<std::pair<qsizetype, qsizetype>> places;
    const QRegularExpression number(QStringLiteral(R"((?<=[:\[ ])-?\d+(?=[,\]}]))"));
    const QString text = QString::fromLatin1(seed);
    for (auto match = number.globalMatch(text); match.hasNext();) {
        const auto found = match.next();
        places.emplace_back(found.capturedStart(), found.capturedLength());
    }
    return places;
}

TEST(XdtsFuzzTest, TheSeedReadsAndEveryTruncationAndByteChangeIsReadOrRefused) {
    const QByteArray seed = seedSheet();
    Outcome outcome;
    readMangled(seed, outcome);
    ASSERT_EQ(outcome.read, 1) << "the seed itself must read";
    for (qsizetype length = 0; length < seed.size(); ++length)
        readMangled(seed.left(length), outcome);
    for (qsizetype at = 0; at < seed.size(); ++at)
        for (const char replacement : {'\xFF', '9', '"', '{', '\0'}) {
            QByteArray changed = seed;
            changed[at] = replacement;
            readMangled(changed, outcome);
        }
    EXPECT_GT(outcome.refused, 0);
    EXPECT_GT(outcome.read, 1);
    report("truncations and byte changes", outcome);
}

TEST(XdtsFuzzTest, HostileNumbersAndWrongTypesInEveryNumbersPlace) {
    const QByteArray seed = seedSheet();
    const auto places = numberPlaces(seed);
    ASSERT_GT(places.size(), 20u);
    const char* replacements[] = {
        "1e308",       "-1e308",     "1e400",      "-1e400", "99999999999999999999999",
        "-2147483649", "2147483648", "32767",      "32768",  "-0",
        "0.5",         "1e-400",     "4294967296", "-1",     "\"5\"",
        "[]",          "{}",         "null",       "true",   "[0]"};
    Outcome outcome;
    for (const auto& [start, length] : places)
        for (const char* replacement : replacements) {
            QByteArray changed = seed;
            changed.replace(start, length, replacement);
            readMangled(changed, outcome);
        }
    EXPECT_GT(outcome.refused, 0);
    EXPECT_GT(outcome.read, 0);
    report("hostile numbers and types", outcome);
}

TEST(XdtsFuzzTest, DeepNestingAndHugeListsStayWithinTheirBound) {
    const QByteArray seed = seedSheet();
    Outcome outcome;
    for (const int depth : {64, 1000, 5000, 200000}) {
        QByteArray nested = seed;
        nested.replace(R"(["12"])", QByteArray(depth, '[') + "\"12\"" + QByteArray(depth, ']'));
        readMangled(nested, outcome);
        QByteArray objects = seed;
        QByteArray open;
        for (int level = 0; level < depth; ++level)
            open += R"({"a": )";
        objects.replace(R"("options": ["x"])",
                        R"("options": )" + open + "1" + QByteArray(depth, '}'));
        readMangled(objects, outcome);
        readMangled(seed.left(seed.size() / 2) + QByteArray(depth, '['), outcome);
    }
    // A track of 60 000 change points, most of them past the duration, and
    // one whose every frame is negative.
    for (const int sign : {1, -1}) {
        QByteArray points;
        for (int index = 0; index < 60000; ++index)
            points += QStringLiteral(R"({"frame": %1, "data": [{"id": 0, "values": ["%2"]}]}, )")
                          .arg(sign * index)
                          .arg(index % 13)
                          .toLatin1();
        QByteArray huge = seed;
        huge.replace(R"({"frame": 3, )", points + R"({"frame": 3, )");
        ASSERT_LT(huge.size(), 16 << 20);
        readMangled(huge, outcome);
    }
    // The longest duration with a change on every frame.
    QByteArray longest = seed;
    QByteArray every;
    for (int index = 0; index < cinderloom::kXdtsMaxDuration; ++index)
        every += QStringLiteral(R"({"frame": %1, "data": [{"id": 0, "values": ["%2"]}]}, )")
                     .arg(index)
                     .arg(index % 14)
                     .toLatin1();
    longest.replace(R"("duration": 24)", R"("duration": 32767)");
    longest.replace(R"({"frame": 3, )", every + R"({"frame": 3, )");
    readMangled(longest, outcome);
    EXPECT_GT(outcome.read, 2);
    report("nesting and long lists", outcome);
}

TEST(XdtsFuzzTest, RandomEditsAreReadOrRefused) {
    const QByteArray seed = seedSheet();
    const QByteArray tokens[] = {"{",
                                 "}",
                                 "[",
                                 "]",
                                 ",",
                                 ":",
                                 "\"",
                                 "-",
                                 "1e9",
                                 "null",
                                 "\"frame\": ",
                                 "\"values\": ",
                                 "SYMBOL_HYPHEN",
                                 "\\u0000",
                                 "\n"};
    std::mt19937 random(21);
    const auto below = [&random](qsizetype bound) {
        return static_cast<qsizetype>(random() %
                                      static_cast<uint32_t>(std::max<qsizetype>(bound, 1)));
    };
    Outcome outcome;
    for (int round = 0; round < 4000; ++round) {
        QByteArray text = seed;
        for (int edit = 0, edits = 1 + static_cast<int>(random() % 8); edit < edits; ++edit) {
            const qsizetype at = below(text.size());
            switch (random() % 5) {
            case 0:
                text[at] = static_cast<char>(random());
                break;
            case 1:
                text.insert(at, tokens[below(std::size(tokens))]);
                break;
            case 2:
                text.remove(at, below(64));
                break;
            case 3:
                text.insert(at, text.mid(below(text.size()), below(256)));
                break;
            default:
                text.insert(at, QByteArray(below(32), text.at(below(text.size()))));
                break;
            }
        }
        readMangled(text, outcome);
    }
    EXPECT_GT(outcome.refused, 0);
    report("random edits", outcome);
}

} // namespace
