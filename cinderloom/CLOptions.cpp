#include "cinderloom/CLOptions.h"

#include "cinderloom/Film.h"
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
#include <utility>

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

void refuseForMemory(int32_t filmLength) {
    refuse(QStringLiteral("There is not enough memory for a film of %1 frames.").arg(filmLength));
}

} // namespace

CLOptions::CLOptions(Film& film, std::function<void()> filmMade, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      film_(film), filmMade_(std::move(filmMade)), automation_(*this, operations()) {
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

const host::ServedObject<CLOptions>::Table& CLOptions::operations() {
    static const host::ServedObject<CLOptions>::Table table{};
    return table;
}

void CLOptions::Command1_Click() {
    platform::runOrEnd(QStringLiteral("Command1_Click"), [this] {
        if (!acceptFilmLength(platform::textToNumber(Text1->text())))
            return;
        filmMade_();
    });
}

bool CLOptions::acceptFilmLength(double typed) {
    const double length = platform::roundHalfEven(typed);
    if (!(length >= 1.0)) {
        refuse(QStringLiteral("The number of frames must be at least 1."));
        return false;
    }
    if (length > Film::kMaxLength) {
        refuse(QStringLiteral("The number of frames must be at most %1.").arg(Film::kMaxLength));
        return false;
    }
    const auto filmLength = static_cast<int32_t>(length);
    try {
        film_ = Film(filmLength);
    } catch (const std::bad_alloc&) {
        refuseForMemory(filmLength);
        return false;
    } catch (const std::length_error&) {
        refuseForMemory(filmLength);
        return false;
    }
    return true;
}

} // namespace cinderloom
