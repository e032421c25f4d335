#pragma once
// rpDrawText: measures or draws a text wrapped into a box.
//
// The caller fills one parameter block; the function measures with the
// current device context (draw 0) or draws into the printer's (draw 1).
#include <windows.h>

#include <cstdint>

namespace kp {

// Alignments of the paragraph block.
inline constexpr int32_t kRpAlignLeft = 0;
inline constexpr int32_t kRpAlignCentre = 1;
inline constexpr int32_t kRpAlignRight = 2;
inline constexpr int32_t kRpAlignJustify =
    4;  // drawn flush left (the system has no justified output)

// How the lines of the text are set.
struct RpParagraph {
    int32_t reserved0 = 0;
    int32_t reserved4 = 0;
    int32_t reserved8 = 0;
    int32_t alignment = kRpAlignLeft;
    int32_t reserved16[24] = {};
    int32_t maxLines = 99999;  // lines beyond are neither measured nor drawn
};

// Which font the text is set in.
struct RpFontChoice {
    int32_t reserved0[8] = {};
    int32_t useSelectedFont = 1;  // 1: the font selected in the device context (the only one)
};

struct RpDrawTextParams {
    const char* text = nullptr;  // UTF-8, need not end with a zero
    int32_t length = 0;          // bytes of text
    int32_t version = 1;         // 1
    int32_t left = 0;            // the box, logical units
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    HDC printerDC = nullptr;  // drawn into
    HDC currentDC = nullptr;  // measured with (the printer's when null)
    HANDLE third = nullptr;   // unused
    int32_t draw = 0;         // 0 measure, 1 draw
    int32_t wordWrap = 1;     // 1: break lines between words; 0: one line per text line
    int32_t reserved48 = 0;
    int32_t reserved52 = 0;
    RpParagraph* paragraph = nullptr;  // null: flush left, no line limit
    RpFontChoice* font = nullptr;      // null: the selected font
    int32_t reserved64 = 0;
    int32_t bottomReached = 0;  // out: the bottom the text reaches (measure and draw)
};

// Measures (draw 0) or draws (draw 1) the text; answers the height the text
// takes in logical units, or 0 when there is nothing to do (no device
// context, no text, an empty box width).
int rpDrawText(RpDrawTextParams& params);

}  // namespace kp
