#pragma once

#include "automation/AutomationObject.h"
#include "automation/OperationTable.h"
#include "tallowick/documents/RgbaFrame.h"
#include "tallowick/model/CallerPositions.h"
#include "tallowick/model/FramePosition.h"

#include <QString>
#include <variant>
#include <vector>

namespace tallowick {

class HostModel;
class WindowCaller;

// The host's automation object: serves every host method by name, without
// regard to case, on the model. A refused call throws host::HostCallError
// with the method as the caller spelled it and the reason; the model is then
// unchanged.
//
// Each program on the bus has its own current document and frame, which the
// calls about "the current image" use; Invoke, for calls made in this
// process, uses the host window's.
class HostObject : public host::AutomationObject {
public:
    HostObject(HostModel& model, WindowCaller& windows);

    host::Variant Invoke(const QString& method,
                         const std::vector<host::Variant>& args = {}) override;
    host::Variant InvokeFrom(const QString& caller, const QString& method,
                             const std::vector<host::Variant>& args) override;
    // Refuses an unknown method or a wrong argument count before anything is
    // read, and takes a byte array only for the methods that take a plane,
    // and only as large as the caller's current frame's planes.
    host::CallAdmission admit(const QString& caller, const QString& method,
                              std::size_t argumentCount) override;

    // Drops what the host keeps for `busName`, a program that has left the
    // bus: its current document and frame, and the windows it handed over.
    void programLeft(const QString& busName);
    const CallerPositions& callers() const { return callers_; }

private:
    using Args = std::vector<host::Variant>;
    using PlainHandler = host::Variant (HostObject::*)(const QString& method, const Args& args);
    // A call about the caller's current image, with the caller's position.
    using ImageHandler = host::Variant (HostObject::*)(const QString& method, const Args& args,
                                                       FramePosition& position);
    using Handler = std::variant<PlainHandler, ImageHandler>;
    // Byte arrays arrive only as the planes of the Set methods.
    using Operations = host::OperationTable<Handler>;
    static const Operations& operations();

    host::Variant dispatch(const QString& method, const Args& args, FramePosition& position);

    host::Variant getAppDir(const QString& method, const Args& args);
    host::Variant sendFormObject(const QString& method, const Args& args);
    host::Variant wallpaperFilename(const QString& method, const Args& args);
    host::Variant bufferWidth(const QString& method, const Args& args, FramePosition& position);
    host::Variant bufferHeight(const QString& method, const Args& args, FramePosition& position);
    template <Channel channel>
    host::Variant getPlane(const QString& method, const Args& args, FramePosition& position);
    template <Channel channel>
    host::Variant setPlane(const QString& method, const Args& args, FramePosition& position);
    host::Variant newBuffer(const QString& method, const Args& args, FramePosition& position);
    host::Variant saveUndo(const QString& method, const Args& args, FramePosition& position);
    host::Variant refresh(const QString& method, const Args& args);
    host::Variant initMarquee(const QString& method, const Args& args, FramePosition& position);
    host::Variant alphaOn(const QString& method, const Args& args);
    host::Variant setPrimaryColor(const QString& method, const Args& args);
    host::Variant setSecondaryColor(const QString& method, const Args& args);
    host::Variant initLuts(const QString& method, const Args& args);
    host::Variant brushWidth(const QString& method, const Args& args);
    host::Variant brushHeight(const QString& method, const Args& args);
    template <Channel channel> host::Variant getBrushPlane(const QString& method, const Args& args);
    host::Variant totalFrames(const QString& method, const Args& args, FramePosition& position);
    host::Variant gotoFrameAdv(const QString& method, const Args& args, FramePosition& position);
    host::Variant gotoFrame(const QString& method, const Args& args, FramePosition& position);
    host::Variant createAnimAdv(const QString& method, const Args& args, FramePosition& position);
    host::Variant statusOpen(const QString& method, const Args& args);
    host::Variant status(const QString& method, const Args& args);
    host::Variant statusClose(const QString& method, const Args& args);

    HostModel& model_;
    WindowCaller& windows_;
    CallerPositions callers_;
};

} // namespace tallowick
