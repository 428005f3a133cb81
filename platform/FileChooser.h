#pragma once

#include <QString>

class QWidget;

namespace platform {

// The file dialogs a user opens from a menu. Where no person can answer
// (see personCanAnswer) no dialog opens: the request goes to standard error
// and the answer is empty, as when the user cancels.

// Asks for an existing file to open, titled `caption`; empty when cancelled.
QString chooseFileToOpen(QWidget* parent, const QString& caption);

// Asks for a file to save into, titled `caption`, offering the files
// `filter` names; a name typed without a suffix gets `defaultSuffix` (no
// dot). The dialog asks before an existing file is chosen. Empty when
// cancelled.
QString chooseFileToSave(QWidget* parent, const QString& caption, const QString& filter,
                         const QString& defaultSuffix);

// Asks for an existing folder, titled `caption`; empty when cancelled.
QString chooseFolder(QWidget* parent, const QString& caption);

} // namespace platform
