#pragma once
// The paragraph dialog's number formats and the rules that turn its texts
// back into twips and an alignment code. Plain functions, without windows.

namespace kp {

// Twips per unit: 1440 per inch, 567 per centimetre.
inline constexpr long TwipsPerUnit(bool inches) {
    return inches ? 1440 : 567;
}

}  // namespace kp
