#include "tests/support/BusServerThread.h"

#include <exception>

namespace tests {

BusServerThread::BusServerThread(PrivateBus& bus, const QString& connectionName)
    : connection_(bus.connect(connectionName)), worker_(std::make_unique<QObject>()) {
    thread_.start();
    worker_->moveToThread(&thread_);
}

BusServerThread::~BusServerThread() {
    withdrawAll();
    thread_.quit();
    thread_.wait();
    // The worker's thread has ended, so nothing can deliver to it any more.
    worker_.reset();
}

void BusServerThread::run(const std::function<void()>& task) {
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        worker_.get(),
        [&] {
            try {
                task();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure)
        std::rethrow_exception(failure);
}

host::ObjectRef BusServerThread::serve(host::AutomationObject& object, const QString& path) {
    host::ObjectRef reference;
    run([&] {
        exports_.push_back(host::exportObject(connection_, object, path));
        reference = exports_.back().reference();
    });
    return reference;
}

host::ObjectRef BusServerThread::serveAsHost(host::AutomationObject& object,
                                             host::DirectCalls direct) {
    host::ObjectRef reference;
    run([&] {
        hosts_.push_back(std::make_unique<host::ServedHostObject>(connection_, object, direct));
        reference = hosts_.back()->reference();
    });
    return reference;
}

void BusServerThread::withdrawAll() {
    run([this] {
        exports_.clear();
        hosts_.clear();
    });
}

} // namespace tests
