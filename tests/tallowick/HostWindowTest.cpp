#include "tallowick/HostWindow.h"

#include "tallowick/FrameRendering.h"
#include "tallowick/FrameView.h"
#include "tallowick/HostModel.h"
#include "tests/tallowick/TinyDocument.h"

#include <QListWidget>
#include <QProgressBar>
#include <QSlider>
#include <QTest>
#include <gtest/gtest.h>

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

    model.createStill(2, 2);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_TRUE(viewShows(tallowick::renderFrame(model.currentFrame(), false)));

    list->setCurrentRow(0); // the user picks the first document
    EXPECT_EQ(model.currentDocumentIndex(), 0);
}

TEST_F(HostWindowView, SliderAndViewFollowTheCurrentFrame) {
    auto* slider = child<QSlider>("frameSlider");
    EXPECT_EQ(slider->maximum(), 1);
    model.gotoFrame(1);
    EXPECT_EQ(slider->value(), 1);
    EXPECT_TRUE(viewShows(tallowick::renderFrame(model.documents()[0].frame(1), false)));

    slider->setValue(0); // the user drags back
    EXPECT_EQ(model.currentFrameIndex(), 0);
}

TEST_F(HostWindowView, ShowsTheFrameOverTheCheckerboardOnceAlphaIsSwitchedOn) {
    const QImage plain = tallowick::renderFrame(model.currentFrame(), false);
    const QImage overCheckerboard = tallowick::renderFrame(model.currentFrame(), true);
    ASSERT_NE(plain, overCheckerboard) << "the tiny frames should be partly transparent";
    EXPECT_TRUE(viewShows(plain));
    model.switchAlphaOn();
    EXPECT_TRUE(viewShows(overCheckerboard));
}

TEST_F(HostWindowView, ProgressShowsOnlyWhileOpen) {
    window.show();
    auto* bar = child<QProgressBar>("progressBar");
    EXPECT_FALSE(bar->isVisible());
    model.openProgress("Developing...");
    model.setProgressPercent(42.9);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->value(), 42);
    model.closeProgress();
    EXPECT_FALSE(bar->isVisible());
}

} // namespace
