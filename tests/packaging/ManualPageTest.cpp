#include "packaging/manual/ManualPage.h"

#include "tallowick/startup/CommandLine.h"
#include "tallowick/startup/ExitStatus.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using manual::roffText;

manual::ManualFacts someFacts() {
    return {.version = "1.2.3",
            .date = "2026-12-08",
            .summary = "Paint pictures",
            .description = {"First paragraph.", ".Starts like a request"},
            .applicationDir = "/usr/lib/tallowick",
            .interfaceFile = "/usr/share/dbus-1/interfaces/Tallowick.Automation.xml"};
}

TEST(ManualPage, TextIsTakenLiterally) {
    // A line that starts with a control character would be a request.
    EXPECT_EQ(roffText(".hidden"), "\\&.hidden");
    EXPECT_EQ(roffText("'hidden"), "\\&'hidden");
    EXPECT_EQ(roffText("a\\fBb"), "a\\efBb");
    // Options as the reader types them; hyphens within words stay hyphens.
    EXPECT_EQ(roffText("with --save-dir, (--run) or \"--trace\""),
              "with \\-\\-save\\-dir, (\\-\\-run) or \"\\-\\-trace\"");
    EXPECT_EQ(roffText("--headless"), "\\-\\-headless");
    EXPECT_EQ(roffText("one multi-frame plug-in"), "one multi-frame plug-in");
    // A line ended early, and a request character after the break.
    EXPECT_EQ(roffText("first\n.second"), "first\n.br\n\\&.second");
}

TEST(ManualPage, ParagraphsAreJoinedLinesBetweenBlankOnes) {
    EXPECT_EQ(manual::paragraphsOf("one\n  two\n\n\n three\n"), (QStringList{"one two", "three"}));
    EXPECT_EQ(manual::paragraphsOf("\n\n"), QStringList{});
}

TEST(ManualPage, ListsEveryOptionAndExitStatusUnderItsTag) {
    const QString page = manual::manualPage(someFacts());
    for (const tallowick::OptionDescription& option : tallowick::optionDescriptions()) {
        const QString name = QString(option.name).replace('-', "\\-");
        const QString tag = QStringLiteral(".TP\n\\fB%1\\fR").arg(name);
        EXPECT_TRUE(page.contains(tag)) << name.toStdString();
        EXPECT_TRUE(page.contains(roffText(QString(option.text)))) << name.toStdString();
    }
    EXPECT_TRUE(page.contains(".TP\n\\fB\\-\\-run\\fR \\fIPROGRAM\\fR [\\fIARG\\fR]\n"));
    for (const tallowick::ExitStatusDescription& exit : tallowick::kExitStatuses)
        EXPECT_TRUE(page.contains(QStringLiteral(".TP\n\\fB%1\\fR\n").arg(exit.status)))
            << exit.status;
}

TEST(ManualPage, NamesTheVersionDateSummaryAndPaths) {
    const QString page = manual::manualPage(someFacts());
    EXPECT_TRUE(
        page.contains("\n.TH TALLOWICK 1 2026-12-08 \"tallowick 1.2.3\" \"User Commands\"\n"));
    // The whatis entry: the name, an escaped dash, the summary.
    EXPECT_TRUE(page.contains("\n.SH NAME\ntallowick \\- Paint pictures\n"));
    EXPECT_TRUE(page.contains(".PP\nFirst paragraph.\n.PP\n\\&.Starts like a request\n"));
    EXPECT_TRUE(page.contains("\n.I /usr/lib/tallowick\n"));
    EXPECT_TRUE(page.contains("\n.I /usr/share/dbus-1/interfaces/Tallowick.Automation.xml\n"));
}

TEST(ManualPage, EveryLineIsTextOrAKnownRequest) {
    // A text line taken for an unknown request would vanish from the page.
    static const QRegularExpression request(
        QStringLiteral("^\\.(\\\\\"|TH|SH|PP|TP|B|BR|I|br|nh|ad)( |$)"));
    const QStringList lines = manual::manualPage(someFacts()).split('\n');
    for (const QString& line : lines) {
        if (line.startsWith('.') || line.startsWith('\'')) {
            EXPECT_TRUE(request.match(line).hasMatch()) << line.toStdString();
        }
    }
}

} // namespace
