#include "automation/CombineTableLayout.h"

#include <QString>

namespace host {

std::vector<Dimension> combineTableDimensions() {
    return {{0, kCombineValues}, {0, kCombineValues}, {0, kCombineModes}};
}

CombineTableLayout::CombineTableLayout(const std::vector<Dimension>& dimensions) {
    const std::vector<Dimension> needed = combineTableDimensions();
    bool holdsEveryEntry = dimensions.size() == needed.size();
    for (std::size_t i = 0; holdsEveryEntry && i < needed.size(); ++i) {
        const int64_t upper = int64_t{dimensions[i].lower} + dimensions[i].count - 1;
        holdsEveryEntry = dimensions[i].lower <= 0 && upper >= needed[i].count - 1;
    }
    if (!holdsEveryEntry)
        throw CombineTableShapeError(
            QStringLiteral("The combine table has the bounds %1; it needs three dimensions that "
                           "hold %2")
                .arg(ByteArray::boundsText(dimensions), ByteArray::boundsText(needed))
                .toStdString());
    // Each lower bound is 0 or below, so (0 - lower) is the index 0's place
    // in its dimension.
    valueStride_ = static_cast<std::size_t>(dimensions[0].count);
    modeStride_ = valueStride_ * static_cast<std::size_t>(dimensions[1].count);
    origin_ = static_cast<std::size_t>(-int64_t{dimensions[0].lower}) +
              valueStride_ * static_cast<std::size_t>(-int64_t{dimensions[1].lower}) +
              modeStride_ * static_cast<std::size_t>(-int64_t{dimensions[2].lower});
}

std::size_t CombineTableLayout::sliceOffset(int32_t mode) const {
    return origin_ + modeStride_ * static_cast<std::size_t>(mode);
}

} // namespace host
