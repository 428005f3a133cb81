#include "tallowick/calls/HostObject.h"

#include "automation/CallArguments.h"
#include "automation/OperationTable.h"
#include "tallowick/calls/CombineTable.h"
#include "tallowick/calls/WindowCaller.h"
#include "tallowick/model/HostModel.h"

#include <new>

namespace tallowick {

using namespace host::arguments;

namespace {

// One call as its handler sees it: what it acts on, the method as the
// caller spelled it, its arguments, and the caller's current document and
// frame, which the handler moves where the call moves it.
struct Call {
    HostModel& model;
    WindowCaller& windows;
    const QString& method;
    const Args& args;
    FramePosition& position;
};

using Handler = host::Variant (*)(const Call& call);
using Operations = host::OperationTable<Handler>;

// Planes are handed out on the hottest path of the host, so they go out
// sharing the frame's storage: the one copy is into the file lent to the
// caller, and a frame written meanwhile takes storage of its own.
host::ByteArray handedOut(const host::ByteArray& plane) {
    return plane.sharedCopy();
}

Rgb colourArguments(const Call& call) {
    const auto component = [&](std::size_t index, const QString& role) {
        return static_cast<uint8_t>(wholeNumberIn(call.method, call.args, index, role, 0, 255));
    };
    return Rgb{component(0, QStringLiteral("red")), component(1, QStringLiteral("green")),
               component(2, QStringLiteral("blue"))};
}

const std::optional<RgbaFrame>& brushOf(const Call& call) {
    return call.model.painting().brush();
}

host::Variant getAppDir(const Call& call) {
    return call.model.appDir();
}

host::Variant sendFormObject(const Call& call) {
    const host::ObjectRef& window = object(call.method, call.args, 0, QStringLiteral("window"));
    wholeNumberIn(call.method, call.args, 1, QStringLiteral("mode"), 0, 0);
    call.model.heldWindows().hold(window);
    applyTheme(call.windows, window);
    return host::Empty{};
}

host::Variant wallpaperFilename(const Call& call) {
    return call.model.wallpaperFileName();
}

host::Variant bufferWidth(const Call& call) {
    return call.model.documents().documentAt(call.position).width();
}

host::Variant bufferHeight(const Call& call) {
    return call.model.documents().documentAt(call.position).height();
}

template <Channel channel> host::Variant getPlane(const Call& call) {
    return handedOut(call.model.documents().frameAt(call.position).plane(channel));
}

template <Channel channel> host::Variant setPlane(const Call& call) {
    call.model.documents().replacePlane(
        call.position, channel, byteArray(call.method, call.args, 0, QStringLiteral("plane")));
    return host::Empty{};
}

host::Variant newBuffer(const Call& call) {
    const int32_t width = wholeNumber(call.method, call.args, 0, QStringLiteral("width"));
    const int32_t height = wholeNumber(call.method, call.args, 1, QStringLiteral("height"));
    call.model.documents().createStill(call.position, width, height);
    return host::Empty{};
}

host::Variant saveUndo(const Call& call) {
    call.model.saveUndo(call.position);
    return host::Empty{};
}

host::Variant refresh(const Call& call) {
    call.model.display().requestRefresh();
    return host::Empty{};
}

host::Variant initMarquee(const Call& call) {
    call.model.display().initMarquee(call.model.documents().frameAt(call.position));
    return host::Empty{};
}

host::Variant alphaOn(const Call& call) {
    call.model.display().switchAlphaOn();
    return host::Empty{};
}

host::Variant setPrimaryColor(const Call& call) {
    call.model.painting().setPrimaryColour(colourArguments(call));
    return host::Empty{};
}

host::Variant setSecondaryColor(const Call& call) {
    call.model.painting().setSecondaryColour(colourArguments(call));
    return host::Empty{};
}

host::Variant initLuts(const Call&) {
    return handedOut(combineTable());
}

host::Variant brushWidth(const Call& call) {
    return brushOf(call) ? brushOf(call)->width() : int32_t{0};
}

host::Variant brushHeight(const Call& call) {
    return brushOf(call) ? brushOf(call)->height() : int32_t{0};
}

template <Channel channel> host::Variant getBrushPlane(const Call& call) {
    if (!brushOf(call))
        throw host::HostCallError(
            call.method, QStringLiteral("there is no custom brush (its width and height are 0)"));
    return handedOut(brushOf(call)->plane(channel));
}

host::Variant totalFrames(const Call& call) {
    return int32_t{call.model.documents().documentAt(call.position).frameCount()};
}

host::Variant gotoFrameAdv(const Call& call) {
    const int32_t frame = wholeNumber(call.method, call.args, 0, QStringLiteral("frame index"));
    wholeNumberIn(call.method, call.args, 1, QStringLiteral("mode"), 3, 3);
    call.model.documents().gotoFrame(call.position, frame);
    return host::Empty{};
}

host::Variant gotoFrame(const Call& call) {
    call.model.documents().gotoFrame(
        call.position, wholeNumber(call.method, call.args, 0, QStringLiteral("frame index")));
    return host::Empty{};
}

host::Variant createAnimAdv(const Call& call) {
    const int32_t frames = wholeNumber(call.method, call.args, 0, QStringLiteral("frame count"));
    wholeNumberIn(call.method, call.args, 1, QStringLiteral("mode"), 2, 2);
    call.model.documents().createAnimation(call.position, frames);
    return host::Empty{};
}

host::Variant statusOpen(const Call& call) {
    call.model.progress().open(text(call.method, call.args, 0, QStringLiteral("caption")));
    return host::Empty{};
}

host::Variant status(const Call& call) {
    call.model.progress().setPercent(number(call.method, call.args, 0, QStringLiteral("percent")));
    return host::Empty{};
}

host::Variant statusClose(const Call& call) {
    call.model.progress().close();
    return host::Empty{};
}

// Byte arrays arrive only as the planes of the Set methods.
const Operations& operations() {
    constexpr bool plane = true;
    static const Operations table{
        {"Tal_GetAppDir", 0, &getAppDir},
        {"Tal_SendFormObject", 2, &sendFormObject},
        {"Tal_WallpaperFilename", 0, &wallpaperFilename},
        {"Tal_BufferWidth", 0, &bufferWidth},
        {"Tal_BufferHeight", 0, &bufferHeight},
        {"tal_GetRBuffer", 0, &getPlane<Channel::Red>},
        {"tal_GetGBuffer", 0, &getPlane<Channel::Green>},
        {"tal_GetBBuffer", 0, &getPlane<Channel::Blue>},
        {"Tal_GetABuffer", 0, &getPlane<Channel::Alpha>},
        {"Tal_SetRBuffer", 1, &setPlane<Channel::Red>, plane},
        {"Tal_SetGBuffer", 1, &setPlane<Channel::Green>, plane},
        {"Tal_SetBBuffer", 1, &setPlane<Channel::Blue>, plane},
        {"Tal_SetaBuffer", 1, &setPlane<Channel::Alpha>, plane},
        {"Tal_NewBuffer", 2, &newBuffer},
        {"Tal_SaveUndo", 0, &saveUndo},
        {"tal_Refresh", 0, &refresh},
        {"Tal_Initmarquee", 0, &initMarquee},
        {"tal_alphaon", 0, &alphaOn},
        {"tal_setPrimaryColor", 3, &setPrimaryColor},
        {"tal_setSecondaryColor", 3, &setSecondaryColor},
        {"tal_initluts", 0, &initLuts},
        {"Tal_GetBrushWidth", 0, &brushWidth},
        {"Tal_GetBrushHeight", 0, &brushHeight},
        {"Tal_GetbrushABuffer", 0, &getBrushPlane<Channel::Alpha>},
        {"tal_GetbrushRBuffer", 0, &getBrushPlane<Channel::Red>},
        {"tal_GetbrushGBuffer", 0, &getBrushPlane<Channel::Green>},
        {"tal_GetbrushBBuffer", 0, &getBrushPlane<Channel::Blue>},
        {"tal_GetTotalFrames", 0, &totalFrames},
        {"Tal_GotoFrameAdv", 2, &gotoFrameAdv},
        {"Tal_GotoFrame", 1, &gotoFrame},
        {"tal_CreateAnimAdv", 2, &createAnimAdv},
        {"tal_StatusOpen", 1, &statusOpen},
        {"tal_Status", 1, &status},
        {"tal_StatusClose", 0, &statusClose},
    };
    return table;
}

} // namespace

HostObject::HostObject(HostModel& model, WindowCaller& windows)
    : model_(model), windows_(windows) {}

host::CallAdmission HostObject::admit(const QString& caller, const QString& method,
                                      std::size_t argumentCount) {
    if (!operations().find(method, argumentCount).takesByteArray)
        return host::CallAdmission{0};
    const FramePosition& position = callers_.of(caller, model_.documents().currentPosition());
    return host::CallAdmission{model_.documents().frameAt(position).largestPlaneTaken()};
}

host::Variant HostObject::Invoke(const QString& method, const std::vector<host::Variant>& args) {
    // Whatever the call changes, the window follows anyway; a copy of its
    // position serves.
    FramePosition position = model_.documents().currentPosition();
    return dispatch(method, args, position);
}

host::Variant HostObject::InvokeFrom(const QString& caller, const QString& method,
                                     const std::vector<host::Variant>& args) {
    return dispatch(method, args, callers_.of(caller, model_.documents().currentPosition()));
}

void HostObject::programLeft(const QString& busName) {
    callers_.forget(busName);
    model_.heldWindows().releaseOf(busName);
}

host::Variant HostObject::dispatch(const QString& method, const std::vector<host::Variant>& args,
                                   FramePosition& position) {
    const Handler handler = operations().find(method, args.size()).handler;
    // The model's own refusals (a frame out of range, a plane of the wrong
    // size, memory it cannot get) become errors of the call that asked.
    try {
        return handler(Call{model_, windows_, method, args, position});
    } catch (const host::HostCallError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw host::HostCallError(method, QStringLiteral("the host is out of memory"));
    } catch (const std::exception& error) {
        throw host::HostCallError(method, QString::fromStdString(error.what()));
    }
}

} // namespace tallowick
