// RTF layout page by page onto the printer device.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/report/ptrdevice.h"
#include "platform/report/rtf.h"

namespace kp {
namespace {

// A letter of n numbered lines, each its own paragraph.
std::string Letter(int n) {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
    for (int i = 1; i <= n; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "Zeile %03d mit Text\\par ", i);
        rtf += line;
    }
    return rtf + "}";
}

// Prints the document page by page as the word pad's printing does.
class RtfPages : public PrintReport {
  public:
    explicit RtfPages(RTF& rtf) : rtf_(rtf) {}
    int PrintSetPage(PtrDevice&, int page) override {
        if (page == 1)
            next_ = 1;
        return page;
    }
    int PrintPageBody(PtrDevice& d) override {
        rtf_.DrawText(d, 0, 0, d.LogPrintAreaLength(), d.LogPrintAreaWidth(), next_, true);
        starts.push_back(next_);
        next_ = rtf_.LastPrintedChar();
        return next_ > rtf_.TextBufferLength() ? kLastPage : kMorePages;
    }
    std::vector<long> starts;

  private:
    RTF& rtf_;
    long next_ = 1;
};

std::string TextOfPage(const EnhMetafile& page) {
    std::string all;
    for (const PageText& t : ReadPageTexts(page.Get()))
        all += t.text;
    return all;
}

// The fonts a page creates, as the printer gets them.
std::vector<LOGFONTW> FontsOfPage(const EnhMetafile& page) {
    std::vector<LOGFONTW> fonts;
    for (const PageRecord& r : ReadPageRecords(page.Get())) {
        if (r.type != EMR_EXTCREATEFONTINDIRECTW || r.bytes.size() < 12 + sizeof(LOGFONTW))
            continue;
        LOGFONTW lf{};
        std::memcpy(&lf, r.bytes.data() + 12, sizeof lf);
        fonts.push_back(lf);
    }
    return fonts;
}

// A letter prints in the face, family and weight it shows on screen: plain
// text is not bold (whatever the hidden control's own font is), and a fixed
// pitch face keeps its family where the printer lacks the face itself.
TEST(Rtf, PlainTextPrintsPlainAndFacesKeepTheirFamily) {
    RTF rtf;
    ASSERT_TRUE(rtf.LoadRTFFromDynaString(
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fmodern\\fprq1 Courier New;}}\\f0\\fs24 "
        "Sehr geehrte Damen und Herren,\\par \\b Betreff\\par}"));
    RtfPages report(rtf);
    PtrDevice device(nullptr, &report, MemoryPrinterLink(8.27, 11.69));
    PageSet pages = device.RenderPages();
    ASSERT_EQ(pages.Count(), 1);
    int plain = 0, bold = 0;
    for (const LOGFONTW& lf : FontsOfPage(pages.pages[0])) {
        if (std::wstring(lf.lfFaceName) != L"Courier New")
            continue;
        (lf.lfWeight >= FW_BOLD ? bold : plain)++;
        EXPECT_EQ(lf.lfPitchAndFamily & 0xF0, FF_MODERN) << "the fixed-pitch family was lost";
    }
    EXPECT_GE(plain, 1) << "plain text printed bold";
    EXPECT_GE(bold, 1) << "the bold word printed plain";
}

TEST(Rtf, TakesRtfTextOnly) {
    RTF rtf;
    EXPECT_FALSE(rtf.LoadRTFFromDynaString("Nur Text"));
    EXPECT_FALSE(rtf.LoadRTFFromDynaString("C:\\Briefe\\brief.rtf"));
    EXPECT_FALSE(rtf.IsLoaded());
    EXPECT_EQ(rtf.TextBufferLength(), 0);
    ASSERT_TRUE(rtf.LoadRTFFromDynaString("{\\rtf1\\ansi Gr\\'fc\\'dfe\\par}"));
    EXPECT_EQ(rtf.PlainText().substr(0, 7), "Grüße");
    EXPECT_GE(rtf.TextBufferLength(), 5);
}

TEST(Rtf, LoadsFromAFileAndRefusesMissingOrForeignFiles) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string path = std::string(dir) + "kp_rtf_test.rtf";
    const std::string other = std::string(dir) + "kp_rtf_test.txt";
    std::ofstream(path, std::ios::binary) << Letter(3);
    std::ofstream(other, std::ios::binary) << "kein RTF";
    RTF rtf;
    EXPECT_TRUE(rtf.LoadRTFFromFile(path));
    EXPECT_NE(rtf.PlainText().find("Zeile 003"), std::string::npos);
    EXPECT_FALSE(rtf.LoadRTFFromFile(other));
    EXPECT_FALSE(rtf.IsLoaded());
    EXPECT_FALSE(rtf.LoadRTFFromFile(std::string(dir) + "fehlt\\nicht_da.rtf"));
    DeleteFileA(path.c_str());
    DeleteFileA(other.c_str());
}

TEST(Rtf, ALongLetterRunsOverPagesWithEveryLineOnceInOrder) {
    RTF rtf;
    ASSERT_TRUE(rtf.LoadRTFFromDynaString(Letter(150)));
    RtfPages report(rtf);
    PtrDevice device(nullptr, &report, MemoryPrinterLink(8.27, 11.69));
    PageSet pages = device.RenderPages();
    ASSERT_GE(pages.Count(), 3);
    EXPECT_EQ(device.Status(), PrintStatus::Previewed);
    // Pages start where the page before stopped, always further on.
    for (size_t i = 1; i < report.starts.size(); ++i)
        EXPECT_GT(report.starts[i], report.starts[i - 1]);
    std::string all;
    for (const EnhMetafile& page : pages.pages)
        all += TextOfPage(page);
    size_t at = 0;
    for (int i = 1; i <= 150; ++i) {
        char line[32];
        std::snprintf(line, sizeof line, "Zeile %03d", i);
        const size_t found = all.find(line, at);
        ASSERT_NE(found, std::string::npos) << line;
        EXPECT_EQ(all.find(line, found + 1), std::string::npos) << line << " twice";
        at = found;
    }
}

TEST(Rtf, MeasuringOutsideAJobBreaksWhereDrawingDoes) {
    RTF rtf;
    ASSERT_TRUE(rtf.LoadRTFFromDynaString(Letter(150)));
    RtfPages report(rtf);
    PtrDevice device(nullptr, &report, MemoryPrinterLink(8.27, 11.69));
    const long measured = rtf.DrawText(device, 0, 0, device.LogPrintAreaLength(),
                                       device.LogPrintAreaWidth(), 1, false);
    ASSERT_GT(measured, 1);
    device.RenderPages();
    ASSERT_GE(report.starts.size(), 2u);
    EXPECT_EQ(report.starts[1], measured);
}

TEST(Rtf, APageTooSmallForALineEndsTheJobInsteadOfLoopingForEver) {
    RTF rtf;
    ASSERT_TRUE(rtf.LoadRTFFromDynaString(Letter(5)));
    RtfPages report(rtf);
    PtrDevice device(nullptr, &report, MemoryPrinterLink(8, 0.05));
    PageSet pages = device.RenderPages();
    EXPECT_EQ(pages.Count(), 0);
    EXPECT_EQ(device.Status(), PrintStatus::NoProgress);
    EXPECT_TRUE(rtf.FittedNothing());
    EXPECT_EQ(rtf.LastPrintedChar(), 1);
}

TEST(Rtf, ContinuingPastTheEndReportsTheEnd) {
    RTF rtf;
    ASSERT_TRUE(rtf.LoadRTFFromDynaString(Letter(2)));
    PtrDevice device(nullptr, nullptr, MemoryPrinterLink(8, 10));
    const long len = rtf.TextBufferLength();
    EXPECT_EQ(rtf.DrawText(device, 0, 0, 500, 500, len + 10, false), len + 1);
    EXPECT_FALSE(rtf.FittedNothing());
    // The whole short letter fits one page.
    EXPECT_EQ(rtf.DrawText(device, 0, 0, device.LogPrintAreaLength(), device.LogPrintAreaWidth(), 1,
                           false),
              len + 1);
}

}  // namespace
}  // namespace kp
