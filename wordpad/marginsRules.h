#pragma once
// The paragraph dialog's texts and the rules that turn them back into
// twips and an alignment code. Plain functions, without windows.
#include <string>
#include <string_view>

namespace kp {

// What the paragraph dialog shows and gives back: the word pad's unit, the
// indents in twips and the alignment (1 left, 2 right, 3 centre).
struct ParagraphValues {
    bool inches = false;
    long left = 0;
    long right = 0;
    long firstLine = 0;
    int alignment = 1;

    bool operator==(const ParagraphValues&) const = default;
};

// Twips per unit: 1440 per inch, 567 per centimetre.
inline constexpr long TwipsPerUnit(bool inches) {
    return inches ? 1440 : 567;
}
// "in" or "cm".
std::string UnitText(bool inches);

// The edit text of an indent: the value in the unit, five characters wide
// with two decimals, a blank and the unit ("0.50 cm" padded to " 0.50 cm";
// the decimal separator is the run-time's).
std::string MarginText(long twips, bool inches);

// The indent an edit text gives: its leading number times the unit's twips
// (the unit text is ignored; a text without a leading number gives 0).
// Rounded to whole twips and kept within kMaxIndentTwips either way, so
// that a mistyped huge number cannot overflow.
inline constexpr long kMaxIndentTwips = 22 * 1440;
long MarginTwips(std::string_view text, bool inches);

// The alignment box's items, its text for an alignment code ("Left" for 1,
// "Right" for 2, "Centre" otherwise), and the code of a typed text ("LEFT"
// 1, "RIGHT" 2, anything else 3, case ignored).
inline constexpr const char* kAlignmentItems[] = {"Left", "Right", "Centre"};
std::string AlignmentText(int alignment);
int AlignmentCode(std::string_view text);

}  // namespace kp
