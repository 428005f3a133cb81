#include "tests/marrowset/MarrowsetTestSupport.h"

#include "automation/CombineTableLayout.h"
#include "maker/binding/MakerLibraries.h"
#include "marrowset/Form1.h"
#include "platform/MessageBox.h"
#include "platform/ProgramTitle.h"

#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>
#include <QWidget>
#include <stdexcept>

namespace tests {

host::ByteArray brushPlane(int channel, host::Dimension columns, host::Dimension rows) {
    host::ByteArray plane({columns, rows});
    for (int32_t y = rows.lower; y < rows.lower + rows.count; ++y)
        for (int32_t x = columns.lower; x < columns.lower + columns.count; ++x)
            plane.at(x, y) = brushSample(channel, x, y);
    return plane;
}

void scriptBrush(FakeHost& fake, int32_t W, int32_t H) {
    scriptBrush(fake, W, H, {0, W + 1}, {0, H + 1});
}

void scriptBrush(FakeHost& fake, int32_t W, int32_t H, host::Dimension columns,
                 host::Dimension rows) {
    fake.setResult("Tal_GetBrushWidth", W);
    fake.setResult("Tal_GetBrushHeight", H);
    const char* methods[] = {"Tal_GetbrushABuffer", "tal_GetbrushRBuffer", "tal_GetbrushGBuffer",
                             "tal_GetbrushBBuffer"};
    for (int channel = kAlpha; channel <= kBlue; ++channel)
        fake.setResult(methods[channel], brushPlane(channel, columns, rows));
}

FakeImage::FakeImage(FakeHost& fake, int32_t width, int32_t height) {
    replace(width, height);
    fake.setHandler("Tal_BufferWidth", [this](const auto&) { return host::Variant{BW}; });
    fake.setHandler("Tal_BufferHeight", [this](const auto&) { return host::Variant{BH}; });
    const char* getters[] = {"Tal_GetABuffer", "tal_GetRBuffer", "tal_GetGBuffer",
                             "tal_GetBBuffer"};
    const char* setters[] = {"Tal_SetaBuffer", "Tal_SetRBuffer", "Tal_SetGBuffer",
                             "Tal_SetBBuffer"};
    for (int channel = kAlpha; channel <= kBlue; ++channel) {
        fake.setHandler(getters[channel],
                        [this, channel](const auto&) { return host::Variant{planes[channel]}; });
        fake.setHandler(setters[channel], [this, channel](const std::vector<host::Variant>& args) {
            planes[channel] = std::get<host::ByteArray>(args.at(0));
            return host::Variant{};
        });
    }
}

void FakeImage::replace(int32_t width, int32_t height) {
    BW = width;
    BH = height;
    for (int channel = kAlpha; channel <= kBlue; ++channel) {
        planes[channel] = host::ByteArray::plane(BW + 1, BH + 1);
        for (int32_t y = 0; y <= BH; ++y)
            for (int32_t x = 0; x <= BW; ++x)
                planes[channel].at(x, y) = imageSample(channel, x, y);
    }
}

void expectImage(const FakeImage& image, const Written& written) {
    for (int channel = kAlpha; channel <= kBlue; ++channel)
        for (int y = 0; y <= image.BH; ++y)
            for (int x = 0; x <= image.BW; ++x) {
                const std::optional<uint8_t> value = written(channel, x, y);
                ASSERT_EQ(image.planes[channel].at(x, y),
                          value ? *value : imageSample(channel, x, y))
                    << "channel " << channel << " at (" << x << ", " << y << ")";
            }
}

host::ByteArray scriptedCombineTable() {
    host::ByteArray table(host::combineTableDimensions());
    for (int m = 0; m < host::kCombineModes; ++m)
        for (int d = 0; d < 256; ++d)
            for (int s = 0; s < 256; ++s)
                table.at(s, d, m) = static_cast<uint8_t>(s + 2 * d + 3 * m);
    return table;
}

void sendMouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButton button,
               Qt::MouseButtons held) {
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

namespace {

// The module owns its host object; this one passes every call on to the
// fixture's fake.
class ForwardingHost : public host::AutomationObject {
public:
    explicit ForwardingHost(FakeHost& fake) : fake_(fake) {}
    host::Variant Invoke(const QString& method, const std::vector<host::Variant>& args) override {
        return fake_.Invoke(method, args);
    }

private:
    FakeHost& fake_;
};

} // namespace

MarrowsetTest::MarrowsetTest()
    : unexpectedExit_(
          [](int status) { ADD_FAILURE() << "the program ended with status " << status; }),
      image(fake_, 6, 5) {
    platform::setProgramTitle(QStringLiteral("Marrowset"));
    const QString startDirectory = QDir::currentPath();
    QDir::setCurrent(QStringLiteral(TALLOWICK_APP_DIR));
    maker::z_scale_to_dib.pointer();
    QDir::setCurrent(startDirectory);
    scriptBrush(fake_, 4, 3);
    fake_.setResult("tal_initluts", scriptedCombineTable());
}

MarrowsetTest::~MarrowsetTest() {
    program.reset();
}

plugin::StartUpOutcome MarrowsetTest::startUp(const QString& commandLine) {
    program.reset();
    program = std::make_unique<marrowset::Program>(handover, commandLine);
    return program->startUp([this] { return std::make_unique<ForwardingHost>(fake_); });
}

marrowset::Form1& MarrowsetTest::openWindow(const QString& commandLine) {
    if (startUp(commandLine) != plugin::StartUpOutcome::WindowsOpen || !program->mainWindow())
        throw std::logic_error("the main window did not open");
    return *program->mainWindow();
}

MarrowsetTest::Ending MarrowsetTest::endingOf(const std::function<void()>& step) {
    Ending ending;
    const platform::ScopedExitHandler exitHandler([&](int status) { ending.status = status; });
    testing::internal::CaptureStderr();
    step();
    ending.errorOutput = testing::internal::GetCapturedStderr();
    return ending;
}

marrowset::Form2& MarrowsetTest::menu() {
    if (!program || !program->mainWindow())
        throw std::logic_error("no main window holds a menu");
    return program->mainWindow()->menuHolder();
}

} // namespace tests
