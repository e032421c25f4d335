#pragma once
// Paragraph indents in RTF text, and the repair of a writer that states
// them the wrong way round.
//
// RTF gives a paragraph's left edge as \li and its first line against that
// edge as \fi (negative for a hanging first line). The rich-edit control
// keeps the first line's indent from the page edge and the other lines'
// offset from the first line; a correct writer turns (start, offset) into
// \li(start + offset) and \fi(-offset). Wine's rich edit writes \li(offset)
// and \fi(start) instead, so that a letter with half a centimetre on the
// left reads back as a first-line indent. RepairSwappedIndents undoes that
// for every paragraph of such a text.
//
// Plain text functions: no window, no control.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kp {

// The indents one paragraph's properties (the control words after \pard up
// to the paragraph's text) state, as written.
struct RtfParagraphIndents {
    std::optional<long> li;         // \li
    std::optional<long> fi;         // \fi
    std::optional<long> ri;         // \ri
    std::optional<char> alignment;  // 'l', 'r', 'c' or 'j' of \ql, \qr, \qc, \qj

    bool operator==(const RtfParagraphIndents&) const = default;
};

// The properties of every \pard in the text, in order.
std::vector<RtfParagraphIndents> ParagraphIndents(std::string_view rtf);

// The text with each paragraph's \li and \fi turned from what the swapping
// writer means (\li = offset, \fi = start) into RTF's (\li = start + offset,
// \fi = -offset); everything else is left byte for byte as it was.
std::string RepairSwappedIndents(std::string_view rtf);

}  // namespace kp
