#include "platform/FileChooser.h"

#include "platform/Attendance.h"

#include <QFileDialog>

namespace platform {

namespace {

bool refuseUnattended(const QString& caption) {
    if (personCanAnswer())
        return false;
    reportUnanswered(caption, QStringLiteral("no file dialog opened, nothing chosen"));
    return true;
}

} // namespace

QString chooseFileToOpen(QWidget* parent, const QString& caption) {
    if (refuseUnattended(caption))
        return {};
    return QFileDialog::getOpenFileName(parent, caption);
}

QString chooseFolder(QWidget* parent, const QString& caption) {
    if (refuseUnattended(caption))
        return {};
    return QFileDialog::getExistingDirectory(parent, caption);
}

} // namespace platform
