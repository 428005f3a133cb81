#include "packaging/manual/ManualPage.h"

#include "link/DBusWire.h"
#include "tallowick/startup/CommandLine.h"
#include "tallowick/startup/ExitStatus.h"

#include <QRegularExpression>

namespace manual {

namespace {

// One line of text, with no line break in it.
QString roffLine(const QString& line) {
    QString escaped = line;
    escaped.replace(u'\\', QStringLiteral("\\e"));
    // An option starts a word; every dash in it is one the reader types.
    static const QRegularExpression option(
        QStringLiteral("(^|[\\s(\"])(--[A-Za-z0-9][A-Za-z0-9-]*)"));
    QString typed;
    qsizetype copied = 0;
    for (const QRegularExpressionMatch& match : option.globalMatch(escaped)) {
        typed += escaped.mid(copied, match.capturedStart(2) - copied);
        typed += match.captured(2).replace(u'-', QStringLiteral("\\-"));
        copied = match.capturedEnd(2);
    }
    typed += escaped.mid(copied);
    if (typed.startsWith(u'.') || typed.startsWith(u'\''))
        typed.prepend(QStringLiteral("\\&"));
    return typed;
}

// "PROGRAM [ARG]": the words a user replaces in italics, the rest as typed.
QString roffValue(const QString& value) {
    static const QRegularExpression placeholder(QStringLiteral("([A-Z]+)"));
    QString text = roffLine(value);
    text.replace(placeholder, QStringLiteral("\\fI\\1\\fR"));
    return text;
}

QString section(const QString& name) {
    return QStringLiteral(".SH ") + name + u'\n';
}

QString paragraph(const QString& text) {
    return QStringLiteral(".PP\n") + roffText(text) + u'\n';
}

// A tagged paragraph: `tag` is roff already.
QString taggedParagraph(const QString& tag, const QString& text) {
    return QStringLiteral(".TP\n") + tag + u'\n' + roffText(text) + u'\n';
}

QString optionsSection() {
    QString text = section(QStringLiteral("OPTIONS"));
    for (const tallowick::OptionDescription& option : tallowick::optionDescriptions()) {
        QString tag =
            QStringLiteral("\\fB") + roffLine(QString(option.name)) + QStringLiteral("\\fR");
        if (!option.value.isEmpty())
            tag += u' ' + roffValue(QString(option.value));
        text += taggedParagraph(tag, QString(option.text));
    }
    return text;
}

QString exitStatusSection() {
    QString text = section(QStringLiteral("EXIT STATUS"));
    for (const tallowick::ExitStatusDescription& exit : tallowick::kExitStatuses)
        text += taggedParagraph(QStringLiteral("\\fB%1\\fR").arg(exit.status),
                                QString(exit.meaning) + u'.');
    return text;
}

} // namespace

QStringList paragraphsOf(const QString& text) {
    QStringList paragraphs;
    QStringList lines;
    const auto finish = [&] {
        if (!lines.isEmpty())
            paragraphs.append(lines.join(u' '));
        lines.clear();
    };
    for (const QString& line : text.split(u'\n')) {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty())
            finish();
        else
            lines.append(trimmed);
    }
    finish();
    return paragraphs;
}

QString roffText(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(u'\n'))
        lines.append(roffLine(line));
    return lines.join(QStringLiteral("\n.br\n"));
}

QString manualPage(const ManualFacts& facts) {
    QString page;
    page += QStringLiteral(".\\\" Written by tallowick-manual from the option table of\n"
                           ".\\\" tallowick/startup/CommandLine.cpp; edit that, not this page.\n");
    page += QStringLiteral(".TH TALLOWICK 1 %1 \"tallowick %2\" \"User Commands\"\n")
                .arg(facts.date, roffLine(facts.version));
    // The option texts are compared word for word with --help's, so no word
    // is broken across lines; lines are left ragged rather than stretched
    // around a long word.
    page += QStringLiteral(".nh\n.ad l\n");
    page += section(QStringLiteral("NAME"));
    page += QStringLiteral("tallowick \\- ") + roffLine(facts.summary) + u'\n';
    page += section(QStringLiteral("SYNOPSIS"));
    page += QStringLiteral(".B tallowick\n[\\fIoptions\\fR]\n");

    page += section(QStringLiteral("DESCRIPTION"));
    for (const QString& text : facts.description)
        page += paragraph(text);
    page += paragraph(
        QStringLiteral("The host serves its automation object on the session bus under the name "
                       "%1, and starts its plug-ins, the programs named *_pm in %2, from its "
                       "Plug-ins menu or with --run. Without --headless it needs a display.")
            .arg(host::dbus::kHostService, facts.applicationDir));
    page += optionsSection();
    page += exitStatusSection();

    page += section(QStringLiteral("ENVIRONMENT"));
    page += taggedParagraph(QStringLiteral(".B DBUS_SESSION_BUS_ADDRESS"),
                            QStringLiteral("the session bus the host serves on and its plug-ins "
                                           "call it over."));
    page += taggedParagraph(QStringLiteral(".BR DISPLAY \", \" WAYLAND_DISPLAY"),
                            QStringLiteral("the display the host's window and the plug-ins' "
                                           "windows show on."));
    page += taggedParagraph(QStringLiteral(".B QT_QPA_PLATFORM"),
                            QStringLiteral("the window system platform, for the host and its "
                                           "plug-ins alike; offscreen needs no display."));

    page += section(QStringLiteral("FILES"));
    page += taggedParagraph(QStringLiteral(".I ") + roffLine(facts.applicationDir),
                            QStringLiteral("the host, its plug-ins, and the filter and scaling "
                                           "libraries the plug-ins bind at run time."));
    page += taggedParagraph(QStringLiteral(".I ~/.local/share/tallowick/wallpaper.png"),
                            QStringLiteral("the built-in wallpaper, written at start without "
                                           "--wallpaper (under $XDG_DATA_HOME when it is set)."));
    page += taggedParagraph(QStringLiteral(".I ~/.config/tallowick.conf"),
                            QStringLiteral("the plug-ins' settings (under $XDG_CONFIG_HOME when "
                                           "it is set)."));
    page += taggedParagraph(QStringLiteral(".I ") + roffLine(facts.interfaceFile),
                            QStringLiteral("the automation interface: what a program sends the "
                                           "host and what it answers."));

    page += section(QStringLiteral("SEE ALSO"));
    page += QStringLiteral(".BR dbus-daemon (1)\n");
    return page;
}

} // namespace manual
