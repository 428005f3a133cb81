#pragma once

#include <QString>

class QWidget;

namespace platform {

// The file dialogs a user opens from a menu. Where no person can answer
// (see personCanAnswer) no dialog opens: the request goes to standard error
// and the answer is empty, as when the user cancels.

// Asks for an existing file to open, titled `caption`; empty when cancelled.
QString chooseFileToOpen(QWidget* parent, const QString& caption);

// Asks for an existing folder, titled `caption`; empty when cancelled.
QString chooseFolder(QWidget* parent, const QString& caption);

} // namespace platform
