#pragma once

#include <QObject>

namespace platform {

// Holds the user's input while the program is in the middle of something it
// must finish first, such as a call the host has not answered: while an
// InputHold lives on the application's thread (they nest), every input
// event that reaches one of the program's objects there (keys, mouse
// buttons and moves, wheel, touch, tablet, context menus; not the hover
// notices) is kept instead of delivered, and posted again, in its order, to
// the same object once the last hold ends. So no input handler runs in the
// middle of the work, and no input is lost. The event loop's own
// ExcludeUserInputEvents keeps the window system's input back before it
// reaches any object; this holds what arrives any other way. Elsewhere than
// on the application's thread, and without an application, a hold does
// nothing.
class InputHold {
public:
    InputHold();
    ~InputHold();
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

    // While one lives, input for `object`, and for every object inside it
    // (its children, theirs, ...), is delivered as usual: for a question the
    // program asks during a hold, such as a message box, which needs the
    // user's answer. A window's QWindow is not its widget's child, so a box
    // names both.
    class Exemption {
    public:
        explicit Exemption(const QObject* object);
        ~Exemption();
        Exemption(const Exemption&) = delete;
        Exemption& operator=(const Exemption&) = delete;

    private:
        const QObject* object_;
    };

    // True while a hold lives.
    static bool active();
};

} // namespace platform
