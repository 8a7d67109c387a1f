// Where the minimized dialog paints its icon: centred in the client area,
// along one axis at a time. No Windows header, so that it is tested natively.
#pragma once

namespace qor {

// Signed arithmetic with C++'s division, which truncates toward zero: a
// client area smaller than the icon gives a negative origin, (0 - 32 + 1) / 2
// being -15, not -16.
constexpr int CentredIconOrigin(int clientExtent, int iconExtent) { return (clientExtent - iconExtent + 1) / 2; }

}  // namespace qor
