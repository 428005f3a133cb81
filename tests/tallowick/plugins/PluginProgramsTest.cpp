#include "tallowick/plugins/PluginPrograms.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(Plugins, OnlyExecutablesNamedLikePlugInsAreFoundAndResolved) {
    QTemporaryDir appDir;
    const auto makeFile = [&](const QString& name, bool executable) {
        QFile file(appDir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.setPermissions(executable ? QFile::ReadOwner | QFile::ExeOwner : QFile::ReadOwner);
    };
    makeFile("Zeta_pm", true);
    makeFile("Alpha_pm", true);
    makeFile("Notes_pm", false);
    makeFile("tallowick", true);
    EXPECT_EQ(tallowick::findPlugins(appDir.path()), (QStringList{"Alpha_pm", "Zeta_pm"}));

    EXPECT_EQ(tallowick::resolvePluginProgram(appDir.path(), "Alpha_pm"),
              appDir.filePath("Alpha_pm"));
    EXPECT_THROW(tallowick::resolvePluginProgram(appDir.path(), "Notes_pm"),
                 tallowick::PluginError);
    EXPECT_THROW(tallowick::resolvePluginProgram(appDir.path(), "Missing_pm"),
                 tallowick::PluginError);
    for (const char* name : {"../Alpha_pm", "/bin/sh", "", ".."}) {
        try {
            tallowick::resolvePluginProgram(appDir.path(), name);
            ADD_FAILURE() << "no error for " << name;
        } catch (const tallowick::PluginError& error) {
            EXPECT_NE(std::string(error.what()).find("without a path"), std::string::npos)
                << error.what();
        }
    }
}

} // namespace
