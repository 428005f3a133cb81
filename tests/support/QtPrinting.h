#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// How GoogleTest prints Qt's strings in a failure: as text, not as the bytes
// of each character. Found by argument-dependent lookup, so it lives in Qt's
// own namespace (the global one).
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out) {
    *out << "{";
    for (qsizetype i = 0; i < list.size(); ++i)
        *out << (i == 0 ? " \"" : ", \"") << list[i].toStdString() << '"';
    *out << " }";
}
