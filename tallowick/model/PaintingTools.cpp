#include "tallowick/model/PaintingTools.h"

#include <utility>

namespace tallowick {

PaintingTools::PaintingTools(std::optional<RgbaFrame> brush, QObject* parent)
    : QObject(parent), brush_(std::move(brush)) {}

void PaintingTools::setBrush(std::optional<RgbaFrame> brush) {
    brush_ = std::move(brush);
    emit brushChanged();
}

void PaintingTools::setPrimaryColour(Rgb colour) {
    primary_ = colour;
    emit coloursChanged();
}

void PaintingTools::setSecondaryColour(Rgb colour) {
    secondary_ = colour;
    emit coloursChanged();
}

} // namespace tallowick
