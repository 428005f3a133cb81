#include "tallowick/window/HostWindow.h"

#include "platform/MessageBox.h"
#include "tallowick/documents/DocumentSaving.h"
#include "tallowick/model/HostModel.h"
#include "tallowick/window/FrameRendering.h"
#include "tallowick/window/FrameView.h"
#include "tests/tallowick/CallRecording.h"
#include "tests/tallowick/TinyDocument.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace {

class HostWindowView : public ::testing::Test {
protected:
    template <typename Widget> Widget* child(const char* name) {
        auto* widget = window.findChild<Widget*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    bool viewShows(const QImage& expected) {
        const auto* view = child<tallowick::FrameView>("frameView");
        return QTest::qWaitFor([&] { return view->image() == expected; });
    }

    tests::RecordingCaller caller;
    tallowick::HostModel model{tests::tinyDocument(), std::nullopt, {}, {}};
    tallowick::HostWindow window{model, caller};
};

TEST_F(HostWindowView, ListsDocumentsAndFollowsTheCurrentOne) {
    auto* list = child<QListWidget>("documentList");
    ASSERT_EQ(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().startsWith("tiny"));

    model.documents().createStill(2, 2);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_TRUE(viewShows(tallowick::renderFrame(model.documents().currentFrame(), false)));

    list->setCurrentRow(0); // the user picks the first document
    EXPECT_EQ(model.documents().currentDocumentIndex(), 0);
}

TEST_F(HostWindowView, LongDocumentNamesLoseTheirMiddleAndShowWholeAsToolTips) {
    auto* list = child<QListWidget>("documentList");
    EXPECT_EQ(list->textElideMode(), Qt::ElideMiddle);
    model.documents().createStill(3, 2);
    ASSERT_EQ(list->count(), 2);
    for (int row = 0; row < list->count(); ++row) {
        const QListWidgetItem* item = list->item(row);
        EXPECT_FALSE(item->text().isEmpty());
        EXPECT_EQ(item->data(Qt::ToolTipRole).toString(), item->text()) << row;
    }
    // The whole entry, the size included, is in the tool tip.
    EXPECT_TRUE(list->item(1)->toolTip().contains(QStringLiteral("3 \u00d7 2")))
        << list->item(1)->toolTip().toStdString();
}

TEST_F(HostWindowView, SliderAndViewFollowTheCurrentFrame) {
    auto* slider = child<QSlider>("frameSlider");
    EXPECT_EQ(slider->maximum(), 1);
    model.documents().gotoFrame(1);
    EXPECT_EQ(slider->value(), 1);
    EXPECT_TRUE(viewShows(tallowick::renderFrame(model.documents().all()[0].frame(1), false)));

    slider->setValue(0); // the user drags back
    EXPECT_EQ(model.documents().currentFrameIndex(), 0);
}

TEST_F(HostWindowView, ShowsTheFrameOverTheCheckerboardOnceAlphaIsSwitchedOn) {
    const QImage plain = tallowick::renderFrame(model.documents().currentFrame(), false);
    const QImage overCheckerboard = tallowick::renderFrame(model.documents().currentFrame(), true);
    ASSERT_NE(plain, overCheckerboard) << "the tiny frames should be partly transparent";
    EXPECT_TRUE(viewShows(plain));
    model.display().switchAlphaOn();
    EXPECT_TRUE(viewShows(overCheckerboard));
}

TEST_F(HostWindowView, ProgressShowsOnlyWhileOpen) {
    window.show();
    auto* bar = child<QProgressBar>("progressBar");
    EXPECT_FALSE(bar->isVisible());
    model.progress().open("Developing...");
    model.progress().setPercent(42.9);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->value(), 42);
    model.progress().close();
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(HostWindowView, ALostBusIsToldAndTheDocumentsSavedOnlyWhenTheUserAccepts) {
    QTemporaryDir out;
    QStringList folderCaptions;
    window.setFolderChooser([&](QWidget*, const QString& caption) {
        folderCaptions << caption;
        return out.path();
    });
    std::vector<platform::MessageBoxRequest> boxes;
    std::deque<platform::MessageBoxAnswer> answers{platform::MessageBoxAnswer::No,
                                                   platform::MessageBoxAnswer::Yes};
    const platform::ScopedMessageBoxResponder responder(
        [&](const platform::MessageBoxRequest& box) {
            boxes.push_back(box);
            const platform::MessageBoxAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        });

    ASSERT_TRUE(window.findChild<QMenu*>("pluginMenu")->menuAction()->isEnabled());
    // Declined (also what a box nobody can answer says): nothing is asked
    // for, nothing written.
    window.reportBusLost("the daemon went away");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].buttons, platform::MessageBoxButtons::YesNo);
    EXPECT_TRUE(boxes[0].text.contains("session bus: the daemon went away"))
        << boxes[0].text.toStdString();
    EXPECT_EQ(folderCaptions, QStringList{});
    // Nothing offers to start a plug-in that could not reach the host.
    const auto* start = window.findChild<QMenu*>("pluginMenu")->menuAction();
    EXPECT_FALSE(start->isEnabled());
    EXPECT_TRUE(start->toolTip().contains("no longer on the session bus, so they could not reach it.\n"
                                               "What happened: the daemon went away."))
        << start->toolTip().toStdString();
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});

    // Accepted: the user picks the folder, and every frame lands there.
    window.reportBusLost("the daemon went away");
    EXPECT_EQ(boxes.size(), 2u);
    EXPECT_EQ(folderCaptions.size(), 1);
    EXPECT_TRUE(QFile::exists(tallowick::savedFramePath(out.path(), 0, 0)));
    EXPECT_TRUE(QFile::exists(tallowick::savedFramePath(out.path(), 0, 1)));
}

struct LaunchRequest {
    QString program;
    std::optional<QString> argument;
    bool operator==(const LaunchRequest&) const = default;
};

// The Plug-ins menu over an application folder of two plug-ins, with the
// picture-file dialog answered by `pictureAnswer`.
class HostWindowPluginMenu : public ::testing::Test {
protected:
    HostWindowPluginMenu() {
        addPlugin("Zeta_pm");
        addPlugin("Alpha_pm");
        window.setPictureFileChooser([this](QWidget*, const QString& caption) {
            captions << caption;
            return pictureAnswer;
        });
        QObject::connect(&window, &tallowick::HostWindow::pluginLaunchRequested,
                         [this](const QString& program, const std::optional<QString>& argument) {
                             requests.push_back({program, argument});
                         });
    }

    void addPlugin(const QString& name) {
        QFile file(appDir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    // Opening the menu lists the plug-ins afresh, as it does for the user.
    QMenu* openPluginMenu() {
        auto* menu = window.findChild<QMenu*>("pluginMenu");
        EXPECT_NE(menu, nullptr);
        if (menu)
            emit menu->aboutToShow();
        return menu;
    }
    void trigger(const QString& actionName) {
        auto* action = window.findChild<QAction*>(actionName);
        ASSERT_NE(action, nullptr) << actionName.toStdString();
        action->trigger();
    }
    static QStringList textsOf(const QMenu* menu) {
        QStringList texts;
        for (const QAction* action : menu->actions())
            texts << action->text();
        return texts;
    }

    QTemporaryDir appDir;
    tests::RecordingCaller caller;
    tallowick::HostModel model{tests::tinyDocument(), std::nullopt, appDir.path(), {}};
    tallowick::HostWindow window{model, caller};
    QString pictureAnswer;
    QStringList captions;
    std::vector<LaunchRequest> requests;
};

TEST_F(HostWindowPluginMenu, EachPlugInStartsAloneOrOnTheClipboardPicture) {
    const QMenu* menu = openPluginMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(textsOf(menu), (QStringList{"Alpha_pm", "Zeta_pm"}));
    for (const QAction* entry : menu->actions()) {
        ASSERT_NE(entry->menu(), nullptr) << entry->text().toStdString();
        EXPECT_EQ(textsOf(entry->menu()), (QStringList{"Start", "Start with a picture...",
                                                       "Start with the clipboard picture"}));
    }

    trigger("start:Alpha_pm");
    trigger("startWithClipboard:Zeta_pm");
    EXPECT_EQ(requests, (std::vector<LaunchRequest>{{"Alpha_pm", std::nullopt},
                                                    {"Zeta_pm", QString("CLIPBOARD")}}));
    EXPECT_TRUE(captions.isEmpty()) << "no file dialog for these two";
}

TEST_F(HostWindowPluginMenu, APictureStartsThePlugInOnlyOnceChosen) {
    openPluginMenu();
    pictureAnswer = "/pictures/cat.png";
    trigger("startWithPicture:Zeta_pm");
    EXPECT_EQ(requests, (std::vector<LaunchRequest>{{"Zeta_pm", QString("/pictures/cat.png")}}));
    ASSERT_EQ(captions.size(), 1);
    EXPECT_TRUE(captions[0].contains("Zeta_pm")) << captions[0].toStdString();

    pictureAnswer.clear(); // the user cancels the dialog
    trigger("startWithPicture:Alpha_pm");
    EXPECT_EQ(captions.size(), 2);
    EXPECT_EQ(requests.size(), 1u);
}

TEST_F(HostWindowPluginMenu, ListsThePlugInsAfreshEachTimeItOpens) {
    openPluginMenu();
    addPlugin("Beta_pm");
    const QMenu* menu = openPluginMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(textsOf(menu), (QStringList{"Alpha_pm", "Beta_pm", "Zeta_pm"}));
    // The entries of the first opening are gone, not hidden behind the new.
    EXPECT_EQ(menu->findChildren<QMenu*>().size(), 3);
    EXPECT_EQ(window.findChildren<QAction*>(QRegularExpression("^start:")).size(), 3);

    for (const QString& name : QDir(appDir.path()).entryList(QDir::Files))
        ASSERT_TRUE(QFile::remove(appDir.filePath(name)));
    openPluginMenu();
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_FALSE(menu->actions()[0]->isEnabled());
    EXPECT_TRUE(window.findChildren<QAction*>(QRegularExpression("^start:")).isEmpty());
}

} // namespace
