// Recovery copies: exact to every sample, whole at every moment, and a
// damaged one refused by name before anything of it is used.
#include "tallowick/documents/RecoveryCopy.h"

#include "tests/tallowick/ErrorText.h"
#include "tests/tallowick/TinyDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using tallowick::RecoveryCopyError;

// The tiny document's copy: a header of 36 + 4 ("tiny") + 4 bytes, two
// frames of four 4 x 3 planes, and the 4 bytes of the planes' checksum.
constexpr qint64 kTinyCopyBytes = 44 + 2 * 4 * 12 + 4;
const QDateTime kSavedAt = QDateTime::fromMSecsSinceEpoch(1'700'000'000'123, Qt::UTC);

class RecoveryCopies : public ::testing::Test {
protected:
    QString path() const { return folder.filePath("doc0.recovery"); }
    void write(const tallowick::Document& document) {
        tallowick::writeRecoveryCopy(document, kSavedAt, path());
    }
    // Rewrites the copy with `change` applied to its bytes.
    void damage(const std::function<void(QByteArray&)>& change) {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        change(bytes);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    std::string loadError(uint64_t budget = UINT64_MAX) {
        return tests::errorText<RecoveryCopyError>(
            [&] { tallowick::loadRecoveryCopy(path(), tallowick::MemoryBudget(budget)); });
    }

    QTemporaryDir folder;
};

TEST_F(RecoveryCopies, ReadBackExactWithWhatTheHeaderTells) {
    write(tests::tinyDocument());
    EXPECT_EQ(QFileInfo(path()).size(), kTinyCopyBytes);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"doc0.recovery"});

    const tallowick::RecoveryCopyFacts facts = tallowick::readRecoveryFacts(path());
    EXPECT_EQ(facts.documentName, "tiny");
    EXPECT_EQ(facts.width, 3);
    EXPECT_EQ(facts.height, 2);
    EXPECT_EQ(facts.frameCount, 2);
    EXPECT_EQ(facts.savedAt, kSavedAt);

    std::vector<double> progress;
    const tallowick::Document back =
        tallowick::loadRecoveryCopy(path(), tallowick::MemoryBudget(UINT64_MAX),
                                    [&](double percent) { progress.push_back(percent); });
    EXPECT_EQ(tests::differenceBetween(tests::tinyDocument(), back), "");
    EXPECT_EQ(progress, (std::vector<double>{50, 100}));
}

TEST_F(RecoveryCopies, ANewCopyReplacesTheOldOneWhole) {
    write(tests::tinyDocument());
    std::vector<tallowick::RgbaFrame> frames{tallowick::RgbaFrame(5, 1, {9, 8, 7, 6})};
    const tallowick::Document other(QStringLiteral("other"), std::move(frames));
    write(other);
    EXPECT_EQ(tests::differenceBetween(
                  other, tallowick::loadRecoveryCopy(path(), tallowick::MemoryBudget(UINT64_MAX))),
              "");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"doc0.recovery"});
}

TEST_F(RecoveryCopies, ACopyThatCannotBeWrittenLeavesTheOneBeforeAndNamesTheFile) {
    write(tests::tinyDocument());
    // A folder where the file beside the copy should go: it cannot be opened.
    ASSERT_TRUE(QDir(folder.path()).mkdir("doc0.recovery.part"));
    EXPECT_EQ(tests::errorText<RecoveryCopyError>([&] {
                  write(tests::tinyDocument());
              }).rfind(path().toStdString() + ".part: cannot be written: ", 0),
              0u);
    EXPECT_EQ(tallowick::readRecoveryFacts(path()).documentName, "tiny");
}

TEST_F(RecoveryCopies, DamagedCopiesAreRefusedNamingTheFileAndTheDamage) {
    const std::string file = path().toStdString();
    write(tests::tinyDocument());
    damage([](QByteArray& bytes) { bytes.chop(1); });
    EXPECT_EQ(loadError(), file + ": truncated: it holds 143 bytes where 2 frames of 3 x 2 pixels "
                                  "need 144");
    EXPECT_EQ(tests::errorText<RecoveryCopyError>([&] { tallowick::readRecoveryFacts(path()); }),
              loadError());

    write(tests::tinyDocument());
    damage([](QByteArray& bytes) { bytes.append('x'); });
    EXPECT_EQ(loadError(), file + ": too long: it holds 145 bytes where 2 frames of 3 x 2 pixels "
                                  "need 144");

    write(tests::tinyDocument());
    damage([](QByteArray& bytes) { bytes[60] = static_cast<char>(bytes[60] ^ 1); });
    EXPECT_EQ(loadError(), file + ": damaged: the checksum of its frames differs");

    write(tests::tinyDocument());
    damage([](QByteArray& bytes) { bytes[37] = 'X'; }); // in the name
    EXPECT_EQ(loadError(), file + ": the header is damaged: its checksum differs");

    write(tests::tinyDocument());
    damage([](QByteArray& bytes) { bytes = bytes.left(20); });
    EXPECT_EQ(loadError(), file + ": not a recovery copy: it holds 20 bytes, fewer than any "
                                  "recovery copy's header");

    damage([](QByteArray& bytes) { bytes = QByteArray(kTinyCopyBytes, 'P'); });
    EXPECT_EQ(loadError(), file + ": not a recovery copy: it does not start with the mark of one");
}

TEST_F(RecoveryCopies, FramesBeyondTheBudgetAreRefusedBeforeTheyAreRead) {
    write(tests::tinyDocument());
    EXPECT_EQ(loadError(50), path().toStdString() +
                                 ": 2 frames of 3 x 2 pixels would take 96 bytes, more than the "
                                 "memory budget of 50 bytes allows");
    EXPECT_EQ(loadError(96), "no error");
}

} // namespace
