#include "tests/cinderloom/CinderloomTestSupport.h"

#include "automation/ByteArray.h"
#include "cinderloom/CLOptions.h"
#include "cinderloom/Cinderloom.h"
#include "platform/PictureBox.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <stdexcept>

namespace tests {

void scriptAnimation(FakeHost& fake, int32_t width, int32_t height, int32_t frames,
                     int32_t extraColumns) {
    fake.setResult("tal_BufferWidth", width);
    fake.setResult("tal_BufferHeight", height);
    fake.setResult("tal_GetTotalFrames", frames);
    auto currentFrame = std::make_shared<int32_t>(0);
    fake.setHandler("Tal_GotoFrameAdv", [currentFrame](const std::vector<host::Variant>& args) {
        *currentFrame = std::get<int32_t>(args.at(0));
        return host::Variant{};
    });
    const char* methods[] = {"tal_GetRbuffer", "tal_GetGbuffer", "Tal_GetBbuffer"};
    for (int channel = 0; channel < 3; ++channel)
        fake.setHandler(methods[channel], [=](const std::vector<host::Variant>&) {
            host::ByteArray plane = host::ByteArray::plane(width + 1 + extraColumns, height + 1);
            for (int y = 0; y <= height; ++y)
                for (int x = 0; x <= width + extraColumns; ++x)
                    plane.at(x, y) = scriptedSample(channel, *currentFrame, x, y);
            return host::Variant{std::move(plane)};
        });
}

CinderloomTest::CinderloomTest()
    : module(std::make_unique<cinderloom::Module1>(handover)),
      ownedFake_(std::make_unique<FakeHost>()), fake_(ownedFake_.get()),
      startDirectory_(QDir::currentPath()) {
    fake_->setResult("Tal_GetAppDir", QStringLiteral(TALLOWICK_APP_DIR));
    scriptAnimation(*fake_, 3, 2, 2);
}

CinderloomTest::~CinderloomTest() {
    module.reset();
    QDir::setCurrent(startDirectory_);
}

void CinderloomTest::startUp() {
    module->startUp([this] { return std::move(ownedFake_); });
}

cinderloom::Cinderloom& CinderloomTest::openMainWindow() {
    startUp();
    QTest::mouseClick(module->optionsDialog()->Command1, Qt::LeftButton);
    cinderloom::Cinderloom* window = module->mainWindow();
    if (!window)
        throw std::logic_error("the main window did not open");
    return *window;
}

cinderloom::Cinderloom& UniformCellsTest::openWindow(int32_t width, int32_t height,
                                                     const std::vector<QColor>& frames) {
    fake().setResult("tal_BufferWidth", width);
    fake().setResult("tal_BufferHeight", height);
    fake().setResult("tal_GetTotalFrames", static_cast<int32_t>(frames.size()));
    auto frame = std::make_shared<int32_t>(0);
    fake().setHandler("Tal_GotoFrameAdv", [frame](const std::vector<host::Variant>& args) {
        *frame = std::get<int32_t>(args.at(0));
        return host::Variant{};
    });
    const char* methods[] = {"tal_GetRbuffer", "tal_GetGbuffer", "Tal_GetBbuffer"};
    for (int channel = 0; channel < 3; ++channel)
        fake().setHandler(methods[channel], [=](const std::vector<host::Variant>&) {
            const QColor colour = frames.at(static_cast<std::size_t>(*frame));
            const int value = channel == 0   ? colour.red()
                              : channel == 1 ? colour.green()
                                             : colour.blue();
            host::ByteArray plane = host::ByteArray::plane(width + 1, height + 1);
            std::fill_n(plane.data(), plane.size(), static_cast<uint8_t>(value));
            return host::Variant{std::move(plane)};
        });
    startUp();
    QTest::mouseClick(module->optionsDialog()->Command1, Qt::LeftButton);
    if (!module->mainWindow())
        throw std::logic_error("the main window did not open");
    return *module->mainWindow();
}

void UniformCellsTest::send(QWidget* view, QEvent::Type type, Qt::MouseButton button, double x) {
    const QPointF at(x, 10);
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, view->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &event);
}

QColor UniformCellsTest::uniformColour(const platform::PictureBox& view, int from, int to) {
    const QColor first = view.image().pixelColor(from, 0);
    for (int y = 0; y <= 70; ++y)
        for (int x = from; x <= to; ++x)
            if (view.image().pixelColor(x, y) != first)
                return {};
    return first;
}

} // namespace tests
