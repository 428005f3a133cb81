// Every text of both windows shows whole in its designed box, in the font
// the window is actually shown in.
#include "tests/support/TextFit.h"

#include "cinderloom/CLOptions.h"
#include "cinderloom/Cinderloom.h"
#include "plugin/DesignFonts.h"
#include "tests/cinderloom/CinderloomTestSupport.h"

#include <QFontInfo>

namespace tests {
namespace {

void expectAllTextsFit(const QWidget& window, int atLeast) {
    const TextFit fit = measureTexts(window);
    // The walk must have reached the window's texts, or it proves nothing.
    EXPECT_GE(fit.checked, atLeast);
    for (const QString& cut : fit.cut)
        ADD_FAILURE() << cut.toStdString();
}

TEST_F(CinderloomTest, EveryTextOfTheOptionsDialogFitsItsBox) {
    startUp();
    ASSERT_NE(module->optionsDialog(), nullptr);
    // The label and the Ok button.
    expectAllTextsFit(*module->optionsDialog(), 2);
}

TEST_F(CinderloomTest, EveryTextOfTheMainWindowFitsItsBox) {
    // Five labels and three captioned buttons.
    expectAllTextsFit(openMainWindow(), 8);
}

TEST(DesignFonts, BothFacesTakeTheFirstFamilyWithArialsWidthsAtTheDesignSize) {
    for (const auto face : {plugin::DesignFace::MsSansSerif, plugin::DesignFace::Arial}) {
        const QFont both =
            plugin::designFontAmong(face, {"DejaVu Sans", "Arimo", "Liberation Sans"});
        EXPECT_EQ(both.family(), "Liberation Sans");
        EXPECT_EQ(both.pointSizeF(), plugin::kDesignPointSize);
        EXPECT_EQ(plugin::designFontAmong(face, {"Arimo"}).family(), "Arimo");
    }
}

// Without a family of Arial's widths the usual substitute, DejaVu Sans, is
// too wide at the design size; made smaller, it fits the boxes again.
class FallbackFontTest : public CinderloomTest {
protected:
    void SetUp() override {
        if (QFontInfo(QFont(kFallback)).family() != kFallback)
            GTEST_SKIP() << "DejaVu Sans is not installed";
    }
    static inline const QString kFallback = QStringLiteral("DejaVu Sans");
};

TEST_F(FallbackFontTest, TheNarrowedFallbackFitsWhereTheDesignSizeIsCut) {
    const QFont fitted = plugin::fittedToDesignWidths(QFont(kFallback));
    EXPECT_LT(fitted.pointSizeF(), plugin::kDesignPointSize);

    auto& window = openMainWindow();
    auto& dialog = *module->optionsDialog();
    QFont designSize(kFallback);
    designSize.setPointSizeF(plugin::kDesignPointSize);
    // The check itself must see the cut texts the design size gives.
    window.setFont(designSize);
    EXPECT_FALSE(measureTexts(window).cut.empty());

    window.setFont(fitted);
    dialog.setFont(fitted);
    expectAllTextsFit(window, 8);
    expectAllTextsFit(dialog, 2);
}

} // namespace
} // namespace tests
