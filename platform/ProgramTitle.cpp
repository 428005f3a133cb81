#include "platform/ProgramTitle.h"

#include <QCoreApplication>
#include <utility>

namespace platform {
namespace {

// Process-wide, like the program's name; used from the GUI thread only.
QString& titleSet() {
    static QString title;
    return title;
}

} // namespace

QString setProgramTitle(QString title) {
    return std::exchange(titleSet(), std::move(title));
}

QString programTitle() {
    const QString& title = titleSet();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

} // namespace platform
