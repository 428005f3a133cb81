#pragma once

#include "automation/AutomationObject.h"
#include "tallowick/model/CallerPositions.h"
#include "tallowick/model/FramePosition.h"

#include <QString>
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
    host::Variant dispatch(const QString& method, const std::vector<host::Variant>& args,
                           FramePosition& position);

    HostModel& model_;
    WindowCaller& windows_;
    CallerPositions callers_;
};

} // namespace tallowick
