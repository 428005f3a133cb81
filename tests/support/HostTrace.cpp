#include "tests/support/HostTrace.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace tests {

std::vector<TraceLine> readTrace(const QString& path) {
    QFile trace(path);
    if (!trace.open(QIODevice::ReadOnly))
        return {};
    std::vector<TraceLine> lines;
    for (const QByteArray& line : trace.readAll().split('\n')) {
        const QJsonDocument parsed = QJsonDocument::fromJson(line);
        if (!parsed.isObject())
            continue;
        const QJsonObject call = parsed.object();
        lines.push_back({call["method"].toString(), call["args"].toArray()});
    }
    return lines;
}

} // namespace tests
