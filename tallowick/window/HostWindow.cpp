#include "tallowick/window/HostWindow.h"

#include "tallowick/model/HostModel.h"
#include "tallowick/window/ColourSwatch.h"
#include "tallowick/window/FrameRendering.h"
#include "tallowick/window/FrameView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QVBoxLayout>
#include <cmath>

namespace tallowick {

namespace {

QColor qColorOf(Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

} // namespace

HostWindow::HostWindow(HostModel& model, WindowCaller& windows, QWidget* parent)
    : QMainWindow(parent), model_(model), windows_(windows) {
    setWindowTitle(QStringLiteral("Tallowick"));
    buildLayout();
    buildMenus();

    redrawTimer_.setSingleShot(true);
    redrawTimer_.setInterval(kRedrawDelayMs);
    connect(&redrawTimer_, &QTimer::timeout, this, &HostWindow::redrawFrame);
    playbackTimer_.setInterval(kPlaybackIntervalMs);
    connect(&playbackTimer_, &QTimer::timeout, this, &HostWindow::stepPlayback);

    const OpenDocuments& documents = model_.documents();
    connect(&documents, &OpenDocuments::documentsChanged, this, &HostWindow::showDocuments);
    connect(&documents, &OpenDocuments::imageChanged, this, &HostWindow::showCurrentFrame);
    connect(&model_.display(), &ImageDisplay::imageChanged, this, &HostWindow::showCurrentFrame);
    connect(&model_.painting(), &PaintingTools::coloursChanged, this, &HostWindow::showColours);
    connect(&model_.painting(), &PaintingTools::brushChanged, this, &HostWindow::showBrush);
    connect(&model_.progress(), &ProgressDisplay::progressChanged, this, &HostWindow::showProgress);

    showDocuments();
    showColours();
    showBrush();
    showProgress();
}

void HostWindow::buildLayout() {
    documentList_ = new QListWidget;
    documentList_->setObjectName(QStringLiteral("documentList"));
    // Names of pictures often differ only at their ends (a number, an
    // extension): the middle is what can go when the side panel is narrow.
    documentList_->setTextElideMode(Qt::ElideMiddle);
    connect(documentList_, &QListWidget::currentRowChanged, this, &HostWindow::chooseDocument);

    primarySwatch_ = new ColourSwatch;
    primarySwatch_->setObjectName(QStringLiteral("primarySwatch"));
    secondarySwatch_ = new ColourSwatch;
    secondarySwatch_->setObjectName(QStringLiteral("secondarySwatch"));
    auto* colours = new QHBoxLayout;
    colours->addWidget(primarySwatch_);
    colours->addWidget(new QLabel(tr("Primary")));
    colours->addSpacing(12);
    colours->addWidget(secondarySwatch_);
    colours->addWidget(new QLabel(tr("Secondary")));
    colours->addStretch();

    brushLabel_ = new QLabel;
    brushLabel_->setObjectName(QStringLiteral("brushLabel"));

    auto* side = new QVBoxLayout;
    side->addWidget(new QLabel(tr("Documents")));
    side->addWidget(documentList_, 1);
    side->addLayout(colours);
    side->addWidget(brushLabel_);

    frameView_ = new FrameView;
    frameView_->setObjectName(QStringLiteral("frameView"));
    playButton_ = new QPushButton(tr("Play"));
    playButton_->setObjectName(QStringLiteral("playButton"));
    connect(playButton_, &QPushButton::clicked, this, &HostWindow::togglePlayback);
    frameSlider_ = new QSlider(Qt::Horizontal);
    frameSlider_->setObjectName(QStringLiteral("frameSlider"));
    connect(frameSlider_, &QSlider::valueChanged, this, &HostWindow::chooseFrame);
    frameLabel_ = new QLabel;
    frameLabel_->setObjectName(QStringLiteral("frameLabel"));
    auto* controls = new QHBoxLayout;
    controls->addWidget(playButton_);
    controls->addWidget(frameSlider_, 1);
    controls->addWidget(frameLabel_);

    autosaveWarning_ = new QLabel;
    autosaveWarning_->setObjectName(QStringLiteral("autosaveWarning"));
    autosaveWarning_->setWordWrap(true);
    autosaveWarning_->setStyleSheet(
        QStringLiteral("background: #fdecc8; color: #4a3000; padding: 6px;"));
    autosaveWarning_->hide();

    auto* viewColumn = new QVBoxLayout;
    viewColumn->addWidget(autosaveWarning_);
    viewColumn->addWidget(frameView_, 1);
    viewColumn->addLayout(controls);

    auto* central = new QWidget;
    auto* columns = new QHBoxLayout(central);
    columns->addLayout(side, 1);
    columns->addLayout(viewColumn, 3);
    setCentralWidget(central);

    progressCaption_ = new QLabel;
    progressCaption_->setObjectName(QStringLiteral("progressCaption"));
    progressBar_ = new QProgressBar;
    progressBar_->setObjectName(QStringLiteral("progressBar"));
    progressBar_->setRange(0, 100);
    statusBar()->addPermanentWidget(progressCaption_);
    statusBar()->addPermanentWidget(progressBar_);
}

void HostWindow::showDocuments() {
    // Documents are only ever appended and never change their name, size or
    // frame count, so the list only grows; rebuilding it would also delete
    // the item the user is choosing while the choice is being handled.
    const QSignalBlocker blocker(documentList_);
    const std::vector<Document>& documents = model_.documents().all();
    for (auto i = static_cast<std::size_t>(documentList_->count()); i < documents.size(); ++i) {
        const Document& document = documents[i];
        const QString text =
            tr("%1 \u2014 %n frame(s), %2 \u00d7 %3", nullptr, document.frameCount())
                .arg(document.name())
                .arg(document.width())
                .arg(document.height());
        auto* item = new QListWidgetItem(text, documentList_);
        item->setToolTip(text);
    }
    documentList_->setCurrentRow(model_.documents().currentDocumentIndex());
    showCurrentFrame();
}

void HostWindow::showCurrentFrame() {
    const OpenDocuments& documents = model_.documents();
    const int frames = documents.currentDocument().frameCount();
    {
        const QSignalBlocker blocker(frameSlider_);
        frameSlider_->setRange(0, frames - 1);
        frameSlider_->setValue(documents.currentFrameIndex());
    }
    frameLabel_->setText(tr("Frame %1 of %2").arg(documents.currentFrameIndex()).arg(frames));
    if (!redrawTimer_.isActive())
        redrawTimer_.start();
}

void HostWindow::redrawFrame() {
    frameView_->setImage(
        renderFrame(model_.documents().currentFrame(), model_.display().alphaOn()));
}

void HostWindow::showAutosaveFailure(const QString& text) {
    // The text is a sentence of the host's own, as standard error has it.
    QString sentence = text;
    if (!sentence.isEmpty())
        sentence[0] = sentence[0].toUpper();
    autosaveWarning_->setText(sentence);
    autosaveWarning_->show();
}

void HostWindow::showColours() {
    primarySwatch_->setColour(qColorOf(model_.painting().primaryColour()));
    secondarySwatch_->setColour(qColorOf(model_.painting().secondaryColour()));
}

void HostWindow::showBrush() {
    const auto& brush = model_.painting().brush();
    brushLabel_->setText(brush ? tr("Brush: %1 \u00d7 %2").arg(brush->width()).arg(brush->height())
                               : tr("Brush: none"));
}

void HostWindow::showProgress() {
    const ProgressState& progress = model_.progress().state();
    progressCaption_->setVisible(progress.open);
    progressBar_->setVisible(progress.open);
    progressCaption_->setText(progress.caption);
    progressBar_->setValue(static_cast<int>(std::floor(progress.percent)));
}

void HostWindow::chooseDocument(int row) {
    if (row >= 0)
        model_.documents().select(row);
}

void HostWindow::chooseFrame(int frame) {
    model_.documents().gotoFrame(frame);
}

void HostWindow::togglePlayback() {
    if (playbackTimer_.isActive()) {
        playbackTimer_.stop();
        playButton_->setText(tr("Play"));
    } else {
        playbackTimer_.start();
        playButton_->setText(tr("Pause"));
    }
}

void HostWindow::stepPlayback() {
    OpenDocuments& documents = model_.documents();
    const int frames = documents.currentDocument().frameCount();
    documents.gotoFrame((documents.currentFrameIndex() + 1) % frames);
}

} // namespace tallowick
