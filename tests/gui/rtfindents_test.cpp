// Paragraph indents in RTF text: reading them, and repairing a writer that
// puts the other lines' offset into \li and the first line's start into \fi.
#include <gtest/gtest.h>

#include "platform/gui/rtfindents.h"

namespace kp::test {
namespace {

using P = RtfParagraphIndents;

TEST(RtfIndents, ParagraphPropertiesAreReadPerPard) {
    const auto p = ParagraphIndents(
        "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\pard\\sl-240\\li284\\fi-142\\ri567\\qc \\f0 Eins\\par\n"
        "\\pard\\qr Zwei\\par\\pard Drei\\par}");
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0], (P{284, -142, 567, 'c'}));
    EXPECT_EQ(p[1], (P{std::nullopt, std::nullopt, std::nullopt, 'r'}));
    EXPECT_EQ(p[2], P{});
}

TEST(RtfIndents, SwappedIndentsBecomeLeftEdgeAndFirstLine) {
    // Start 284, offset 0: half a centimetre on the left, as a new letter.
    EXPECT_EQ(RepairSwappedIndents("\\pard\\sl-240\\slmult1\\fi284\\ri284 \\lang1031 Text\\par"),
              "\\pard\\sl-240\\slmult1\\li284\\ri284 \\lang1031 Text\\par");
    // Start 927, offset -360: left 567, first line 360 further in.
    EXPECT_EQ(RepairSwappedIndents("\\pard\\li-360\\fi927\\ri100 A\\par"),
              "\\pard\\li567\\fi360\\ri100 A\\par");
    // Start 367, offset 200: a hanging first line.
    EXPECT_EQ(RepairSwappedIndents("\\pard\\li200\\fi367 A"), "\\pard\\li567\\fi-200 A");
    // Start 0, offset 360: a bullet's hanging indent.
    EXPECT_EQ(RepairSwappedIndents("\\pard\\li360 A"), "\\pard\\li360\\fi-360 A");
    // Start 300, offset -300: only the first line is indented; the dropped
    // word's blank still parts the properties from the text.
    EXPECT_EQ(RepairSwappedIndents("\\pard\\fi300\\li-300 Text"), "\\pard\\fi300 Text");
    EXPECT_EQ(RepairSwappedIndents("\\pard\\li-300\\fi300{\\b A}"), "\\pard\\fi300{\\b A}");
}

TEST(RtfIndents, ABulletsGroupsAmongThePropertiesAreSteppedOver) {
    const std::string bullet =
        "{\\pntext\\f1 \\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}";
    EXPECT_EQ(RepairSwappedIndents("\\pard" + bullet + "\\sl-240\\li360 Punkt\\par"),
              "\\pard" + bullet + "\\sl-240\\li360\\fi-360 Punkt\\par");
    const auto p = ParagraphIndents("\\pard" + bullet + "\\li360\\fi-360 Punkt\\par");
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].li, 360);
    EXPECT_EQ(p[0].fi, -360);
    // A group of text ends the properties: what follows it is left alone.
    EXPECT_EQ(RepairSwappedIndents("\\pard{\\b Fett}\\li5 x"), "\\pard{\\b Fett}\\li5 x");
}

TEST(RtfIndents, EveryParagraphIsRepairedOnItsOwnAndNothingElseIsTouched) {
    const std::string rtf =
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0 Courier New;}}\r\n"
        "{\\*\\generator Wine Riched20 2.0;}\r\n"
        "\\pard\\fi284\\ri284 \\f0 Erster \\\\li5 \\'e4\\par\r\n"
        "\\pard\\li-360\r\n\\fi927\\qc Zweiter\\par\r\n"
        "\\pard\\lin77\\pardeftab\\tx720 Dritter\\par\r\n"
        "{\\pict\\bin4 \\li1}\\pard Vierter\\par}";
    const std::string want =
        "{\\rtf1\\ansi{\\fonttbl{\\f0\\fcharset0 Courier New;}}\r\n"
        "{\\*\\generator Wine Riched20 2.0;}\r\n"
        "\\pard\\li284\\ri284 \\f0 Erster \\\\li5 \\'e4\\par\r\n"
        "\\pard\\li567\\fi360\r\n\\qc Zweiter\\par\r\n"
        "\\pard\\lin77\\pardeftab\\tx720 Dritter\\par\r\n"
        "{\\pict\\bin4 \\li1}\\pard Vierter\\par}";
    EXPECT_EQ(RepairSwappedIndents(rtf), want);
    const auto p = ParagraphIndents(RepairSwappedIndents(rtf));
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p[0], (P{284, std::nullopt, 284, std::nullopt}));
    EXPECT_EQ(p[1], (P{567, 360, std::nullopt, 'c'}));
    EXPECT_EQ(p[2], P{});
}

TEST(RtfIndents, BrokenTextEndsWithoutReadingPastIt) {
    for (const char* rtf : {"\\", "\\pard\\li", "\\pard\\li-", "\\pard\\fi99999999999999999",
                            "\\bin999 ab", "\\'e", "\\pard\\li-\\fi5 x"}) {
        EXPECT_NO_THROW(ParagraphIndents(rtf)) << rtf;
        EXPECT_FALSE(RepairSwappedIndents(rtf).empty()) << rtf;
    }
    EXPECT_EQ(RepairSwappedIndents(""), "");
    // Parameters beyond any page are bounded, not overflowed.
    const auto p = ParagraphIndents(RepairSwappedIndents("\\pard\\li2147483647\\fi2147483647 x"));
    ASSERT_EQ(p.size(), 1u);
    EXPECT_GT(p[0].li.value_or(0), 0);
    EXPECT_LT(p[0].fi.value_or(0), 0);
}

}  // namespace
}  // namespace kp::test
