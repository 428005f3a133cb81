#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <stdexcept>

namespace host {

// The bus would not let this side follow who leaves it.
class BusWatchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Tells of every name that loses its owner on the bus: a program's unique
// name when its connection closes (it ended, crashed or disconnected), a
// well-known name when it is given up. A side that serves programs drops
// what it keeps for one then, so that its memory stays bounded however many
// programs come and go. Every departure is watched, not only those of programs already
// seen, so that a program that leaves right after its first call is not
// missed.
class BusDepartures : public QObject {
    Q_OBJECT

public:
    // BusWatchError when the bus refuses the subscription.
    explicit BusDepartures(QDBusConnection connection, QObject* parent = nullptr);
    ~BusDepartures() override;

signals:
    void departed(const QString& name);

private slots:
    void ownerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);

private:
    QDBusConnection connection_;
};

} // namespace host
