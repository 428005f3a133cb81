// Every text of the program's windows shows whole in its designed box, in
// the font the window is actually shown in.
#include "tests/support/TextFit.h"

#include "marrowset/Form1.h"
#include "marrowset/Form2.h"
#include "tests/marrowset/MarrowsetTestSupport.h"

namespace tests {
namespace {

TEST_F(MarrowsetTest, EveryTextOfTheMainWindowAndTheMenuHolderFitsItsBox) {
    const TextFit main = measureTexts(openWindow());
    // The Functions... button; the eyedropper shows a picture only.
    EXPECT_EQ(main.checked, 1);
    for (const QString& cut : main.cut)
        ADD_FAILURE() << cut.toStdString();

    // The menu holder is never shown and holds no text of a fixed box; its
    // pop-up menu sizes itself to its items.
    const TextFit holder = measureTexts(menu());
    for (const QString& cut : holder.cut)
        ADD_FAILURE() << cut.toStdString();
}

} // namespace
} // namespace tests
