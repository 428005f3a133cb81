#include "marrowset/Program.h"

#include "marrowset/Form1.h"
#include "platform/MessageBox.h"
#include "plugin/WindowHandover.h"

#include <QCoreApplication>
#include <utility>

namespace marrowset {

Program::Program(plugin::WindowHandover& handover, QString commandLine)
    : handover_(handover), module_(std::move(commandLine)) {}

Program::~Program() {
    if (mainWindow_)
        handover_.withdraw(mainWindow_->automation());
}

plugin::StartUpOutcome Program::startUp(const HostObjectFactory& createHostObject) {
    module_.connect(createHostObject);
    if (!module_.holdBrushSize()) {
        platform::showMessageBox(QStringLiteral("no custom brush"));
        return plugin::StartUpOutcome::Ended;
    }
    if (!mainWindow_)
        mainWindow_ = std::make_unique<Form1>(module_);
    module_.hostObject().Invoke(QStringLiteral("Tal_SendFormObject"),
                                {handover_.handOver(mainWindow_->automation()), int16_t{0}});
    // The host never touches the window object itself, so the window loads
    // as soon as the host holds it.
    mainWindow_->Form_Load();
    return plugin::StartUpOutcome::WindowsOpen;
}

void Program::closeMainWindow() {
    if (mainWindow_ && mainWindow_->isVisible())
        mainWindow_->close();
    else
        QCoreApplication::exit(0);
}

} // namespace marrowset
