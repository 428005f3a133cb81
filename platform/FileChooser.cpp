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

QString chooseFileToSave(QWidget* parent, const QString& caption, const QString& filter,
                         const QString& defaultSuffix) {
    if (refuseUnattended(caption))
        return {};
    // The static helper cannot add a default suffix.
    QFileDialog dialog(parent, caption, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString chooseFolder(QWidget* parent, const QString& caption) {
    if (refuseUnattended(caption))
        return {};
    return QFileDialog::getExistingDirectory(parent, caption);
}

} // namespace platform
