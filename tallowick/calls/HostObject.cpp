#include "tallowick/calls/HostObject.h"

#include "automation/CallArguments.h"
#include "tallowick/calls/CombineTable.h"
#include "tallowick/calls/WindowCaller.h"
#include "tallowick/model/HostModel.h"

#include <cstring>
#include <new>
#include <type_traits>

namespace tallowick {

using namespace host::arguments;

namespace {

// Planes are handed out on the hottest path of the host, so the copy is one
// block move into storage that is not zero-filled first.
host::ByteArray copyOf(const host::ByteArray& source) {
    return host::ByteArray::filledBy(source.dimensions(), [&](uint8_t* bytes, std::size_t size) {
        std::memcpy(bytes, source.data(), size);
    });
}

Rgb colourArguments(const QString& method, const Args& args) {
    return Rgb{
        static_cast<uint8_t>(wholeNumberIn(method, args, 0, QStringLiteral("red"), 0, 255)),
        static_cast<uint8_t>(wholeNumberIn(method, args, 1, QStringLiteral("green"), 0, 255)),
        static_cast<uint8_t>(wholeNumberIn(method, args, 2, QStringLiteral("blue"), 0, 255))};
}

} // namespace

HostObject::HostObject(HostModel& model, WindowCaller& windows)
    : model_(model), windows_(windows) {}

const HostObject::Operations& HostObject::operations() {
    constexpr bool plane = true;
    static const Operations table{
        {"Tal_GetAppDir", 0, &HostObject::getAppDir},
        {"Tal_SendFormObject", 2, &HostObject::sendFormObject},
        {"Tal_WallpaperFilename", 0, &HostObject::wallpaperFilename},
        {"Tal_BufferWidth", 0, &HostObject::bufferWidth},
        {"Tal_BufferHeight", 0, &HostObject::bufferHeight},
        {"tal_GetRBuffer", 0, &HostObject::getPlane<Channel::Red>},
        {"tal_GetGBuffer", 0, &HostObject::getPlane<Channel::Green>},
        {"tal_GetBBuffer", 0, &HostObject::getPlane<Channel::Blue>},
        {"Tal_GetABuffer", 0, &HostObject::getPlane<Channel::Alpha>},
        {"Tal_SetRBuffer", 1, &HostObject::setPlane<Channel::Red>, plane},
        {"Tal_SetGBuffer", 1, &HostObject::setPlane<Channel::Green>, plane},
        {"Tal_SetBBuffer", 1, &HostObject::setPlane<Channel::Blue>, plane},
        {"Tal_SetaBuffer", 1, &HostObject::setPlane<Channel::Alpha>, plane},
        {"Tal_NewBuffer", 2, &HostObject::newBuffer},
        {"Tal_SaveUndo", 0, &HostObject::saveUndo},
        {"tal_Refresh", 0, &HostObject::refresh},
        {"Tal_Initmarquee", 0, &HostObject::initMarquee},
        {"tal_alphaon", 0, &HostObject::alphaOn},
        {"tal_setPrimaryColor", 3, &HostObject::setPrimaryColor},
        {"tal_setSecondaryColor", 3, &HostObject::setSecondaryColor},
        {"tal_initluts", 0, &HostObject::initLuts},
        {"Tal_GetBrushWidth", 0, &HostObject::brushWidth},
        {"Tal_GetBrushHeight", 0, &HostObject::brushHeight},
        {"Tal_GetbrushABuffer", 0, &HostObject::getBrushPlane<Channel::Alpha>},
        {"tal_GetbrushRBuffer", 0, &HostObject::getBrushPlane<Channel::Red>},
        {"tal_GetbrushGBuffer", 0, &HostObject::getBrushPlane<Channel::Green>},
        {"tal_GetbrushBBuffer", 0, &HostObject::getBrushPlane<Channel::Blue>},
        {"tal_GetTotalFrames", 0, &HostObject::totalFrames},
        {"Tal_GotoFrameAdv", 2, &HostObject::gotoFrameAdv},
        {"Tal_GotoFrame", 1, &HostObject::gotoFrame},
        {"tal_CreateAnimAdv", 2, &HostObject::createAnimAdv},
        {"tal_StatusOpen", 1, &HostObject::statusOpen},
        {"tal_Status", 1, &HostObject::status},
        {"tal_StatusClose", 0, &HostObject::statusClose},
    };
    return table;
}

host::CallAdmission HostObject::admit(const QString& caller, const QString& method,
                                      std::size_t argumentCount) {
    if (!operations().find(method, argumentCount).takesByteArray)
        return host::CallAdmission{0};
    const FramePosition& position = callers_.of(caller, model_.currentPosition());
    return host::CallAdmission{model_.frameAt(position).largestPlaneTaken()};
}

host::Variant HostObject::Invoke(const QString& method, const std::vector<host::Variant>& args) {
    // Whatever the call changes, the window follows anyway; a copy of its
    // position serves.
    FramePosition position = model_.currentPosition();
    return dispatch(method, args, position);
}

host::Variant HostObject::InvokeFrom(const QString& caller, const QString& method,
                                     const std::vector<host::Variant>& args) {
    return dispatch(method, args, callers_.of(caller, model_.currentPosition()));
}

void HostObject::programLeft(const QString& busName) {
    callers_.forget(busName);
    model_.releaseWindowsOf(busName);
}

host::Variant HostObject::dispatch(const QString& method, const Args& args,
                                   FramePosition& position) {
    const Handler& handler = operations().find(method, args.size()).handler;
    const auto call = [&]<typename H>(H handler) {
        if constexpr (std::is_same_v<H, ImageHandler>)
            return (this->*handler)(method, args, position);
        else
            return (this->*handler)(method, args);
    };
    // The model's own refusals (a frame out of range, a plane of the wrong
    // size, memory it cannot get) become errors of the call that asked.
    try {
        return std::visit(call, handler);
    } catch (const host::HostCallError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw host::HostCallError(method, QStringLiteral("the host is out of memory"));
    } catch (const std::exception& error) {
        throw host::HostCallError(method, QString::fromStdString(error.what()));
    }
}

host::Variant HostObject::getAppDir(const QString&, const Args&) {
    return model_.appDir();
}

host::Variant HostObject::sendFormObject(const QString& method, const Args& args) {
    const host::ObjectRef& window = object(method, args, 0, QStringLiteral("window"));
    wholeNumberIn(method, args, 1, QStringLiteral("mode"), 0, 0);
    model_.holdWindow(window);
    applyTheme(windows_, window);
    return host::Empty{};
}

host::Variant HostObject::wallpaperFilename(const QString&, const Args&) {
    return model_.wallpaperFileName();
}

host::Variant HostObject::bufferWidth(const QString&, const Args&, FramePosition& position) {
    return model_.documentAt(position).width();
}

host::Variant HostObject::bufferHeight(const QString&, const Args&, FramePosition& position) {
    return model_.documentAt(position).height();
}

template <Channel channel>
host::Variant HostObject::getPlane(const QString&, const Args&, FramePosition& position) {
    return copyOf(model_.frameAt(position).plane(channel));
}

template <Channel channel>
host::Variant HostObject::setPlane(const QString& method, const Args& args,
                                   FramePosition& position) {
    model_.replacePlane(position, channel, byteArray(method, args, 0, QStringLiteral("plane")));
    return host::Empty{};
}

host::Variant HostObject::newBuffer(const QString& method, const Args& args,
                                    FramePosition& position) {
    const int32_t width = wholeNumber(method, args, 0, QStringLiteral("width"));
    const int32_t height = wholeNumber(method, args, 1, QStringLiteral("height"));
    model_.createStill(position, width, height);
    return host::Empty{};
}

host::Variant HostObject::saveUndo(const QString&, const Args&, FramePosition& position) {
    model_.saveUndo(position);
    return host::Empty{};
}

host::Variant HostObject::refresh(const QString&, const Args&) {
    model_.requestRefresh();
    return host::Empty{};
}

host::Variant HostObject::initMarquee(const QString&, const Args&, FramePosition& position) {
    model_.initMarquee(position);
    return host::Empty{};
}

host::Variant HostObject::alphaOn(const QString&, const Args&) {
    model_.switchAlphaOn();
    return host::Empty{};
}

host::Variant HostObject::setPrimaryColor(const QString& method, const Args& args) {
    model_.setPrimaryColour(colourArguments(method, args));
    return host::Empty{};
}

host::Variant HostObject::setSecondaryColor(const QString& method, const Args& args) {
    model_.setSecondaryColour(colourArguments(method, args));
    return host::Empty{};
}

host::Variant HostObject::initLuts(const QString&, const Args&) {
    return copyOf(combineTable());
}

host::Variant HostObject::brushWidth(const QString&, const Args&) {
    return model_.brush() ? model_.brush()->width() : int32_t{0};
}

host::Variant HostObject::brushHeight(const QString&, const Args&) {
    return model_.brush() ? model_.brush()->height() : int32_t{0};
}

template <Channel channel>
host::Variant HostObject::getBrushPlane(const QString& method, const Args&) {
    if (!model_.brush())
        throw host::HostCallError(
            method, QStringLiteral("there is no custom brush (its width and height are 0)"));
    return copyOf(model_.brush()->plane(channel));
}

host::Variant HostObject::totalFrames(const QString&, const Args&, FramePosition& position) {
    return int32_t{model_.documentAt(position).frameCount()};
}

host::Variant HostObject::gotoFrameAdv(const QString& method, const Args& args,
                                       FramePosition& position) {
    const int32_t frame = wholeNumber(method, args, 0, QStringLiteral("frame index"));
    wholeNumberIn(method, args, 1, QStringLiteral("mode"), 3, 3);
    model_.gotoFrame(position, frame);
    return host::Empty{};
}

host::Variant HostObject::gotoFrame(const QString& method, const Args& args,
                                    FramePosition& position) {
    model_.gotoFrame(position, wholeNumber(method, args, 0, QStringLiteral("frame index")));
    return host::Empty{};
}

host::Variant HostObject::createAnimAdv(const QString& method, const Args& args,
                                        FramePosition& position) {
    const int32_t frames = wholeNumber(method, args, 0, QStringLiteral("frame count"));
    wholeNumberIn(method, args, 1, QStringLiteral("mode"), 2, 2);
    model_.createAnimation(position, frames);
    return host::Empty{};
}

host::Variant HostObject::statusOpen(const QString& method, const Args& args) {
    model_.openProgress(text(method, args, 0, QStringLiteral("caption")));
    return host::Empty{};
}

host::Variant HostObject::status(const QString& method, const Args& args) {
    model_.setProgressPercent(number(method, args, 0, QStringLiteral("percent")));
    return host::Empty{};
}

host::Variant HostObject::statusClose(const QString&, const Args&) {
    model_.closeProgress();
    return host::Empty{};
}

} // namespace tallowick
