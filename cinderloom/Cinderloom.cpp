#include "cinderloom/Cinderloom.h"

#include "cinderloom/Module1.h"
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

void expectArgumentCount(const QString& method, const std::vector<host::Variant>& args,
                         std::size_t count) {
    if (args.size() != count)
        throw host::HostCallError(
            method, QStringLiteral("takes %1 argument(s), %2 given").arg(count).arg(args.size()));
}

} // namespace

Cinderloom::Cinderloom(Module1& module, QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      module_(module) {
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
}

host::Variant Cinderloom::Invoke(const QString& method, const std::vector<host::Variant>& args) {
    const auto is = [&method](const char* name) {
        return method.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    };
    if (is("PrefsCallback")) {
        expectArgumentCount(method, args, 1);
        try {
            PrefsCallback(args.front());
        } catch (const std::exception& error) {
            throw host::HostCallError(method, QString::fromUtf8(error.what()));
        }
    } else if (is("Picture1_Paint")) {
        expectArgumentCount(method, args, 0);
        platform::runOrEnd(method, [this] { Picture1_Paint(); });
    } else if (is("Picture2_Paint")) {
        expectArgumentCount(method, args, 0);
        platform::runOrEnd(method, [this] { Picture2_Paint(); });
    } else {
        throw host::UnknownOperationError(
            method, QStringLiteral("the main window has no operation of that name"));
    }
    return host::Empty{};
}

void Cinderloom::Form_Load() {
    platform::runOrEnd(QStringLiteral("Form_Load"), [this] {
        loadWallpaper();
        module_.formHeightAtLoad = plugin::pixelsToTwips(frameGeometry().height());
        module_.redrawSlot = -1;
        setScrollerRanges();
        Picture1_Paint();
        module_.redrawSlot = -1;
        Picture2_Paint();
    });
}

void Cinderloom::loadWallpaper() {
    // The backdrop is decoration: no host answer, no file and no readable
    // picture all leave Image1 empty, without a word.
    try {
        const host::Variant fileName =
            module_.hostObject().Invoke(QStringLiteral("Tal_WallpaperFilename"));
        const QString* path = std::get_if<QString>(&fileName);
        if (!path)
            return;
        const QImage picture = QImageReader(*path).read();
        if (picture.isNull())
            return;
        Image1->setPixmap(QPixmap::fromImage(picture));
        Image1->resize(picture.size());
    } catch (const std::exception&) {
    }
}

void Cinderloom::setScrollerRanges() {
    HProp1->setRange(module_.cellCount);
    HProp2->setRange(module_.filmLength);
}

void Cinderloom::vx_button1_Click() {
    platform::runOrEnd(QStringLiteral("vx_button1_Click"), [this] {
        const auto answer =
            platform::showMessageBox(kRetrieveWarning, platform::MessageBoxButtons::OkCancel,
                                     platform::MessageBoxIcon::Information);
        if (answer != platform::MessageBoxAnswer::Ok)
            return;
        module_.RetrieveFrames();
        setScrollerRanges();
        Picture1_Paint();
        module_.redrawSlot = -1;
        Picture2_Paint();
    });
}

void Cinderloom::vx_button3_Click() {
    platform::runOrEnd(QStringLiteral("vx_button3_Click"), [this] { close(); });
}

void Cinderloom::closeEvent(QCloseEvent* event) {
    const auto answer = platform::showMessageBox(QStringLiteral("Exit Cinderloom"),
                                                 platform::MessageBoxButtons::YesNo,
                                                 platform::MessageBoxIcon::Information);
    if (answer == platform::MessageBoxAnswer::Yes)
        event->accept();
    else
        event->ignore();
}

} // namespace cinderloom
