// The system's own page layout of RTF documents, on documents built here.
#include <gtest/gtest.h>

#include "platform/report/pages.h"
#include "platform/report/rtflayout.h"

namespace kp {
namespace {

// One paragraph per text, all in one run of 12-point Arial.
RtfDocument Doc(const std::vector<std::wstring>& paragraphs) {
    RtfDocument doc;
    for (const std::wstring& p : paragraphs) {
        RtfParagraph para;
        para.start = doc.Length();
        doc.text += p;
        para.end = doc.Length();
        doc.text += L'\r';
        doc.paragraphs.push_back(para);
    }
    doc.text.pop_back();  // the last paragraph has no end mark of its own
    RtfRun run;
    run.start = 0;
    run.end = doc.Length();
    doc.runs.push_back(run);
    return doc;
}

// Lays out into a page metafile and reads back what was drawn.
struct Drawn {
    PageLayout layout;
    std::vector<PageText> texts;
};

Drawn Lay(const RtfDocument& doc, RECT box, long first, bool draw = true) {
    HDC screen = GetDC(nullptr);
    HDC meta = CreateEnhMetaFileW(screen, nullptr, nullptr, nullptr);
    ReleaseDC(nullptr, screen);
    Drawn d;
    d.layout = LayoutPage(doc, meta, box, first, draw);
    EnhMetafile page(CloseEnhMetaFile(meta));
    d.texts = ReadPageTexts(page.Get());
    return d;
}

std::wstring Repeat(const std::wstring& word, int n) {
    std::wstring s;
    for (int i = 0; i < n; ++i)
        s += word + L" ";
    return s;
}

TEST(RtfLayout, PagesContinueWhereTheyStoppedAndSetEveryWordOnce) {
    std::vector<std::wstring> paras;
    for (int i = 0; i < 40; ++i)
        paras.push_back(L"Absatz " + std::to_wstring(i) + L" " + Repeat(L"Wort", 25));
    RtfDocument doc = Doc(paras);
    long first = 0;
    int pages = 0;
    size_t words = 0;
    std::string all;
    while (first < doc.Length()) {
        Drawn d = Lay(doc, {0, 0, 500, 600}, first);
        ASSERT_FALSE(d.layout.fittedNothing);
        ASSERT_GT(d.layout.next, first);
        // A page break falls between lines: the next page starts a word.
        if (d.layout.next < doc.Length()) {
            EXPECT_NE(doc.text[static_cast<size_t>(d.layout.next) - 1], L'W');
        }
        EXPECT_LE(d.layout.bottom, 600);
        for (const PageText& t : d.texts) {
            all += t.text + " ";
            EXPECT_GE(t.at.y, 0);
        }
        first = d.layout.next;
        ++pages;
        ASSERT_LT(pages, 100);
    }
    EXPECT_GT(pages, 2);
    for (size_t at = all.find("Wort"); at != std::string::npos; at = all.find("Wort", at + 1))
        ++words;
    EXPECT_EQ(words, 40u * 25u);
    for (int i = 0; i < 40; ++i)
        EXPECT_NE(all.find("Absatz " + std::to_string(i) + " "), std::string::npos) << i;
}

TEST(RtfLayout, MeasuringBreaksWhereDrawingDoes) {
    RtfDocument doc = Doc({Repeat(L"Vertrag", 200)});
    Drawn measured = Lay(doc, {0, 0, 400, 300}, 0, false);
    Drawn drawn = Lay(doc, {0, 0, 400, 300}, 0, true);
    EXPECT_TRUE(measured.texts.empty());
    EXPECT_EQ(measured.layout.next, drawn.layout.next);
    EXPECT_EQ(measured.layout.bottom, drawn.layout.bottom);
}

TEST(RtfLayout, ABoxLowerThanALineFitsNothing) {
    RtfDocument doc = Doc({L"Zeile"});
    Drawn d = Lay(doc, {0, 0, 400, 3}, 0);
    EXPECT_TRUE(d.layout.fittedNothing);
    EXPECT_EQ(d.layout.next, 0);
    EXPECT_TRUE(d.texts.empty());
}

TEST(RtfLayout, AWordWiderThanTheLineIsBrokenNotRepeated) {
    const std::wstring word(120, L'x');
    RtfDocument doc = Doc({word});
    Drawn d = Lay(doc, {0, 0, 100, 2000}, 0);
    EXPECT_EQ(d.layout.next, doc.Length());
    size_t chars = 0;
    for (const PageText& t : d.texts)
        chars += t.text.size();
    EXPECT_EQ(chars, word.size());
    EXPECT_GT(d.texts.size(), 2u);
}

TEST(RtfLayout, AlignmentAndIndentsPlaceTheLines) {
    RtfDocument doc = Doc({L"rechts", L"mitte", Repeat(L"eingerückt", 12)});
    doc.paragraphs[0].align = PFA_RIGHT;
    doc.paragraphs[1].align = PFA_CENTER;
    doc.paragraphs[2].startIndentTwips = 1440;  // first line one inch in
    doc.paragraphs[2].offsetTwips = -720;       // further lines half an inch back
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    Drawn d = Lay(doc, {10, 0, 610, 1000}, 0);
    ASSERT_GE(d.texts.size(), 4u);
    EXPECT_EQ(d.texts[0].text, "rechts");
    EXPECT_GT(d.texts[0].at.x, 450);  // flush right in a 600 wide box
    EXPECT_EQ(d.texts[1].text, "mitte");
    EXPECT_GT(d.texts[1].at.x, 200);
    EXPECT_LT(d.texts[1].at.x, 330);
    EXPECT_EQ(d.texts[2].at.x, 10 + dpi);
    EXPECT_EQ(d.texts[3].at.x, 10 + dpi / 2);
    // Lines go down the page.
    EXPECT_LT(d.texts[0].at.y, d.texts[1].at.y);
    EXPECT_LT(d.texts[2].at.y, d.texts[3].at.y);
}

TEST(RtfLayout, EmptyParagraphsTakeALineAndTheEndIsReported) {
    RtfDocument doc = Doc({L"oben", L"", L"", L"unten"});
    Drawn d = Lay(doc, {0, 0, 400, 1000}, 0);
    ASSERT_EQ(d.texts.size(), 2u);
    const int line = d.texts[1].at.y - d.texts[0].at.y;
    EXPECT_GT(line, 0);
    // "unten" sits three lines below "oben".
    Drawn one = Lay(Doc({L"oben", L"unten"}), {0, 0, 400, 1000}, 0);
    EXPECT_EQ(d.texts[1].at.y - d.texts[0].at.y, 3 * (one.texts[1].at.y - one.texts[0].at.y));
    EXPECT_EQ(d.layout.next, doc.Length());
    // Starting at the end sets nothing.
    Drawn after = Lay(doc, {0, 0, 400, 1000}, doc.Length());
    EXPECT_TRUE(after.texts.empty());
    EXPECT_EQ(after.layout.next, doc.Length());
}

}  // namespace
}  // namespace kp
