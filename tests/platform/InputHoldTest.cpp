// Input held while the program is in the middle of something: kept, not
// delivered, then delivered in its order; a question asked meanwhile gets
// its own.
#include "platform/InputHold.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <memory>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Notes the keys that reach it, and anything else it is sent.
class Receiver : public QObject {
public:
    using QObject::QObject;
    std::vector<int> keys;
    int others = 0;

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            keys.push_back(static_cast<QKeyEvent*>(event)->key());
        else if (event->type() == QEvent::User)
            ++others;
        return QObject::event(event);
    }
};

void postKey(QObject* receiver, int key) {
    QCoreApplication::postEvent(receiver, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
}

TEST(InputHold, KeepsInputUntilTheLastHoldEndsAndThenDeliversItInOrder) {
    Receiver window;
    EXPECT_FALSE(platform::InputHold::active());
    {
        const platform::InputHold outer;
        {
            const platform::InputHold inner;
            EXPECT_TRUE(platform::InputHold::active());
            postKey(&window, Qt::Key_A);
            QCoreApplication::postEvent(&window, new QEvent(QEvent::User));
            QCoreApplication::processEvents();
        }
        postKey(&window, Qt::Key_B);
        QCoreApplication::processEvents();
        // What is not input goes through.
        EXPECT_EQ(window.others, 1);
        EXPECT_TRUE(window.keys.empty());
    }
    EXPECT_FALSE(platform::InputHold::active());
    QCoreApplication::processEvents();
    EXPECT_EQ(window.keys, (std::vector<int>{Qt::Key_A, Qt::Key_B}));
}

TEST(InputHold, AnExemptObjectAndWhatIsInsideItGetTheirInput) {
    Receiver box;
    Receiver button(&box);
    Receiver window;
    {
        const platform::InputHold hold;
        const platform::InputHold::Exemption forTheBox(&box);
        postKey(&button, Qt::Key_Return);
        postKey(&window, Qt::Key_A);
        QCoreApplication::processEvents();
        EXPECT_EQ(button.keys, std::vector<int>{Qt::Key_Return});
        EXPECT_TRUE(window.keys.empty());
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(window.keys, std::vector<int>{Qt::Key_A});
}

TEST(InputHold, InputForAnObjectGoneMeanwhileIsDropped) {
    auto window = std::make_unique<Receiver>();
    {
        const platform::InputHold hold;
        postKey(window.get(), Qt::Key_A);
        QCoreApplication::processEvents();
        window.reset();
    }
    QCoreApplication::processEvents();
    SUCCEED();
}

} // namespace
