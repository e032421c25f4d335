#pragma once
// The page layout of an RTF document done by the system itself, for rich
// edit controls that cannot format pages (EM_FORMATRANGE does nothing).
//
// The document is read out of the control once: its text, the runs of
// equal character format and the paragraphs with their format. LayoutPage
// then sets lines into a box of a device context: words wrap at blanks
// (a word longer than the line breaks where it must), paragraphs keep their
// indents, alignment (left, right, centred; justified is set flush left) and
// spacing, tabs go to the next half inch. A page ends before the first line
// that does not fit its height.
#include <windows.h>
#include <richedit.h>

#include <string>
#include <vector>

namespace kp {

struct RtfRun {
    long start = 0;  // characters [start, end)
    long end = 0;
    std::wstring face = L"Arial";
    int heightTwips = 240;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    COLORREF colour = RGB(0, 0, 0);
    BYTE charset = DEFAULT_CHARSET;
    // The family of the face (fixed pitch, roman, ...): where the face is
    // missing, the font mapper keeps to a face of the same family.
    BYTE pitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    bool SameLook(const RtfRun& o) const;
};

struct RtfParagraph {
    long start = 0;  // first character
    long end = 0;    // its paragraph end (or the text's end)
    int align = PFA_LEFT;
    int startIndentTwips = 0;  // first line, from the box's left
    int offsetTwips = 0;       // further lines, relative to the first
    int rightIndentTwips = 0;
    int spaceBeforeTwips = 0;
    int spaceAfterTwips = 0;
};

struct RtfDocument {
    std::wstring text;  // paragraph ends as '\r'
    std::vector<RtfRun> runs;
    std::vector<RtfParagraph> paragraphs;
    long Length() const { return static_cast<long>(text.size()); }
};

// Reads text and formats out of a rich edit control.
RtfDocument ReadRichEdit(HWND edit);

struct PageLayout {
    long next = 0;               // the first character (0-based) not set on the page
    bool fittedNothing = false;  // not even the first line fitted
    int bottom = 0;              // where the last line set ends
};

// Sets the document from character first (0-based) into box (logical units
// of dc) and draws it when draw is set.
PageLayout LayoutPage(const RtfDocument& doc, HDC dc, RECT box, long first, bool draw);

}  // namespace kp
