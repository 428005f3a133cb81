#include "tallowick/calls/TracingObject.h"

#include "tallowick/documents/Crc32.h"

#include <QFile>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <type_traits>

namespace tallowick {

namespace {

void appendString(QByteArray& out, const QString& text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendDouble(QByteArray& out, double value) {
    if (std::isnan(value)) {
        out += "\"NaN\"";
    } else if (std::isinf(value)) {
        out += value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    } else {
        char text[32];
        const auto result = std::to_chars(text, text + sizeof text, value);
        out.append(text, result.ptr - text);
    }
}

void appendByteArray(QByteArray& out, const host::ByteArray& array) {
    out += "{\"bounds\": [";
    bool first = true;
    for (const host::Dimension& dimension : array.dimensions()) {
        if (!first)
            out += ", ";
        first = false;
        out += '[' + QByteArray::number(dimension.lower) + ", " +
               QByteArray::number(dimension.count) + ']';
    }
    out += "], \"crc32\": " + QByteArray::number(crc32(array.data(), array.size())) + '}';
}

void appendVariant(QByteArray& out, const host::Variant& value) {
    std::visit(
        [&out](const auto& held) {
            using Held = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<Held, host::Empty>) {
                out += "null";
            } else if constexpr (std::is_same_v<Held, int16_t> || std::is_same_v<Held, int32_t>) {
                out += QByteArray::number(held);
            } else if constexpr (std::is_same_v<Held, double>) {
                appendDouble(out, held);
            } else if constexpr (std::is_same_v<Held, QString>) {
                appendString(out, held);
            } else if constexpr (std::is_same_v<Held, bool>) {
                out += held ? "true" : "false";
            } else if constexpr (std::is_same_v<Held, host::ByteArray>) {
                appendByteArray(out, held);
            } else {
                static_assert(std::is_same_v<Held, host::ObjectRef>, "every alternative traced");
                out += "{\"service\": ";
                appendString(out, held.service);
                out += ", \"path\": ";
                appendString(out, held.path);
                out += '}';
            }
        },
        value);
}

} // namespace

QByteArray traceLine(const QString& method, const std::vector<host::Variant>& args,
                     const std::optional<QString>& error) {
    QByteArray line = "{\"method\": ";
    appendString(line, method);
    line += ", \"args\": [";
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0)
            line += ", ";
        appendVariant(line, args[i]);
    }
    line += ']';
    if (error) {
        line += ", \"error\": ";
        appendString(line, *error);
    }
    line += "}\n";
    return line;
}

TracingObject::TracingObject(host::AutomationObject& inner, std::unique_ptr<QIODevice> out)
    : inner_(inner), out_(std::move(out)) {}

std::unique_ptr<TracingObject> TracingObject::toFile(host::AutomationObject& inner,
                                                     const QString& path) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw TraceError(QStringLiteral("--trace %1: cannot be written: %2")
                             .arg(path, file->errorString())
                             .toStdString());
    return std::make_unique<TracingObject>(inner, std::move(file));
}

template <typename Call>
host::Variant TracingObject::traced(const QString& method, const std::vector<host::Variant>& args,
                                    Call&& call) {
    host::Variant result;
    try {
        result = call();
    } catch (const std::exception& error) {
        write(traceLine(method, args, QString::fromStdString(error.what())));
        throw;
    }
    write(traceLine(method, args, std::nullopt));
    return result;
}

host::Variant TracingObject::Invoke(const QString& method, const std::vector<host::Variant>& args) {
    return traced(method, args, [&] { return inner_.Invoke(method, args); });
}

host::CallAdmission TracingObject::admit(const QString& caller, const QString& method,
                                         std::size_t argumentCount) {
    try {
        return inner_.admit(caller, method, argumentCount);
    } catch (const std::exception& error) {
        write(traceLine(method, {}, QString::fromStdString(error.what())));
        throw;
    }
}

host::Variant TracingObject::InvokeFrom(const QString& caller, const QString& method,
                                        const std::vector<host::Variant>& args) {
    return traced(method, args, [&] { return inner_.InvokeFrom(caller, method, args); });
}

void TracingObject::write(const QByteArray& line) {
    const bool written = out_->write(line) == line.size();
    auto* file = qobject_cast<QFileDevice*>(out_.get());
    const bool flushed = !file || file->flush();
    // A full disk must not fail the plug-in's call; it is reported once.
    if ((!written || !flushed) && !writeFailureReported_) {
        writeFailureReported_ = true;
        std::fprintf(stderr, "tallowick: the trace cannot be written: %s\n",
                     qPrintable(out_->errorString()));
    }
}

} // namespace tallowick
