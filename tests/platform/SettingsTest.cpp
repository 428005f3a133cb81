#include "platform/Settings.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using platform::readStartupSetting;

namespace {

// The store the host writes: tallowick.conf in the configuration folder,
// which the test main makes private to this run.
class StartupSettings : public ::testing::Test {
protected:
    void SetUp() override {
        const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
        ASSERT_FALSE(folder.isEmpty());
        ASSERT_TRUE(QDir().mkpath(folder));
        path_ = folder + "/tallowick.conf";
    }
    void TearDown() override { QFile::remove(path_); }

    void writeStore(const QByteArray& text) {
        QFile file(path_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(file.write(text), text.size());
    }

    QString path_;
};

} // namespace

TEST_F(StartupSettings, ReadsTheKeyOfTheStartupSectionOrGivesTheDefault) {
    writeStore("[Other]\n"
               "Ruler_Color=7\n"
               "[Startup]\n"
               "Shine_Color=255\n"
               "Textbox_Fill_Color=twelve\n");
    EXPECT_EQ(readStartupSetting("Shine_Color", "14737632"), "255");
    EXPECT_EQ(readStartupSetting("Textbox_Fill_Color", "6706517"), "twelve");
    EXPECT_EQ(readStartupSetting("Ruler_Color", "12118266"), "12118266");
    EXPECT_EQ(readStartupSetting("Shadow_Color", "2105376"), "2105376");
}

TEST_F(StartupSettings, WithoutAStoreEveryKeyGivesItsDefault) {
    QFile::remove(path_);
    EXPECT_EQ(readStartupSetting("Shine_Color", "14737632"), "14737632");
}

TEST_F(StartupSettings, TextWithACommaComesBackWhole) {
    writeStore("[Startup]\nScroll_Fill_Color=1,2\n");
    EXPECT_EQ(readStartupSetting("Scroll_Fill_Color", "0"), "1,2");
}

TEST_F(StartupSettings, EachReadSeesTheStoreAsItIsNow) {
    writeStore("[Startup]\nBorderless_Scrollers=0\n");
    EXPECT_EQ(readStartupSetting("Borderless_Scrollers", "0"), "0");
    writeStore("[Startup]\nBorderless_Scrollers=1\nScroll_Fill_Color=255\n");
    EXPECT_EQ(readStartupSetting("Borderless_Scrollers", "0"), "1");
    EXPECT_EQ(readStartupSetting("Scroll_Fill_Color", "10392975"), "255");
}
