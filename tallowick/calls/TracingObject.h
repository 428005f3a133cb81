#pragma once

#include "automation/AutomationObject.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace tallowick {

// The trace file cannot be opened.
class TraceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One trace line, newline included: {"method": name as spelled, "args": [...]}
// plus "error" with the failure's text when the call failed. Numbers, text
// and Booleans appear as JSON values (a non-finite double as the text
// "NaN", "Infinity" or "-Infinity"), Empty as null, an object reference as
// {"service": ..., "path": ...}, a byte array as
// {"bounds": [[lower, count], ...], "crc32": n}.
QByteArray traceLine(const QString& method, const std::vector<host::Variant>& args,
                     const std::optional<QString>& error);

// Passes every call on to `inner` and writes its trace line after it
// returned or failed, flushing each line so that the trace is whole even if
// the host is killed.
class TracingObject : public host::AutomationObject {
public:
    TracingObject(host::AutomationObject& inner, std::unique_ptr<QIODevice> out);
    // Creates or truncates `path`; TraceError naming the file and the reason
    // when it cannot.
    static std::unique_ptr<TracingObject> toFile(host::AutomationObject& inner,
                                                 const QString& path);

    host::Variant Invoke(const QString& method,
                         const std::vector<host::Variant>& args = {}) override;
    host::Variant InvokeFrom(const QString& caller, const QString& method,
                             const std::vector<host::Variant>& args) override;
    // A call refused before its arguments were read is traced without them.
    host::CallAdmission admit(const QString& caller, const QString& method,
                              std::size_t argumentCount) override;

private:
    template <typename Call>
    host::Variant traced(const QString& method, const std::vector<host::Variant>& args,
                         Call&& call);

    void write(const QByteArray& line);

    host::AutomationObject& inner_;
    std::unique_ptr<QIODevice> out_;
    bool writeFailureReported_ = false;
};

} // namespace tallowick
