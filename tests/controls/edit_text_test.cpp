// Positions between the edit control's UTF-16 units and the program's UTF-8.
#include <gtest/gtest.h>

#include "controls/EditText.h"

namespace kp {
namespace {

TEST(EditText, UnitsAndBytesMeetAtCharacterBoundaries) {
    const std::string text = "Grüße \U0001F600!";  // G r ü ß e blank, a pair, !
    const int units[] = {0, 1, 2, 3, 4, 5, 6, 8, 9};
    const size_t bytes[] = {0, 1, 2, 4, 6, 7, 8, 12, 13};
    for (size_t i = 0; i < std::size(units); ++i) {
        EXPECT_EQ(Utf8OffsetOfUtf16(text, units[i]), bytes[i]) << units[i];
        EXPECT_EQ(Utf16OffsetOfUtf8(text, bytes[i]), units[i]) << bytes[i];
    }
}

TEST(EditText, PositionsOutsideTheTextOrInsideACharacter) {
    const std::string text = "a\U0001F600b";
    EXPECT_EQ(Utf8OffsetOfUtf16(text, -3), 0u);
    EXPECT_EQ(Utf8OffsetOfUtf16(text, 2), 5u);  // inside the pair: after it
    EXPECT_EQ(Utf8OffsetOfUtf16(text, 40), text.size());
    EXPECT_EQ(Utf16OffsetOfUtf8(text, 2), 3);  // inside the character: after it
    EXPECT_EQ(Utf16OffsetOfUtf8(text, 99), 4);
}

}  // namespace
}  // namespace kp
