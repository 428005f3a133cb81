#include "tests/support/TextFit.h"

#include "maker/widgets/ButtonPainter.h"
#include "maker/widgets/VxButton.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>
#include <algorithm>

namespace tests {
namespace {

// The room a text takes in `metrics`: its advance, widened by any ink that
// reaches before its start or past its advance, by the font's line height.
QSize textExtent(const QFontMetrics& metrics, const QString& text) {
    const QRect ink = metrics.boundingRect(text);
    const int left = std::min(0, ink.left());
    const int right = std::max(metrics.horizontalAdvance(text), ink.right() + 1);
    return {right - left, metrics.height()};
}

QString describe(const QWidget& widget, const QString& text, QSize needed, QSize room) {
    const QString name = widget.objectName().isEmpty()
                             ? QString::fromLatin1(widget.metaObject()->className())
                             : widget.objectName();
    return QStringLiteral("%1 \"%2\" in font %3 %4pt: needs %5 x %6 pixels, has %7 x %8")
        .arg(name, text, QFontInfo(widget.font()).family())
        .arg(widget.font().pointSizeF())
        .arg(needed.width())
        .arg(needed.height())
        .arg(room.width())
        .arg(room.height());
}

// A label draws its text inside its contents rect (the frame taken off),
// less its margin on every side and its indent on the aligned side; an
// indent of -1 means half an "x" where there is a frame and none otherwise.
QRect labelRoom(const QLabel& label) {
    const int margin = label.margin();
    QRect room = label.contentsRect().adjusted(margin, margin, -margin, -margin);
    int indent = label.indent();
    if (indent < 0)
        indent = label.frameWidth() > 0
                     ? label.fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2
                     : 0;
    return room.adjusted(0, 0, -indent, 0);
}

// A button of the style draws its text in the contents sub-element the
// style gives its kind: inside the bevel and padding of a push button, right
// of the indicator of a check box or radio button.
QRect styledButtonRoom(const QAbstractButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    QStyle::SubElement element = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(&button))
        element = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(&button))
        element = QStyle::SE_RadioButtonContents;
    return button.style()->subElementRect(element, &option, &button);
}

// A maker button centres its caption on the whole face and draws a one-pixel
// bevel over the face's edges afterwards; while pressed the caption moves one
// pixel right and down. The caption shows whole only where, laid out as the
// painter lays it out in both states, it stays inside the bevel.
bool captionFits(const maker::VxButton& button, QSize extent) {
    const QRect face = button.rect();
    const QRect insideBevel = face.adjusted(1, 1, -1, -1);
    for (const QRect& room : {face, face.translated(1, 1)}) {
        const maker::ButtonContent content =
            maker::layOutButtonContent(room, button.Picture().size(), extent);
        if (!insideBevel.contains(content.caption))
            return false;
    }
    return true;
}

} // namespace

TextFit measureTexts(const QWidget& window) {
    TextFit fit;
    QList<const QWidget*> widgets{&window};
    for (const QWidget* child : window.findChildren<const QWidget*>())
        widgets.append(child);
    for (const QWidget* widget : widgets) {
        if (widget->isHidden())
            continue;
        const QFontMetrics metrics = widget->fontMetrics();
        if (const auto* label = qobject_cast<const QLabel*>(widget)) {
            if (label->text().isEmpty())
                continue;
            const QSize extent = textExtent(metrics, label->text());
            const QRect room = labelRoom(*label);
            ++fit.checked;
            if (extent.width() > room.width() || extent.height() > room.height())
                fit.cut.push_back(describe(*label, label->text(), extent, room.size()));
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
            if (button->text().isEmpty())
                continue;
            const QSize extent = textExtent(metrics, button->text());
            const QRect room = styledButtonRoom(*button);
            ++fit.checked;
            if (extent.width() > room.width() || extent.height() > room.height())
                fit.cut.push_back(describe(*button, button->text(), extent, room.size()));
        } else if (const auto* vxButton = qobject_cast<const maker::VxButton*>(widget)) {
            if (vxButton->Caption().isEmpty())
                continue;
            const QSize extent = textExtent(metrics, vxButton->Caption());
            ++fit.checked;
            if (!captionFits(*vxButton, extent))
                fit.cut.push_back(describe(*vxButton, vxButton->Caption(), extent,
                                           vxButton->rect().adjusted(1, 1, -2, -2).size()));
        }
    }
    return fit;
}

} // namespace tests
