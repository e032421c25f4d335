#pragma once
// Field text <-> values, byte for byte as the tables store them.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/runtime/date.h"

namespace kp {

// Numeric field text -> number. Blanks and NULs are padding; empty text, a
// lone "." or "-" read as 0; an exponent is accepted. False when the text is
// not a number (asterisks of an overflowed older writer, garbage).
bool ParseNumericField(std::string_view text, double* value);

// Number -> right-aligned field text of exactly `width` bytes with `dec`
// decimals, rounded half away from zero. False (out untouched) when the
// number does not fit or is not finite.
bool FormatNumericField(double value, int width, int dec, char* out);

// Date field (8 bytes) -> date. Blanks, zeros and NULs in any mix are the
// empty date. False when the text is not a date.
bool ParseDateField(std::string_view text, Date* date);
void FormatDateField(Date d, char* out);  // 8 bytes

// Logical field byte: T t Y y are true, everything else false.
inline bool ParseLogicalField(char c) {
    return c == 'T' || c == 't' || c == 'Y' || c == 'y';
}

// Numeric index key of `width` bytes (see the NTX notes in ntx.h). Empty
// when the number needs more than `width` bytes: cutting it to its
// rightmost digits would put it out of order among the other keys.
std::optional<std::string> NumericKey(double value, int width, int dec);

}  // namespace kp
