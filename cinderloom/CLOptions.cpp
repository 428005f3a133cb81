#include "cinderloom/CLOptions.h"

#include "cinderloom/Module1.h"
#include "platform/FatalError.h"
#include "platform/MessageBox.h"
#include "platform/TextToNumber.h"
#include "plugin/DesignFonts.h"
#include "plugin/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <new>
#include <stdexcept>

namespace cinderloom {
namespace {

void placeInTwips(QWidget& control, int left, int top, int width, int height) {
    control.setGeometry(plugin::twipsToPixels(left), plugin::twipsToPixels(top),
                        plugin::twipsToPixels(width), plugin::twipsToPixels(height));
}

void refuse(const QString& reason) {
    platform::showMessageBox(reason, platform::MessageBoxButtons::Ok,
                             platform::MessageBoxIcon::Information);
}

} // namespace

CLOptions::CLOptions(Module1& module, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      module_(module) {
    setWindowTitle(QStringLiteral("Cinderloom options..."));
    setFont(plugin::designFont());
    setFixedSize(plugin::twipsToPixels(5175), plugin::twipsToPixels(2040));

    Label1 = new QLabel(QStringLiteral("Number of frames of new anim"), this);
    placeInTwips(*Label1, 450, 660, 2265, 225);
    Text1 = new QLineEdit(QStringLiteral("30"), this);
    placeInTwips(*Text1, 2820, 630, 1245, 285);
    Command1 = new QPushButton(QStringLiteral("Ok"), this);
    placeInTwips(*Command1, 1830, 1560, 1515, 285);

    setTabOrder(Text1, Command1);
    Text1->setFocus();
    connect(Command1, &QPushButton::clicked, this, &CLOptions::Command1_Click);
}

host::Variant CLOptions::Invoke(const QString& method, const std::vector<host::Variant>&) {
    throw host::UnknownOperationError(
        method, QStringLiteral("the options dialog has no operation of that name"));
}

void CLOptions::Command1_Click() {
    platform::runOrEnd(QStringLiteral("Command1_Click"), [this] {
        if (!acceptFilmLength(platform::textToNumber(Text1->text())))
            return;
        module_.showMainWindow();
        module_.retireOptionsDialog();
    });
}

bool CLOptions::acceptFilmLength(double typed) {
    const double length = platform::roundHalfEven(typed);
    if (!(length >= 1.0)) {
        refuse(QStringLiteral("The number of frames must be at least 1."));
        return false;
    }
    if (length > kMaxFilmLength) {
        refuse(QStringLiteral("The number of frames must be at most %1.").arg(kMaxFilmLength));
        return false;
    }
    const auto filmLength = static_cast<int32_t>(length);
    try {
        module_.createFilm(filmLength);
    } catch (const std::bad_alloc&) {
        refuse(
            QStringLiteral("There is not enough memory for a film of %1 frames.").arg(filmLength));
        return false;
    } catch (const std::length_error&) {
        refuse(
            QStringLiteral("There is not enough memory for a film of %1 frames.").arg(filmLength));
        return false;
    }
    return true;
}

} // namespace cinderloom
