// Writes the host's manual page at build time:
//
//   tallowick-manual OUTPUT --date YYYY-MM-DD --summary TEXT
//       --description-file FILE --application-dir DIR --interface-file FILE
#include "packaging/manual/ManualPage.h"
#include "version/Version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>
#include <cstdio>

namespace {

int fail(const QString& text) {
    std::fprintf(stderr, "tallowick-manual: %s\n", qPrintable(text));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("output"), QStringLiteral("the page to write"));
    const QStringList required = {
        QStringLiteral("date"), QStringLiteral("summary"), QStringLiteral("description-file"),
        QStringLiteral("application-dir"), QStringLiteral("interface-file")};
    for (const QString& name : required)
        parser.addOption(QCommandLineOption(name, name, QStringLiteral("value")));
    if (!parser.parse(application.arguments()))
        return fail(parser.errorText());
    if (parser.positionalArguments().size() != 1)
        return fail(QStringLiteral("expected one output file, got %1 arguments")
                        .arg(parser.positionalArguments().size()));
    for (const QString& name : required)
        if (parser.value(name).isEmpty())
            return fail(QStringLiteral("--%1 is missing").arg(name));

    QFile descriptionFile(parser.value(QStringLiteral("description-file")));
    if (!descriptionFile.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("%1: %2").arg(descriptionFile.fileName(),
                                                 descriptionFile.errorString()));
    const manual::ManualFacts facts{
        .version = QString::fromLatin1(version::kProjectVersion),
        .date = parser.value(QStringLiteral("date")),
        .summary = parser.value(QStringLiteral("summary")),
        .description = manual::paragraphsOf(QString::fromUtf8(descriptionFile.readAll())),
        .applicationDir = parser.value(QStringLiteral("application-dir")),
        .interfaceFile = parser.value(QStringLiteral("interface-file")),
    };

    // Written whole or not at all, so that a failed run leaves no page the
    // build would take as current.
    QSaveFile page(parser.positionalArguments().first());
    if (!page.open(QIODevice::WriteOnly) || page.write(manual::manualPage(facts).toUtf8()) < 0 ||
        !page.commit())
        return fail(QStringLiteral("%1: %2").arg(page.fileName(), page.errorString()));
    return 0;
}
