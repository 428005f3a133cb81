#include "platform/InputHold.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QThread>
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace platform {

namespace {

bool onApplicationThread() {
    return QCoreApplication::instance() &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Hover notices follow the pointer as widgets appear and go; holding them
// would only replay stale ones.
bool isHeldInput(const QEvent* event) {
    switch (event->type()) {
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::HoverEnter:
    case QEvent::HoverLeave:
    case QEvent::HoverMove:
        return false;
    default:
        return event->isInputEvent();
    }
}

// The application-wide filter of the holds on the application's thread.
class Holder final : public QObject {
public:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (!isHeldInput(event) || exempt(receiver))
            return false;
        held_.emplace_back(QPointer<QObject>(receiver), std::unique_ptr<QEvent>(event->clone()));
        return true;
    }

    // Posted again, in their order, to those still there.
    void release() {
        std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held;
        held.swap(held_);
        for (auto& [receiver, event] : held)
            if (receiver)
                QCoreApplication::postEvent(receiver, event.release());
    }

    std::vector<const QObject*> exemptions;

private:
    bool exempt(const QObject* receiver) const {
        for (const QObject* object = receiver; object; object = object->parent())
            if (std::find(exemptions.begin(), exemptions.end(), object) != exemptions.end())
                return true;
        return false;
    }

    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

// Used from the application's thread only.
int depth = 0;
Holder* holder = nullptr;

} // namespace

InputHold::InputHold() {
    if (!onApplicationThread())
        return;
    if (depth++ == 0) {
        holder = new Holder;
        QCoreApplication::instance()->installEventFilter(holder);
    }
}

InputHold::~InputHold() {
    if (!onApplicationThread() || depth == 0)
        return;
    if (--depth == 0) {
        QCoreApplication::instance()->removeEventFilter(holder);
        holder->release();
        delete holder;
        holder = nullptr;
    }
}

bool InputHold::active() {
    return onApplicationThread() && depth > 0;
}

InputHold::Exemption::Exemption(const QObject* object) : object_(object) {
    if (holder && object_)
        holder->exemptions.push_back(object_);
}

InputHold::Exemption::~Exemption() {
    if (!holder || !object_)
        return;
    const auto found = std::find(holder->exemptions.rbegin(), holder->exemptions.rend(), object_);
    if (found != holder->exemptions.rend())
        holder->exemptions.erase(std::next(found).base());
}

} // namespace platform
