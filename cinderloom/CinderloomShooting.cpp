// "Shoot it": the film becomes a new animation in the host, one frame per
// slot, each optionally wiggled.
#include "cinderloom/Cinderloom.h"
#include "cinderloom/Film.h"
#include "cinderloom/FrameDevelopment.h"
#include "cinderloom/RetrievedCells.h"
#include "maker/binding/MakerLibraries.h"
#include "maker/widgets/VxDropSlider.h"
#include "platform/Conversions.h"
#include "platform/FatalError.h"
#include "platform/Hourglass.h"
#include "platform/Random.h"

#include <QCheckBox>
#include <memory>
#include <vector>

namespace cinderloom {
namespace {

constexpr int16_t kCreateAnimationMode = 2;
constexpr int16_t kGotoFrameMode = 3;

} // namespace

void Cinderloom::vx_button2_Click() {
    platform::runOrEnd(QStringLiteral("vx_button2_Click"), [this] { shootFilm(); });
}

void Cinderloom::shootFilm() {
    const int32_t amount = platform::toInt32(VX_DropSlider1->Value());
    const int32_t size = platform::toInt32(VX_DropSlider2->Value());
    host::AutomationObject& hostCalls = host_;
    hostCalls.Invoke(QStringLiteral("tal_StatusOpen"), {QStringLiteral("Saving...")});
    const int32_t length = film_.length();
    hostCalls.Invoke(QStringLiteral("tal_CreateAnimAdv"), {length, kCreateAnimationMode});
    hostCalls.Invoke(QStringLiteral("tal_StatusOpen"), {QStringLiteral("Developing...")});
    {
        const platform::HourglassGuard hourglass;
        const FrameSizes& sizes = cells_.sizes();
        // Each slot's frame is developed while the host moves to it and stores
        // the slot before; the move is answered before any plane of the slot
        // is sent, so planes never land in a frame the host failed to reach.
        std::vector<std::unique_ptr<host::SentCall>> lastSlotsCalls;
        const auto answerAll = [](std::vector<std::unique_ptr<host::SentCall>>& calls) {
            for (const std::unique_ptr<host::SentCall>& call : calls)
                call->answer();
            calls.clear();
        };
        for (int32_t slot = 0; slot < length; ++slot) {
            const std::unique_ptr<host::SentCall> move =
                hostCalls.Send(QStringLiteral("Tal_GotoFrameAdv"), {slot, kGotoFrameMode});
            FramePlanes frame =
                developFrame(cells_.store(), film_.cellAt(slot), sizes.width, sizes.height);
            if (Check1->isChecked()) {
                const FramePlanes source = frame;
                WiggleWarp(amount, size, source[0], source[1], source[2], frame[0], frame[1],
                           frame[2]);
            }
            answerAll(lastSlotsCalls);
            move->answer();
            lastSlotsCalls.push_back(
                hostCalls.Send(QStringLiteral("tal_SetRbuffer"), {std::move(frame[0])}));
            lastSlotsCalls.push_back(
                hostCalls.Send(QStringLiteral("tal_SetGBuffer"), {std::move(frame[1])}));
            lastSlotsCalls.push_back(
                hostCalls.Send(QStringLiteral("tal_SetBBuffer"), {std::move(frame[2])}));
            lastSlotsCalls.push_back(
                hostCalls.Send(QStringLiteral("tal_Status"),
                               {static_cast<double>(slot) / static_cast<double>(length) * 100.0}));
        }
        answerAll(lastSlotsCalls);
    }
    hostCalls.Invoke(QStringLiteral("Tal_GotoFrame"), {int16_t{0}});
    hostCalls.Invoke(QStringLiteral("tal_StatusClose"));
}

void Cinderloom::WiggleWarp(int32_t amount, int32_t size, const host::ByteArray& sourceRed,
                            const host::ByteArray& sourceGreen, const host::ByteArray& sourceBlue,
                            host::ByteArray& red, host::ByteArray& green, host::ByteArray& blue) {
    wiggleWarp(amount, size, sourceRed, sourceGreen, sourceBlue, red, green, blue,
               cells_.sizes().width, cells_.sizes().height, maker::noise3.pointer(),
               platform::programRandom());
}

} // namespace cinderloom
