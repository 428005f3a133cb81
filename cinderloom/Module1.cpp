#include "cinderloom/Module1.h"

#include "cinderloom/CLOptions.h"
#include "cinderloom/Cinderloom.h"
#include "cinderloom/CosmeticHostCalls.h"
#include "cinderloom/FrameRetrieval.h"
#include "maker/binding/MakerLibraries.h"
#include "plugin/WindowHandover.h"

#include <QDir>
#include <array>
#include <stdexcept>

namespace cinderloom {

Module1::Module1(plugin::WindowHandover& handover) : handover_(handover) {}

Module1::~Module1() {
    if (mainWindow_)
        handover_.withdraw(mainWindow_->automation());
    if (optionsDialog_)
        handover_.withdraw(optionsDialog_->automation());
}

host::AutomationObject& Module1::hostObject() const {
    if (!hostObject_)
        throw std::logic_error("The host object is used before the start-up created it.");
    return *hostObject_;
}

void Module1::startUp(const HostObjectFactory& createHostObject) {
    hostObject_ = createHostObject();
    enterHostApplicationDirectory();
    // The filter library is named by its bare file name: its first call binds
    // it, and from the host's directory that finds the host's copy.
    const std::array<float, 3> origin{0.0f, 0.0f, 0.0f};
    maker::noise3(origin.data());
    RetrieveFrames();
    if (!optionsDialog_)
        optionsDialog_ = std::make_unique<CLOptions>(film_, [this] {
            showMainWindow();
            retireOptionsDialog();
        });
    sendFormObject(optionsDialog_->automation());
    optionsDialog_->show();
}

void Module1::enterHostApplicationDirectory() {
    // Without an answer the start-up goes on in the directory it was started
    // in.
    ignoringHostCallFailure([this] {
        const host::Variant appDir = hostObject().Invoke(QStringLiteral("Tal_GetAppDir"));
        if (const QString* path = std::get_if<QString>(&appDir))
            QDir::setCurrent(*path);
    });
}

void Module1::sendFormObject(host::AutomationObject& window) {
    hostObject().Invoke(QStringLiteral("Tal_SendFormObject"),
                        {handover_.handOver(window), int16_t{0}});
}

void Module1::RetrieveFrames() {
    retrieveFrames(hostObject(), cells_);
}

void Module1::showMainWindow() {
    if (!mainWindow_) {
        mainWindow_ = std::make_unique<Cinderloom>(hostObject(), cells_, film_, history_, view_);
        mainWindow_->Form_Load();
    }
    sendFormObject(mainWindow_->automation());
    mainWindow_->show();
}

void Module1::retireOptionsDialog() {
    if (!optionsDialog_)
        return;
    handover_.withdraw(optionsDialog_->automation());
    optionsDialog_->hide();
}

} // namespace cinderloom
