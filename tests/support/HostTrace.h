#pragma once

#include <QJsonArray>
#include <QString>
#include <vector>

namespace tests {

// One call the host received, as its --trace file records it.
struct TraceLine {
    QString method;
    QJsonArray args;
};

// The trace as far as it is written; a line still being written is skipped.
// Nothing for a file that cannot be read (yet).
std::vector<TraceLine> readTrace(const QString& path);

} // namespace tests
