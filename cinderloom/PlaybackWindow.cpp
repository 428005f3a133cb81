#include "cinderloom/PlaybackWindow.h"

#include "cinderloom/Playback.h"
#include "platform/PictureBox.h"
#include "plugin/DesignFonts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>

namespace cinderloom {
namespace {

const QSize kLargestFirstPicture(640, 480);

QComboBox* makeRateChoice(QWidget* parent) {
    auto* choice = new QComboBox(parent);
    for (const int32_t rate : kPlaybackRates)
        choice->addItem(QStringLiteral("%1 fps").arg(rate), rate);
    return choice;
}

} // namespace

PlaybackWindow::PlaybackWindow(QSize cellShape, QWidget* parent)
    : QWidget(parent, Qt::Window), cellShape_(cellShape) {
    // The main window is the program's last window; this one never keeps it
    // running.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Cinderloom playback"));
    setFont(plugin::designFont());

    stage_ = new QWidget(this);
    QPalette backdrop = stage_->palette();
    backdrop.setColor(QPalette::Window, Qt::black);
    stage_->setPalette(backdrop);
    stage_->setAutoFillBackground(true);
    Picture = new platform::PictureBox(stage_);
    Picture->setBackColor(Qt::white);
    Picture->Cls();

    controls_ = new QWidget(this);
    auto* row = new QHBoxLayout(controls_);
    row->setContentsMargins(8, 4, 8, 4);
    auto* rateLabel = new QLabel(QStringLiteral("Rate"), controls_);
    RateChoice = makeRateChoice(controls_);
    rateLabel->setBuddy(RateChoice);
    SlotLabel = new QLabel(controls_);
    row->addWidget(rateLabel);
    row->addWidget(RateChoice);
    row->addStretch(1);
    row->addWidget(SlotLabel);
    setRate(kDefaultPlaybackRate);
    setSlotNumber(0);
    connect(RateChoice, &QComboBox::activated, this,
            [this](int index) { emit rateChosen(RateChoice->itemData(index).toInt()); });

    const QSize picture = cellShape.isEmpty()
                              ? kLargestFirstPicture
                              : cellShape.scaled(kLargestFirstPicture, Qt::KeepAspectRatio);
    resize(std::max(picture.width(), controls_->sizeHint().width()),
           picture.height() + controls_->sizeHint().height());
}

void PlaybackWindow::setSlotNumber(int32_t slot) {
    SlotLabel->setText(QStringLiteral("Slot %1").arg(slot));
}

void PlaybackWindow::setRate(int32_t rate) {
    RateChoice->setCurrentIndex(RateChoice->findData(rate));
}

void PlaybackWindow::setCellShape(QSize cellShape) {
    if (cellShape == cellShape_)
        return;
    cellShape_ = cellShape;
    placePicture();
}

bool PlaybackWindow::placePicture() {
    const int controlsHeight = controls_->sizeHint().height();
    controls_->setGeometry(0, height() - controlsHeight, width(), controlsHeight);
    stage_->setGeometry(0, 0, width(), height() - controlsHeight);
    const QRect placed = fitKeepingShape(cellShape_, stage_->rect());
    Picture->setVisible(!placed.isEmpty());
    if (placed.isEmpty() || placed == Picture->geometry())
        return false;
    Picture->setGeometry(placed);
    return true;
}

void PlaybackWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (placePicture())
        emit pictureResized();
}

void PlaybackWindow::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PlaybackWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}

} // namespace cinderloom
