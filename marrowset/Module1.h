#pragma once

#include "automation/AutomationObject.h"
#include "automation/Variant.h"
#include "marrowset/ChannelCommands.h"
#include "marrowset/CombineTable.h"
#include "marrowset/HeldBuffer.h"
#include "marrowset/ImageEdit.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace marrowset {

// Start-up step 1: creates the host object (the D-Bus connection in the
// program, a fake in tests).
using HostObjectFactory = std::function<std::unique_ptr<host::AutomationObject>()>;

// The module-wide state of the program: the host object, the command line,
// the held buffer and the combine table; and the routines tied to no window:
// the start-up's look at the brush, the loading of the brush and the table,
// and the commands that apply the held buffer. The held buffer and the table
// change only through the routines here.
class Module1 {
public:
    // `commandLine`: the argument text the program was started with.
    explicit Module1(QString commandLine);
    Module1(const Module1&) = delete;
    Module1& operator=(const Module1&) = delete;

    // Start-up step 1: the host object, in place of any before.
    void connect(const HostObjectFactory& createHostObject);
    // Throws std::logic_error before the start-up created it.
    host::AutomationObject& hostObject() const;

    // The start-up's look at the brush: its width and height as the host
    // reports them, held as W and H ahead of the planes the load step
    // fetches. Whether the host has a custom brush: a size of 0 or less in
    // either direction is none.
    bool holdBrushSize();
    // The load step's part: the brush's width and height read again, which
    // replace the start-up's, and its four planes (alpha, red, green, blue),
    // held together in place of the held buffer. A negative size is a
    // host::ResultValueError by now; a failing call leaves the held buffer as
    // it was.
    void loadBrush();
    // The combine table (tal_initluts), held in place of any before. A table
    // that misses entries the modes address is a host::CombineTableShapeError
    // naming the call and its bounds, and leaves no table held.
    void loadCombineTable();
    // Holds `buffer` in place of the held buffer, which it returns.
    HeldBuffer hold(HeldBuffer buffer);

    const HeldBuffer& held() const { return held_; }
    // None before the load step fetched it.
    const std::optional<CombineTable>& combineTable() const { return combineTable_; }

    const QString& commandLine() const { return commandLine_; }

    // The operations on the host's image, each applying the held buffer
    // (Pastes.h, Combine.h, AlphaCommands.h, ChannelCommands.h,
    // ReplaceBuffer.h). Failing host calls throw.
    void pasteOverlay();
    void pasteCentred();
    void pasteScaled();
    // Mode 0..9; std::logic_error before the load step fetched the table.
    void combine(int32_t mode);
    void replaceAlpha();
    void useImageAsAlpha();
    void addChannel(ImageChannel channel);
    void useAsGreyscale(GreyComponent component);
    void replaceBuffer();

    // The filter library's conversions the greyscale commands call.
    FilterRoutines filterRoutines = boundFilterRoutines();

private:
    struct BrushSize {
        int32_t W = 0;
        int32_t H = 0;
    };
    // How a size read from the host becomes a number: what a negative one
    // means differs between the start-up and the load step.
    using SizeConversion = int32_t (*)(const QString& method, const host::Variant& result);
    // The brush's width, then its height, as the host reports them now: the
    // one reading of the brush's size, for the start-up and the load step.
    BrushSize readBrushSize(SizeConversion toSize) const;

    QString commandLine_;
    std::unique_ptr<host::AutomationObject> hostObject_;
    HeldBuffer held_;
    std::optional<CombineTable> combineTable_;
};

} // namespace marrowset
