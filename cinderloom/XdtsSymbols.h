#pragma once

namespace cinderloom {

// The words of the exchange time sheet that its reader and writer share.
inline constexpr char kXdtsIdentifier[] = "exchangeDigitalTimeSheet Save Data";
inline constexpr int kXdtsVersion = 5;
// The field of the drawings shown; 3 is dialogue and 5 camerawork, which
// a film has no use for.
inline constexpr int kCellFieldId = 0;
// The kind of an entry in a frame's data that carries the cell values.
inline constexpr int kCellDataId = 0;

inline constexpr char kNullCellSymbol[] = "SYMBOL_NULL_CELL";
// Marks on the sheet that continue what was shown before.
inline constexpr char kHyphenSymbol[] = "SYMBOL_HYPHEN";
inline constexpr char kTick1Symbol[] = "SYMBOL_TICK_1";
inline constexpr char kTick2Symbol[] = "SYMBOL_TICK_2";

} // namespace cinderloom
