#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace host {

// Tells a program serving on a bus that it can no longer be reached there:
// its connection closed (the bus daemon ended, or dropped it, say for
// running out of descriptors), or the well-known name it owns was taken
// from it. Either way callers looking for it find nobody, and nothing else
// says so: QtDBus does not end the program or fail anything it does not
// send. Reports once; must live on the thread of the connection's events.
class BusLossWatch : public QObject {
    Q_OBJECT

public:
    // Watches `connection`, and `ownedName` on it unless that is empty. A
    // connection that is already closed is reported from the event loop, so
    // that the loss is never missed for having come too early.
    BusLossWatch(QDBusConnection connection, QString ownedName, QObject* parent = nullptr);
    ~BusLossWatch() override;
    BusLossWatch(const BusLossWatch&) = delete;
    BusLossWatch& operator=(const BusLossWatch&) = delete;

signals:
    // The program is off the bus; `reason` says how, for a person.
    void lost(const QString& reason);

private slots:
    void connectionClosed();
    void nameLost(const QString& name);

private:
    void report(const QString& reason);

    QDBusConnection connection_;
    QString ownedName_;
    bool reported_ = false;
};

} // namespace host
