// The main window's frame, width rule and wallpaper backdrop, and the host's
// colour theme.
#include "cinderloom/CLOptions.h"
#include "cinderloom/Cinderloom.h"
#include "cinderloom/WallpaperTiling.h"
#include "maker/widgets/HPropScroller.h"
#include "maker/widgets/VxButton.h"
#include "platform/PictureBox.h"
#include "tests/cinderloom/CinderloomTestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <set>

namespace tests {
namespace {

const QColor kBackdrop(143, 149, 158);

class LayoutThemeTest : public CinderloomTest {
protected:
    LayoutThemeTest() { clearTheme(); }
    ~LayoutThemeTest() override { clearTheme(); }

    static void storeTheme(const QString& key, const QString& text) {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, "tallowick");
        store.setValue("Startup/" + key, text);
        store.sync();
    }

    static void clearTheme() {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, "tallowick");
        store.remove("Startup");
        store.sync();
    }

    static void applyTheme(cinderloom::Cinderloom& window) {
        window.automation().Invoke("PrefsCallback",
                                   {host::ObjectRef{{}, {}, &window.automation()}});
    }
};

struct ScrollerColours {
    QColor fill, bar, highlight, shadow;
    bool operator==(const ScrollerColours&) const = default;
};

ScrollerColours coloursOf(const maker::HPropScroller& scroller) {
    return {scroller.BackColor(), scroller.ForeColor(), scroller.Highlight(), scroller.Shadow()};
}

TEST_F(LayoutThemeTest, ToolWindowWithCloseBoxOnlyOpensCentredAndItsClosingEndsTheProgram) {
    auto& window = openMainWindow();
    EXPECT_EQ(window.windowType(), Qt::Tool);
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window.windowTitle(), "Cinderloom");
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_LE((window.frameGeometry().center() - screen.center()).manhattanLength(), 1);

    // Qt leaves tool windows out of its last-window check unless told, and
    // makes that check only while the application's event loop runs. The
    // second quit only ends the loop should the first not come.
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QTimer::singleShot(0, &window, [&window] {
        QTest::mouseClick(window.vx_button3, Qt::LeftButton);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    QApplication::exec();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(lastClosed.count(), 1);
}

TEST_F(LayoutThemeTest, HeightSpringsBackAndTheGroupsFollowTheWidth) {
    auto& window = openMainWindow();
    const int frame = window.frameGeometry().width() - window.width();
    // First shown 886 wide: each group is the outer width less 32.
    EXPECT_EQ(window.Picture3->width(), 886 + frame - 32);
    const QRect shootBefore = window.vx_button2->geometry();

    window.resize(986, 500);

    EXPECT_EQ(window.size(), QSize(986, 424));
    // 100 pixels wider: 986 + frame − 32, placed at 8 still.
    for (QFrame* group : {window.Picture3, window.Picture5}) {
        EXPECT_EQ(group->width(), 986 + frame - 32);
        EXPECT_EQ(group->x(), 8);
        EXPECT_EQ(group->height(), 123);
    }
    EXPECT_EQ(window.vx_button2->geometry(), shootBefore);
    EXPECT_EQ(window.StatusBar1->geometry(), QRect(0, 407, 986, 17));

    // The narrowest window keeps the groups 4 pixels wide: 36 outer pixels.
    window.resize(1, 424);
    EXPECT_EQ(window.frameGeometry().width(), 36);
    EXPECT_EQ(window.Picture3->width(), 4);
    EXPECT_EQ(window.Picture5->width(), 4);
}

TEST(WallpaperTilingTest, TilesStartTopLeftAndCoverTheAreaRowByRow) {
    const auto origins = cinderloom::wallpaperTileOrigins(64, 64, 886, 424);
    // Columns 0..832 (832 ≤ 886 < 896) and rows 0..384 (384 ≤ 424 < 448).
    ASSERT_EQ(origins.size(), 14u * 7u);
    EXPECT_EQ(origins.front(), QPoint(0, 0));
    EXPECT_EQ(origins[1], QPoint(64, 0));
    EXPECT_EQ(origins[14], QPoint(0, 64));
    EXPECT_EQ(origins.back(), QPoint(832, 384));
    // Both ends are included: an area of exactly one tile still steps to 64.
    EXPECT_EQ(cinderloom::wallpaperTileOrigins(64, 64, 64, 0).size(), 2u);
    EXPECT_TRUE(cinderloom::wallpaperTileOrigins(0, 64, 886, 424).empty());
    EXPECT_TRUE(cinderloom::wallpaperTileOrigins(64, 0, 886, 424).empty());

    // Every tile is drawn at its own size, clipped at the edges.
    QPixmap tile(3, 2);
    tile.fill(Qt::red);
    QImage canvas(7, 5, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        cinderloom::tileWallpaper(painter, tile, canvas.size());
    }
    EXPECT_EQ(canvas.pixelColor(6, 4), QColor(Qt::red));
    EXPECT_EQ(canvas.pixelColor(0, 0), QColor(Qt::red));
}

TEST_F(LayoutThemeTest, BackdropRepeatsTheWallpaperFromTheTopLeftCorner) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // Blue with one red pixel at the tile's own corner: red marks each origin.
    QImage wallpaper(64, 64, QImage::Format_RGB32);
    wallpaper.fill(Qt::blue);
    wallpaper.setPixelColor(0, 0, Qt::red);
    const QString path = folder.filePath("wall.png");
    ASSERT_TRUE(wallpaper.save(path));
    fake().setResult("Tal_WallpaperFilename", path);

    auto& window = openMainWindow();
    const QImage shown = window.grab().toImage();

    // Places no control covers, the last column and row included.
    for (const QPoint origin : {QPoint(0, 0), QPoint(832, 0), QPoint(832, 384), QPoint(0, 384)})
        EXPECT_EQ(shown.pixelColor(origin), QColor(Qt::red)) << origin.x() << "," << origin.y();
    EXPECT_EQ(shown.pixelColor(831, 383), QColor(Qt::blue));
    EXPECT_EQ(shown.pixelColor(885, 406), QColor(Qt::blue));
}

TEST_F(LayoutThemeTest, DefaultThemeColoursWindowCheckBoxAndScrollersOnly) {
    auto& window = openMainWindow();
    const QColor labelText = window.Label1->palette().color(QPalette::WindowText);

    applyTheme(window);

    EXPECT_EQ(window.palette().color(QPalette::Window), kBackdrop);
    EXPECT_EQ(window.Check1->palette().color(QPalette::Window), kBackdrop);
    // Default colours: 10392975, 16777215, 14737632 and 2105376 as 0x00BBGGRR.
    const ScrollerColours expected{kBackdrop, QColor(255, 255, 255), QColor(224, 224, 224),
                                   QColor(32, 32, 32)};
    EXPECT_EQ(coloursOf(*window.HProp1), expected);
    EXPECT_EQ(coloursOf(*window.HProp2), expected);
    EXPECT_EQ(window.Label1->palette().color(QPalette::WindowText), labelText);
    EXPECT_EQ(window.Picture7->BackColor(), QColor(255, 224, 192));
    EXPECT_EQ(window.vx_button2->BackColor(), QColor(255, 192, 128));
    // No wallpaper was given: the backdrop colour shows.
    EXPECT_EQ(window.grab().toImage().pixelColor(832, 384), kBackdrop);
}

TEST_F(LayoutThemeTest, FlatScrollersTakeTheFillForEdgesAndABadColourIsSkippedAlone) {
    auto& window = openMainWindow();
    storeTheme("Borderless_Scrollers", "1");
    storeTheme("Scroll_Fill_Color", "255");
    // A number, but no colour: only the bar keeps its old colour.
    storeTheme("Scroll_Bar_Color", "-1");
    const QColor barBefore = window.HProp1->ForeColor();

    applyTheme(window);

    for (const auto* scroller : {window.HProp1, window.HProp2}) {
        EXPECT_EQ(scroller->BackColor(), QColor(Qt::red));
        EXPECT_EQ(scroller->Highlight(), QColor(Qt::red));
        EXPECT_EQ(scroller->Shadow(), QColor(Qt::red));
        EXPECT_EQ(scroller->ForeColor(), barBefore);
    }
    EXPECT_EQ(window.palette().color(QPalette::Window), kBackdrop);
}

TEST_F(LayoutThemeTest, TextThatIsNoNumberFailsTheCallBeforeAnyColourChanges) {
    auto& window = openMainWindow();
    storeTheme("Ruler_Color", "orange");
    const QColor windowBefore = window.palette().color(QPalette::Window);
    const ScrollerColours scrollerBefore = coloursOf(*window.HProp1);

    try {
        applyTheme(window);
        ADD_FAILURE() << "a word under Ruler_Color was taken";
    } catch (const host::HostCallError& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains("Ruler_Color")) << error.what();
    }
    EXPECT_EQ(window.palette().color(QPalette::Window), windowBefore);
    EXPECT_EQ(coloursOf(*window.HProp1), scrollerBefore);

    // Numbers in the forms users type them are taken: blanks, hexadecimal.
    storeTheme("Ruler_Color", " 12 ");
    storeTheme("Scroll_Fill_Color", "&HFF00");
    applyTheme(window);
    EXPECT_EQ(window.HProp1->BackColor(), QColor(0, 255, 0));
    // A target that is no window is refused by name.
    EXPECT_THROW(window.automation().Invoke("PrefsCallback", {QStringLiteral("window")}),
                 host::HostCallError);
}

} // namespace
} // namespace tests
