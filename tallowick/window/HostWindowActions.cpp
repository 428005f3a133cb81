#include "platform/FileChooser.h"
#include "platform/Hourglass.h"
#include "platform/MessageBox.h"
#include "tallowick/calls/WindowCaller.h"
#include "tallowick/documents/DocumentSaving.h"
#include "tallowick/documents/PictureLoading.h"
#include "tallowick/model/HostModel.h"
#include "tallowick/plugins/PluginPrograms.h"
#include "tallowick/recovery/AbandonedWork.h"
#include "tallowick/window/HostWindow.h"

#include <QMenuBar>
#include <QStatusBar>

namespace tallowick {

namespace {

// Closes the progress display when a long command ends, also when an error
// passes through.
class ProgressScope {
public:
    ProgressScope(ProgressDisplay& display, const QString& caption) : display_(display) {
        display_.open(caption);
    }
    ~ProgressScope() { display_.close(); }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

private:
    ProgressDisplay& display_;
};

constexpr int kStatusMessageMs = 4000;

} // namespace

void HostWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("Open &animation folder..."), this, &HostWindow::openAnimationFolder);
    file->addAction(tr("&Open picture..."), QKeySequence::Open, this, &HostWindow::openPicture);
    file->addAction(tr("Load &brush..."), this, &HostWindow::loadBrushPicture);
    file->addAction(tr("&Save all documents as PNG..."), this, &HostWindow::saveAllDocuments);
    file->addSeparator();
    file->addAction(tr("&Close"), QKeySequence::Close, this, &QWidget::close);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    QAction* undoAction = edit->addAction(tr("&Undo"), QKeySequence::Undo, this, &HostWindow::undo);
    undoAction->setObjectName(QStringLiteral("undoAction"));

    QMenu* plugins = menuBar()->addMenu(tr("&Plug-ins"));
    // A disabled item says why in its tool tip (see reportBusLost).
    plugins->setToolTipsVisible(true);
    pluginMenu_ = plugins->addMenu(tr("&Start plug-in"));
    pluginMenu_->setObjectName(QStringLiteral("pluginMenu"));
    connect(pluginMenu_, &QMenu::aboutToShow, this, &HostWindow::fillPluginMenu);
    plugins->addAction(tr("Re-apply &theme"), this, &HostWindow::reapplyTheme);
}

void HostWindow::openAnimationFolder() {
    const QString folder = chooseFolder_(this, tr("Open animation folder"));
    if (!folder.isEmpty())
        openDocument(folder);
}

void HostWindow::openPicture() {
    // A multi-frame picture opens as an animation, any other as a still.
    const QString path = choosePictureFile_(this, tr("Open picture"));
    if (!path.isEmpty())
        openDocument(path);
}

void HostWindow::openDocument(const QString& path) {
    try {
        const platform::HourglassGuard hourglass;
        const ProgressScope progress(model_.progress(), tr("Opening %1...").arg(path));
        model_.documents().add(loadAnimation(path, model_.memoryBudget(), [this](double percent) {
            model_.progress().setPercent(percent);
        }));
    } catch (const std::exception& error) {
        reportError(QString::fromStdString(error.what()));
    }
}

void HostWindow::loadBrushPicture() {
    const QString path = choosePictureFile_(this, tr("Load brush"));
    if (path.isEmpty())
        return;
    try {
        model_.painting().setBrush(loadBrush(path));
    } catch (const std::exception& error) {
        reportError(QString::fromStdString(error.what()));
    }
}

void HostWindow::saveAllDocuments() {
    const QString folder = chooseFolder_(this, tr("Save all documents into"));
    if (folder.isEmpty())
        return;
    try {
        const platform::HourglassGuard hourglass;
        const ProgressScope progress(model_.progress(), tr("Saving documents..."));
        saveDocuments(model_.documents().all(), folder,
                      [this](double percent) { model_.progress().setPercent(percent); });
        statusBar()->showMessage(tr("Saved every document under %1").arg(folder), kStatusMessageMs);
    } catch (const std::exception& error) {
        reportError(QString::fromStdString(error.what()));
    }
}

void HostWindow::reportBusLost(const QString& reason) {
    // A plug-in started now could not reach the host; the theme is the
    // window's own and stays.
    const QString why = tr("Plug-ins cannot be started: Tallowick is no longer on the session "
                           "bus, so they could not reach it.\nWhat happened: %1.")
                            .arg(reason);
    QAction* start = pluginMenu_->menuAction();
    start->setEnabled(false);
    start->setToolTip(why);
    start->setStatusTip(why);
    const platform::MessageBoxAnswer answer = platform::showMessageBox(
        tr("Tallowick is no longer on the session bus: %1.\n\nPlug-ins cannot reach it any "
           "more. Save the open documents now?")
            .arg(reason),
        platform::MessageBoxButtons::YesNo, platform::MessageBoxIcon::Critical,
        platform::MessageBoxAnswer::Yes);
    if (answer == platform::MessageBoxAnswer::Yes)
        saveAllDocuments();
}

void HostWindow::offerRecovery(std::vector<AbandonedFolder>& folders, OwnRecoveryFolder& own) {
    if (folders.empty())
        return;
    const platform::MessageBoxAnswer answer = platform::showMessageBox(
        recoveryQuestion(folders), platform::MessageBoxButtons::YesNoCancel,
        platform::MessageBoxIcon::Information, platform::MessageBoxAnswer::Yes);
    std::vector<QString> problems;
    if (answer == platform::MessageBoxAnswer::Yes) {
        const platform::HourglassGuard hourglass;
        const ProgressScope progress(model_.progress(), tr("Reopening the recovered work..."));
        problems =
            reopenAbandonedWork(folders, model_.documents(), model_.memoryBudget(), own,
                                [this](double percent) { model_.progress().setPercent(percent); });
    } else if (answer == platform::MessageBoxAnswer::No) {
        problems = discardAbandonedWork(folders);
    }
    if (!problems.empty())
        reportError(tr("Not all of the recovered work could be reopened or discarded:\n\n%1")
                        .arg(QStringList(problems.begin(), problems.end()).join(u'\n')));
}

void HostWindow::undo() {
    if (!model_.undo())
        statusBar()->showMessage(tr("Nothing to undo"), kStatusMessageMs);
}

void HostWindow::fillPluginMenu() {
    // The submenus of the last listing are children of the menu, which
    // clear() leaves alone; without this every opening would add a set.
    for (QMenu* old : pluginMenu_->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        delete old;
    pluginMenu_->clear();
    const QStringList names = findPlugins(model_.appDir());
    if (names.isEmpty()) {
        pluginMenu_->addAction(tr("No plug-ins beside the host"))->setEnabled(false);
        return;
    }
    for (const QString& name : names)
        addPluginEntry(name);
}

// One submenu per plug-in with its three ways to start, each action named
// "<way>:<plug-in>" so that it can be found.
void HostWindow::addPluginEntry(const QString& program) {
    QMenu* entry = pluginMenu_->addMenu(program);
    entry->setObjectName(QStringLiteral("plugin:") + program);
    const auto addWay = [&](const QString& way, const QString& text, auto command) {
        entry->addAction(text, this, command)->setObjectName(way + QLatin1Char(':') + program);
    };
    addWay(QStringLiteral("start"), tr("Start"),
           [this, program] { emit pluginLaunchRequested(program, std::nullopt); });
    addWay(QStringLiteral("startWithPicture"), tr("Start with a picture..."),
           [this, program] { startPluginOnPicture(program); });
    addWay(QStringLiteral("startWithClipboard"), tr("Start with the clipboard picture"),
           [this, program] {
               emit pluginLaunchRequested(program, QString::fromLatin1(kClipboardArgument));
           });
}

void HostWindow::startPluginOnPicture(const QString& program) {
    const QString path = choosePictureFile_(this, tr("Start %1 with a picture").arg(program));
    if (!path.isEmpty())
        emit pluginLaunchRequested(program, path);
}

void HostWindow::reapplyTheme() {
    applyThemeToHeldWindows(windows_, model_.heldWindows());
    statusBar()->showMessage(tr("Theme sent to %n window(s)", nullptr,
                                static_cast<int>(model_.heldWindows().all().size())),
                             kStatusMessageMs);
}

void HostWindow::reportError(const QString& text) {
    platform::showMessageBox(text, platform::MessageBoxButtons::Ok,
                             platform::MessageBoxIcon::Critical);
}

} // namespace tallowick
