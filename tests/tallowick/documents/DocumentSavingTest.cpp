// Where the host's documents go when it ends: a folder that cannot take them
// is found before the work starts, and one document that cannot be written
// costs only that document.
#include "tallowick/documents/DocumentSaving.h"

#include "tests/tallowick/TinyDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using tallowick::Document;
using tallowick::SaveError;

// A regular file at `path`, which no folder can be created in or below.
void writeRegularFile(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("in the way");
}

Document dot(const QString& name) {
    return Document(name, {tallowick::RgbaFrame(1, 1, {1, 2, 3, 4})});
}

TEST(SaveFolder, IsCreatedWithItsParentsAndLeftEmpty) {
    QTemporaryDir out;
    const QString folder = out.filePath("deep/er/saved");
    tallowick::prepareSaveFolder(folder);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{})
        << "the check must not leave its probe file behind";
    // An existing folder is fine too.
    tallowick::prepareSaveFolder(folder);
}

TEST(SaveFolder, BelowARegularFileIsRefusedByName) {
    QTemporaryDir out;
    writeRegularFile(out.filePath("file"));
    for (const QString& folder : {out.filePath("file"), out.filePath("file/saved")}) {
        try {
            tallowick::prepareSaveFolder(folder);
            ADD_FAILURE() << "accepted " << folder.toStdString();
        } catch (const SaveError& error) {
            EXPECT_TRUE(QString::fromStdString(error.what()).startsWith(folder + ": "))
                << error.what();
            EXPECT_TRUE(error.unsavedDocuments().empty());
        }
    }
}

TEST(SavingDocuments, OneThatCannotBeWrittenIsNamedAndTheOthersAreSaved) {
    QTemporaryDir out;
    const QString dir = out.filePath("saved");
    ASSERT_TRUE(QDir().mkpath(dir));
    // The folder of the second document is taken by a file.
    writeRegularFile(QDir(dir).filePath("doc1"));
    const std::vector<Document> documents{tests::tinyDocument(), dot("blocked"), dot("last")};

    std::vector<double> reports;
    try {
        tallowick::saveDocuments(documents, dir,
                                 [&](double percent) { reports.push_back(percent); });
        FAIL() << "the blocked document was reported saved";
    } catch (const SaveError& error) {
        EXPECT_EQ(error.unsavedDocuments(), std::vector<int>{1});
        const QString message = QString::fromStdString(error.what());
        EXPECT_TRUE(message.contains("1 of 3 documents")) << error.what();
        EXPECT_TRUE(message.contains("doc1 (\"blocked\")")) << error.what();
        EXPECT_TRUE(message.contains(QDir(dir).filePath("doc1") + ": ")) << error.what();
        EXPECT_FALSE(message.contains("\"last\"")) << error.what();
        EXPECT_FALSE(message.contains("\"tiny\"")) << error.what();
    }
    EXPECT_TRUE(QFileInfo(tallowick::savedFramePath(dir, 0, 1)).isFile());
    EXPECT_TRUE(QFileInfo(tallowick::savedFramePath(dir, 2, 0)).isFile());
    // The skipped frame still counts, so the progress ends at 100.
    EXPECT_EQ(reports, (std::vector<double>{25.0, 50.0, 75.0, 100.0}));
}

TEST(SavingDocuments, EveryDocumentThatFailsIsNamed) {
    QTemporaryDir out;
    writeRegularFile(out.filePath("file"));
    // Nothing can be created below a file: every document fails, each by name.
    try {
        tallowick::saveDocuments({dot("first"), dot("second")}, out.filePath("file"));
        FAIL() << "documents were reported saved below a file";
    } catch (const SaveError& error) {
        EXPECT_EQ(error.unsavedDocuments(), (std::vector<int>{0, 1}));
        const QString message = QString::fromStdString(error.what());
        EXPECT_TRUE(message.contains("doc0 (\"first\")")) << error.what();
        EXPECT_TRUE(message.contains("doc1 (\"second\")")) << error.what();
    }
}

} // namespace
