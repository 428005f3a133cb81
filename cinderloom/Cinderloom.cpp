#include "cinderloom/Cinderloom.h"

#include "cinderloom/CosmeticHostCalls.h"
#include "cinderloom/Film.h"
#include "cinderloom/FilmActions.h"
#include "cinderloom/FilmPlayback.h"
#include "cinderloom/FrameRetrieval.h"
#include "cinderloom/RetrievedCells.h"
#include "cinderloom/ViewEvents.h"
#include "maker/widgets/HPropScroller.h"
#include "maker/widgets/VxButton.h"
#include "platform/FatalError.h"
#include "platform/MessageBox.h"
#include "plugin/Twips.h"

#include <QCloseEvent>
#include <QImageReader>
#include <QLabel>
#include <QPixmap>

namespace cinderloom {
namespace {

const QString kRetrieveWarning =
    QStringLiteral("Warning, retrieving can change your frame list if the order of the original "
                   "has changed.\nAdd frames to the end of the original, for best results");

} // namespace

Cinderloom::Cinderloom(host::AutomationObject& hostObject, RetrievedCells& cells, Film& film,
                       FilmHistory& history, ViewState& view, QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      host_(hostObject), cells_(cells), film_(film), history_(history), view_(view),
      automation_(*this, operations()) {
    // Qt leaves tool windows out when it decides whether the last window has
    // closed; this one is the program's last window, so it counts again.
    setAttribute(Qt::WA_QuitOnClose, true);
    setWindowTitle(QStringLiteral("Cinderloom"));
    resize(886, 424);
    createControls();
    connect(vx_button1, &maker::VxButton::Click, this, &Cinderloom::vx_button1_Click);
    connect(vx_button2, &maker::VxButton::Click, this, &Cinderloom::vx_button2_Click);
    connect(vx_button3, &maker::VxButton::Click, this, &Cinderloom::vx_button3_Click);
    connectViews();
    createActions();
}

Cinderloom::~Cinderloom() = default;

void Cinderloom::Form_Load() {
    platform::runOrEnd(QStringLiteral("Form_Load"), [this] {
        loadWallpaper();
        formHeightAtLoad_ = plugin::pixelsToTwips(frameGeometry().height());
        showCellsAndFilm();
    });
}

void Cinderloom::loadWallpaper() {
    // The backdrop is decoration: no host answer, no file and no readable
    // picture all leave Image1 empty, without a word.
    std::optional<QString> path;
    ignoringHostCallFailure([&] {
        const host::Variant fileName = host_.Invoke(QStringLiteral("Tal_WallpaperFilename"));
        if (const QString* named = std::get_if<QString>(&fileName))
            path = *named;
    });
    if (!path)
        return;
    const QImage picture = QImageReader(*path).read();
    if (picture.isNull())
        return;
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->resize(picture.size());
}

void Cinderloom::showCellsAndFilm() {
    HProp1->setRange(cells_.sizes().count);
    HProp2->setRange(film_.length());
    Picture1_Paint();
    Picture2_Paint();
}

void Cinderloom::vx_button1_Click() {
    platform::runOrEnd(QStringLiteral("vx_button1_Click"), [this] {
        const auto answer =
            platform::showMessageBox(kRetrieveWarning, platform::MessageBoxButtons::OkCancel,
                                     platform::MessageBoxIcon::Information);
        if (answer != platform::MessageBoxAnswer::Ok)
            return;
        retrieveFrames(host_, cells_);
        showCellsAndFilm();
        updateActionStates();
    });
}

void Cinderloom::vx_button3_Click() {
    platform::runOrEnd(QStringLiteral("vx_button3_Click"), [this] { close(); });
}

void Cinderloom::closeEvent(QCloseEvent* event) {
    const auto answer = platform::showMessageBox(QStringLiteral("Exit Cinderloom"),
                                                 platform::MessageBoxButtons::YesNo,
                                                 platform::MessageBoxIcon::Information);
    if (answer != platform::MessageBoxAnswer::Yes) {
        event->ignore();
        return;
    }
    // The playback window would outlive the program's last window.
    playback_->stop();
    event->accept();
}

} // namespace cinderloom
