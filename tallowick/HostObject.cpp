#include "tallowick/HostObject.h"

#include "host/CallArguments.h"
#include "tallowick/CombineTable.h"
#include "tallowick/HostModel.h"
#include "tallowick/WindowCaller.h"

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
    expectCount(method, args, 3);
    return Rgb{
        static_cast<uint8_t>(wholeNumberIn(method, args, 0, QStringLiteral("red"), 0, 255)),
        static_cast<uint8_t>(wholeNumberIn(method, args, 1, QStringLiteral("green"), 0, 255)),
        static_cast<uint8_t>(wholeNumberIn(method, args, 2, QStringLiteral("blue"), 0, 255))};
}

} // namespace

HostObject::HostObject(HostModel& model, WindowCaller& windows)
    : model_(model), windows_(windows) {}

const QHash<QString, HostObject::Handler>& HostObject::handlers() {
    static const QHash<QString, Handler> table = [] {
        const std::pair<const char*, Handler> entries[] = {
            {"Tal_GetAppDir", &HostObject::getAppDir},
            {"Tal_SendFormObject", &HostObject::sendFormObject},
            {"Tal_WallpaperFilename", &HostObject::wallpaperFilename},
            {"Tal_BufferWidth", &HostObject::bufferWidth},
            {"Tal_BufferHeight", &HostObject::bufferHeight},
            {"tal_GetRBuffer", &HostObject::getPlane<Channel::Red>},
            {"tal_GetGBuffer", &HostObject::getPlane<Channel::Green>},
            {"tal_GetBBuffer", &HostObject::getPlane<Channel::Blue>},
            {"Tal_GetABuffer", &HostObject::getPlane<Channel::Alpha>},
            {"Tal_SetRBuffer", &HostObject::setPlane<Channel::Red>},
            {"Tal_SetGBuffer", &HostObject::setPlane<Channel::Green>},
            {"Tal_SetBBuffer", &HostObject::setPlane<Channel::Blue>},
            {"Tal_SetaBuffer", &HostObject::setPlane<Channel::Alpha>},
            {"Tal_NewBuffer", &HostObject::newBuffer},
            {"Tal_SaveUndo", &HostObject::saveUndo},
            {"tal_Refresh", &HostObject::refresh},
            {"Tal_Initmarquee", &HostObject::initMarquee},
            {"tal_alphaon", &HostObject::alphaOn},
            {"tal_setPrimaryColor", &HostObject::setPrimaryColor},
            {"tal_setSecondaryColor", &HostObject::setSecondaryColor},
            {"tal_initluts", &HostObject::initLuts},
            {"Tal_GetBrushWidth", &HostObject::brushWidth},
            {"Tal_GetBrushHeight", &HostObject::brushHeight},
            {"Tal_GetbrushABuffer", &HostObject::getBrushPlane<Channel::Alpha>},
            {"tal_GetbrushRBuffer", &HostObject::getBrushPlane<Channel::Red>},
            {"tal_GetbrushGBuffer", &HostObject::getBrushPlane<Channel::Green>},
            {"tal_GetbrushBBuffer", &HostObject::getBrushPlane<Channel::Blue>},
            {"tal_GetTotalFrames", &HostObject::totalFrames},
            {"Tal_GotoFrameAdv", &HostObject::gotoFrameAdv},
            {"Tal_GotoFrame", &HostObject::gotoFrame},
            {"tal_CreateAnimAdv", &HostObject::createAnimAdv},
            {"tal_StatusOpen", &HostObject::statusOpen},
            {"tal_Status", &HostObject::status},
            {"tal_StatusClose", &HostObject::statusClose},
        };
        QHash<QString, Handler> byName;
        for (const auto& [name, handler] : entries)
            byName.insert(QString::fromLatin1(name).toCaseFolded(), handler);
        return byName;
    }();
    return table;
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
    const auto found = handlers().constFind(method.toCaseFolded());
    if (found == handlers().constEnd())
        throw host::UnknownOperationError(method, QStringLiteral("unknown method"));
    const auto call = [&]<typename H>(H handler) {
        if constexpr (std::is_same_v<H, ImageHandler>)
            return (this->*handler)(method, args, position);
        else
            return (this->*handler)(method, args);
    };
    // The model's own refusals (a frame out of range, a plane of the wrong
    // size, memory it cannot get) become errors of the call that asked.
    try {
        return std::visit(call, found.value());
    } catch (const host::HostCallError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw host::HostCallError(method, QStringLiteral("the host is out of memory"));
    } catch (const std::exception& error) {
        throw host::HostCallError(method, QString::fromStdString(error.what()));
    }
}

host::Variant HostObject::getAppDir(const QString& method, const Args& args) {
    expectCount(method, args, 0);
    return model_.appDir();
}

host::Variant HostObject::sendFormObject(const QString& method, const Args& args) {
    expectCount(method, args, 2);
    const host::ObjectRef& window = object(method, args, 0, QStringLiteral("window"));
    wholeNumberIn(method, args, 1, QStringLiteral("mode"), 0, 0);
    model_.holdWindow(window);
    applyTheme(windows_, window);
    return host::Empty{};
}

host::Variant HostObject::wallpaperFilename(const QString& method, const Args& args) {
    expectCount(method, args, 0);
    return model_.wallpaperFileName();
}

host::Variant HostObject::bufferWidth(const QString& method, const Args& args,
                                      FramePosition& position) {
    expectCount(method, args, 0);
    return model_.documentAt(position).width();
}

host::Variant HostObject::bufferHeight(const QString& method, const Args& args,
                                       FramePosition& position) {
    expectCount(method, args, 0);
    return model_.documentAt(position).height();
}

template <Channel channel>
host::Variant HostObject::getPlane(const QString& method, const Args& args,
                                   FramePosition& position) {
    expectCount(method, args, 0);
    return copyOf(model_.frameAt(position).plane(channel));
}

template <Channel channel>
host::Variant HostObject::setPlane(const QString& method, const Args& args,
                                   FramePosition& position) {
    expectCount(method, args, 1);
    model_.replacePlane(position, channel, byteArray(method, args, 0, QStringLiteral("plane")));
    return host::Empty{};
}

host::Variant HostObject::newBuffer(const QString& method, const Args& args,
                                    FramePosition& position) {
    expectCount(method, args, 2);
    const int32_t width = wholeNumber(method, args, 0, QStringLiteral("width"));
    const int32_t height = wholeNumber(method, args, 1, QStringLiteral("height"));
    model_.createStill(position, width, height);
    return host::Empty{};
}

host::Variant HostObject::saveUndo(const QString& method, const Args& args,
                                   FramePosition& position) {
    expectCount(method, args, 0);
    model_.saveUndo(position);
    return host::Empty{};
}

host::Variant HostObject::refresh(const QString& method, const Args& args) {
    expectCount(method, args, 0);
    model_.requestRefresh();
    return host::Empty{};
}

host::Variant HostObject::initMarquee(const QString& method, const Args& args,
                                      FramePosition& position) {
    expectCount(method, args, 0);
    model_.initMarquee(position);
    return host::Empty{};
}

host::Variant HostObject::alphaOn(const QString& method, const Args& args) {
    expectCount(method, args, 0);
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

host::Variant HostObject::initLuts(const QString& method, const Args& args) {
    expectCount(method, args, 0);
    return copyOf(combineTable());
}

host::Variant HostObject::brushWidth(const QString& method, const Args& args) {
    expectCount(method, args, 0);
    return model_.brush() ? model_.brush()->width() : int32_t{0};
}

host::Variant HostObject::brushHeight(const QString& method, const Args& args) {
    expectCount(method, args, 0);
    return model_.brush() ? model_.brush()->height() : int32_t{0};
}

template <Channel channel>
host::Variant HostObject::getBrushPlane(const QString& method, const Args& args) {
    expectCount(method, args, 0);
    if (!model_.brush())
        throw host::HostCallError(
            method, QStringLiteral("there is no custom brush (its width and height are 0)"));
    return copyOf(model_.brush()->plane(channel));
}

host::Variant HostObject::totalFrames(const QString& method, const Args& args,
                                      FramePosition& position) {
    expectCount(method, args, 0);
    return int32_t{model_.documentAt(position).frameCount()};
}

host::Variant HostObject::gotoFrameAdv(const QString& method, const Args& args,
                                       FramePosition& position) {
    expectCount(method, args, 2);
    const int32_t frame = wholeNumber(method, args, 0, QStringLiteral("frame index"));
    wholeNumberIn(method, args, 1, QStringLiteral("mode"), 3, 3);
    model_.gotoFrame(position, frame);
    return host::Empty{};
}

host::Variant HostObject::gotoFrame(const QString& method, const Args& args,
                                    FramePosition& position) {
    expectCount(method, args, 1);
    model_.gotoFrame(position, wholeNumber(method, args, 0, QStringLiteral("frame index")));
    return host::Empty{};
}

host::Variant HostObject::createAnimAdv(const QString& method, const Args& args,
                                        FramePosition& position) {
    expectCount(method, args, 2);
    const int32_t frames = wholeNumber(method, args, 0, QStringLiteral("frame count"));
    wholeNumberIn(method, args, 1, QStringLiteral("mode"), 2, 2);
    model_.createAnimation(position, frames);
    return host::Empty{};
}

host::Variant HostObject::statusOpen(const QString& method, const Args& args) {
    expectCount(method, args, 1);
    model_.openProgress(text(method, args, 0, QStringLiteral("caption")));
    return host::Empty{};
}

host::Variant HostObject::status(const QString& method, const Args& args) {
    expectCount(method, args, 1);
    model_.setProgressPercent(number(method, args, 0, QStringLiteral("percent")));
    return host::Empty{};
}

host::Variant HostObject::statusClose(const QString& method, const Args& args) {
    expectCount(method, args, 0);
    model_.closeProgress();
    return host::Empty{};
}

} // namespace tallowick
