#include "platform/Attendance.h"

#include "platform/ProgramTitle.h"

#include <QGuiApplication>
#include <cstdio>

namespace platform {

bool personCanAnswer() {
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void reportUnanswered(const QString& text, const QString& whatHappened) {
    std::fprintf(stderr, "%s: %s [no one can answer on the %s platform: %s]\n",
                 qPrintable(programTitle()), qPrintable(text),
                 qPrintable(QGuiApplication::platformName()), qPrintable(whatHappened));
    std::fflush(stderr);
}

} // namespace platform
