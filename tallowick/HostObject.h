#pragma once

#include "host/AutomationObject.h"
#include "tallowick/RgbaFrame.h"

#include <QHash>
#include <QString>
#include <vector>

namespace tallowick {

class HostModel;
class WindowCaller;

// The host's automation object: serves every host method by name, without
// regard to case, on the model. A refused call throws host::HostCallError
// with the method as the caller spelled it and the reason; the model is then
// unchanged.
class HostObject : public host::AutomationObject {
public:
    HostObject(HostModel& model, WindowCaller& windows);

    host::Variant Invoke(const QString& method,
                         const std::vector<host::Variant>& args = {}) override;
    // Refuses an unknown method or a wrong argument count before anything is
    // read, and takes a byte array only as large as the current frame's
    // planes, and only for the methods that take a plane.
    host::CallAdmission admit(const QString& caller, const QString& method,
                              std::size_t argumentCount) override;

private:
    using Args = std::vector<host::Variant>;
    using Handler = host::Variant (HostObject::*)(const QString& method, const Args& args);
    struct Entry {
        Handler handler = nullptr;
        std::size_t argumentCount = 0;
        bool takesPlane = false;
    };
    static const QHash<QString, Entry>& entries();
    // The entry of `method`; HostCallError for an unknown method or a call
    // with another number of arguments.
    static const Entry& entryFor(const QString& method, std::size_t argumentCount);

    host::Variant getAppDir(const QString& method, const Args& args);
    host::Variant sendFormObject(const QString& method, const Args& args);
    host::Variant wallpaperFilename(const QString& method, const Args& args);
    host::Variant bufferWidth(const QString& method, const Args& args);
    host::Variant bufferHeight(const QString& method, const Args& args);
    template <Channel channel> host::Variant getPlane(const QString& method, const Args& args);
    template <Channel channel> host::Variant setPlane(const QString& method, const Args& args);
    host::Variant newBuffer(const QString& method, const Args& args);
    host::Variant saveUndo(const QString& method, const Args& args);
    host::Variant refresh(const QString& method, const Args& args);
    host::Variant initMarquee(const QString& method, const Args& args);
    host::Variant alphaOn(const QString& method, const Args& args);
    host::Variant setPrimaryColor(const QString& method, const Args& args);
    host::Variant setSecondaryColor(const QString& method, const Args& args);
    host::Variant initLuts(const QString& method, const Args& args);
    host::Variant brushWidth(const QString& method, const Args& args);
    host::Variant brushHeight(const QString& method, const Args& args);
    template <Channel channel> host::Variant getBrushPlane(const QString& method, const Args& args);
    host::Variant totalFrames(const QString& method, const Args& args);
    host::Variant gotoFrameAdv(const QString& method, const Args& args);
    host::Variant gotoFrame(const QString& method, const Args& args);
    host::Variant createAnimAdv(const QString& method, const Args& args);
    host::Variant statusOpen(const QString& method, const Args& args);
    host::Variant status(const QString& method, const Args& args);
    host::Variant statusClose(const QString& method, const Args& args);

    HostModel& model_;
    WindowCaller& windows_;
};

} // namespace tallowick
