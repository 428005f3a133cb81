// A real headless host that autosaves, killed with SIGKILL: the next host
// names the folder and leaves it alone, and the work comes back from it
// exact to every sample.
#include "automation/ResultConversions.h"
#include "tallowick/documents/RecoveryCopy.h"
#include "tallowick/model/OpenDocuments.h"
#include "tallowick/model/UndoHistory.h"
#include "tallowick/recovery/AbandonedWork.h"
#include "tallowick/recovery/RecoveryFolders.h"
#include "tests/support/RunningHost.h"
#include "tests/tallowick/TinyDocument.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using host::AutomationObject;
using tallowick::Channel;
using tallowick::Document;

constexpr int kWaitLimitMs = 60000;

int32_t number(AutomationObject& hostObject, const char* method) {
    return host::resultToInt32(method, hostObject.Invoke(method));
}

// The program's current document as the host hands it out, plane by plane.
Document fetchDocument(AutomationObject& hostObject, const QString& name) {
    const char* getters[] = {"tal_GetRBuffer", "tal_GetGBuffer", "tal_GetBBuffer",
                             "Tal_GetABuffer"};
    std::vector<tallowick::RgbaFrame> frames;
    for (int32_t f = 0; f < number(hostObject, "tal_GetTotalFrames"); ++f) {
        hostObject.Invoke("Tal_GotoFrameAdv", {f, int16_t{3}});
        std::vector<host::ByteArray> planes;
        for (const char* getter : getters)
            planes.push_back(host::resultToPlane(getter, hostObject.Invoke(getter)));
        frames.push_back(tallowick::RgbaFrame::filledBy(
            number(hostObject, "Tal_BufferWidth"), number(hostObject, "Tal_BufferHeight"),
            [&](Channel channel, uint8_t* samples, std::size_t size) {
                const host::ByteArray& plane = planes[static_cast<std::size_t>(channel)];
                ASSERT_EQ(plane.size(), size);
                std::memcpy(samples, plane.data(), size);
            }));
    }
    return Document(name, std::move(frames));
}

// Whether the host's one recovery folder holds copies of `expected` as
// documents 1 and 2, and none of the unchanged document 0.
bool folderHolds(const QString& root, const std::vector<Document>& expected) {
    const QStringList folders = QDir(root).entryList({"host-*"}, QDir::Dirs);
    if (folders.size() != 1)
        return false;
    const QDir folder(QDir(root).filePath(folders[0]));
    if (folder.exists(tallowick::recoveryCopyName(0)))
        return false;
    for (int index = 1; index <= 2; ++index) {
        const QString copy = folder.filePath(tallowick::recoveryCopyName(index));
        try {
            if (!tests::differenceBetween(
                     expected[index - 1],
                     tallowick::loadRecoveryCopy(copy, tallowick::MemoryBudget(UINT64_MAX)))
                     .empty())
                return false;
        } catch (const tallowick::RecoveryCopyError&) {
            return false; // not written yet
        }
    }
    return true;
}

TEST(HostRecoveryEndToEnd, AKilledHostsWorkComesBackExactFromItsRecoveryFolder) {
    tests::PrivateBus bus;
    const QString root = bus.stateFolder() + "/tallowick/recovery";
    std::vector<Document> work;
    {
        tests::RunningHost running(bus, {"--autosave", "1"});
        AutomationObject& h = running.object();
        h.Invoke("tal_CreateAnimAdv", {int32_t{3}, int16_t{2}});
        for (int32_t f = 0; f < 3; ++f) {
            h.Invoke("Tal_GotoFrameAdv", {f, int16_t{3}});
            h.Invoke("Tal_SetRBuffer", {tests::patternPlane(321, 241, f)});
            h.Invoke("Tal_SetaBuffer", {tests::patternPlane(321, 241, 50 + f)});
        }
        work.push_back(fetchDocument(h, "Animation 1"));
        h.Invoke("Tal_NewBuffer", {int16_t{5}, int16_t{4}});
        h.Invoke("Tal_SetGBuffer", {tests::patternPlane(6, 5, 9)});
        work.push_back(fetchDocument(h, "Picture 2"));

        QElapsedTimer clock;
        clock.start();
        while (!folderHolds(root, work) && clock.elapsed() < kWaitLimitMs)
            QTest::qWait(100);
        ASSERT_TRUE(folderHolds(root, work)) << "no autosave within " << kWaitLimitMs << " ms";
        // The folder of a host that runs is nobody else's to take.
        EXPECT_TRUE(tallowick::claimAbandonedFolders(root).empty());
        running.kill();
    }
    const QString folder = root + "/" + QDir(root).entryList({"host-*"}, QDir::Dirs).value(0);

    // A headless host started next names the folder in one line, and
    // leaves it as it was.
    {
        tests::RunningHost next(bus, {"--autosave", "1"});
        EXPECT_EQ(next.stop(), 0);
        const QString told = next.standardError();
        EXPECT_EQ(told.count("recovery copies"), 1) << told.toStdString();
        EXPECT_TRUE(told.contains("tallowick: recovery copies of 2 documents from a host that did "
                                  "not end cleanly are kept in " +
                                  folder + "; start tallowick with a window to reopen them\n"))
            << told.toStdString();
    }
    EXPECT_EQ(QDir(folder).entryList({"*.recovery"}, QDir::Files),
              (QStringList{"doc1.recovery", "doc2.recovery"}));

    // Reopened, every sample is what the killed host held.
    tallowick::MemoryBudget budget{UINT64_MAX};
    tallowick::UndoHistory history{budget};
    tallowick::OpenDocuments documents{tests::tinyDocument(), budget, history};
    QTemporaryDir own;
    tallowick::OwnRecoveryFolder ownFolder(own.path());
    std::vector<tallowick::AbandonedFolder> abandoned = tallowick::claimAbandonedFolders(root);
    ASSERT_EQ(abandoned.size(), 1u);
    EXPECT_TRUE(tallowick::reopenAbandonedWork(abandoned, documents, budget, ownFolder).empty());
    ASSERT_EQ(documents.all().size(), 3u);
    EXPECT_EQ(tests::differenceBetween(std::move(work[0]).renamed("Animation 1 (recovered)"),
                                       documents.all()[1]),
              "");
    EXPECT_EQ(tests::differenceBetween(std::move(work[1]).renamed("Picture 2 (recovered)"),
                                       documents.all()[2]),
              "");
    EXPECT_FALSE(QFileInfo::exists(folder));
}

} // namespace
