#include "tallowick/HostObject.h"

#include "automation/CallArguments.h"
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
    return Rgb{
        static_cast<uint8_t>(wholeNumberIn(method, args, 0, QStringLiteral("red"), 0, 255)),
        static_cast<uint8_t>(wholeNumberIn(method, args, 1, QStringLiteral("green"), 0, 255)),
        static_cast<uint8_t>(wholeNumberIn(method, args, 2, QStringLiteral("blue"), 0, 255))};
}

} // namespace

HostObject::HostObject(HostModel& model, WindowCaller& windows)
    : model_(model), windows_(windows) {}

const QHash<QString, HostObject::Entry>& HostObject::entries() {
    static const QHash<QString, Entry> table = [] {
        constexpr bool plane = true;
        const std::pair<const char*, Entry> rows[] = {
            {"Tal_GetAppDir", {&HostObject::getAppDir, 0}},
            {"Tal_SendFormObject", {&HostObject::sendFormObject, 2}},
            {"Tal_WallpaperFilename", {&HostObject::wallpaperFilename, 0}},
            {"Tal_BufferWidth", {&HostObject::bufferWidth, 0}},
            {"Tal_BufferHeight", {&HostObject::bufferHeight, 0}},
            {"tal_GetRBuffer", {&HostObject::getPlane<Channel::Red>, 0}},
            {"tal_GetGBuffer", {&HostObject::getPlane<Channel::Green>, 0}},
            {"tal_GetBBuffer", {&HostObject::getPlane<Channel::Blue>, 0}},
            {"Tal_GetABuffer", {&HostObject::getPlane<Channel::Alpha>, 0}},
            {"Tal_SetRBuffer", {&HostObject::setPlane<Channel::Red>, 1, plane}},
            {"Tal_SetGBuffer", {&HostObject::setPlane<Channel::Green>, 1, plane}},
            {"Tal_SetBBuffer", {&HostObject::setPlane<Channel::Blue>, 1, plane}},
            {"Tal_SetaBuffer", {&HostObject::setPlane<Channel::Alpha>, 1, plane}},
            {"Tal_NewBuffer", {&HostObject::newBuffer, 2}},
            {"Tal_SaveUndo", {&HostObject::saveUndo, 0}},
            {"tal_Refresh", {&HostObject::refresh, 0}},
            {"Tal_Initmarquee", {&HostObject::initMarquee, 0}},
            {"tal_alphaon", {&HostObject::alphaOn, 0}},
            {"tal_setPrimaryColor", {&HostObject::setPrimaryColor, 3}},
            {"tal_setSecondaryColor", {&HostObject::setSecondaryColor, 3}},
            {"tal_initluts", {&HostObject::initLuts, 0}},
            {"Tal_GetBrushWidth", {&HostObject::brushWidth, 0}},
            {"Tal_GetBrushHeight", {&HostObject::brushHeight, 0}},
            {"Tal_GetbrushABuffer", {&HostObject::getBrushPlane<Channel::Alpha>, 0}},
            {"tal_GetbrushRBuffer", {&HostObject::getBrushPlane<Channel::Red>, 0}},
            {"tal_GetbrushGBuffer", {&HostObject::getBrushPlane<Channel::Green>, 0}},
            {"tal_GetbrushBBuffer", {&HostObject::getBrushPlane<Channel::Blue>, 0}},
            {"tal_GetTotalFrames", {&HostObject::totalFrames, 0}},
            {"Tal_GotoFrameAdv", {&HostObject::gotoFrameAdv, 2}},
            {"Tal_GotoFrame", {&HostObject::gotoFrame, 1}},
            {"tal_CreateAnimAdv", {&HostObject::createAnimAdv, 2}},
            {"tal_StatusOpen", {&HostObject::statusOpen, 1}},
            {"tal_Status", {&HostObject::status, 1}},
            {"tal_StatusClose", {&HostObject::statusClose, 0}},
        };
        QHash<QString, Entry> byName;
        for (const auto& [name, entry] : rows)
            byName.insert(QString::fromLatin1(name).toCaseFolded(), entry);
        return byName;
    }();
    return table;
}

const HostObject::Entry& HostObject::entryFor(const QString& method, std::size_t argumentCount) {
    const auto found = entries().constFind(method.toCaseFolded());
    if (found == entries().constEnd())
        throw host::UnknownOperationError(method, QStringLiteral("unknown method"));
    expectCount(method, argumentCount, found->argumentCount);
    return *found;
}

host::CallAdmission HostObject::admit(const QString& caller, const QString& method,
                                      std::size_t argumentCount) {
    const Entry& entry = entryFor(method, argumentCount);
    if (!entry.takesPlane)
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
    const Entry& entry = entryFor(method, args.size());
    const auto call = [&]<typename H>(H handler) {
        if constexpr (std::is_same_v<H, ImageHandler>)
            return (this->*handler)(method, args, position);
        else
            return (this->*handler)(method, args);
    };
    // The model's own refusals (a frame out of range, a plane of the wrong
    // size, memory it cannot get) become errors of the call that asked.
    try {
        return std::visit(call, entry.handler);
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
