#include "marrowset/CombineTable.h"

#include <utility>

namespace marrowset {
namespace {

host::CombineTableLayout checkedLayout(const QString& method, const host::ByteArray& entries) {
    try {
        return host::CombineTableLayout(entries.dimensions());
    } catch (const host::CombineTableShapeError& error) {
        throw host::CombineTableShapeError(method.toStdString() + ": " + error.what());
    }
}

} // namespace

CombineTable::CombineTable(const QString& method, host::ByteArray entries)
    : entries_(std::move(entries)), layout_(checkedLayout(method, entries_)) {}

} // namespace marrowset
