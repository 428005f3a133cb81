#pragma once

#include <QString>
#include <QStringList>

// The host's manual page, written from the option table that `--help` prints
// and the exit statuses main returns, so that the page cannot drift from the
// program.
namespace manual {

// What the page says beyond those tables, as the build knows it.
struct ManualFacts {
    QString version;
    // The release's date, YYYY-MM-DD.
    QString date;
    QString summary;
    // The package's description, one paragraph an entry.
    QStringList description;
    // Where the package puts the host and its plug-ins, and the automation
    // interface's description.
    QString applicationDir;
    QString interfaceFile;
};

// Paragraphs of plain text: separated by blank lines, each one's lines joined
// by single spaces.
QStringList paragraphsOf(const QString& text);

// `text` as roff takes it literally: backslashes kept, the dashes of an
// option ("--save-dir") typed as the minus signs a reader types, and a
// leading "." or "'" not taken for a request. A "\n" ends a line early.
QString roffText(const QString& text);

// The page, in the man macros.
QString manualPage(const ManualFacts& facts);

} // namespace manual
