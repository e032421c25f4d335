// RTF printing: which documents are files, pagination of a letter, the
// preview, and the shared value GEDRUCKT after every way a job can end.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "platform/gui/boxes.h"
#include "platform/report/preview.h"
#include "printing/RpPrinter.h"
#include "tests/printing/printing_test_support.h"
#include "app/funVelto.h"
#include "wordpad/rptRTF.h"

namespace kp {
namespace {

// A letter of numbered lines, one paragraph each.
std::string Letter(int lines, int halfPoints = 24) {
    std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs" + std::to_string(halfPoints) + " ";
    char line[32];
    for (int i = 1; i <= lines; ++i) {
        std::snprintf(line, sizeof line, "Zeile %03d\\par ", i);
        rtf += line;
    }
    return rtf + "}";
}

std::unique_ptr<PrinterLink> A4() {
    return MemoryPrinterLink(8.27, 11.69);
}

// Whether the report layer's RTF layout lays out a line on this system at
// all; the pagination cases need it.
bool RtfLayoutWorks() {
    RTF doc;
    if (!doc.LoadRTFFromDynaString("{\\rtf1\\ansi Hallo\\par}"))
        return false;
    test::BodyReport report;
    RpPrinter device(nullptr, &report, MemoryPrinterLink(8.27, 11.69));
    doc.DrawText(device, 0, 0, device.LogPrintAreaLength(), device.LogPrintAreaWidth(), 1, false);
    return doc.LastPrintedChar() > 1;
}

#define REQUIRE_RTF_LAYOUT()                                                         \
    if (!RtfLayoutWorks())                                                           \
    GTEST_SKIP() << "the report layer's RTF layout lays out nothing on this system " \
                    "(the rich edit's page formatting answers 0)"

class Answering : public Presenter {
  public:
    int ShowMessage(HWND, const std::string& caption, const std::string& text, UINT) override {
        messages.push_back(caption + ": " + text);
        return BOXREPLYOKAY;
    }
    bool ShowFileDialog(FileDialogRequest&) override { return false; }
    std::vector<std::string> messages;
};

TEST(RTFReport, OnlyTextWithTheRtfHeaderIsRtf) {
    EXPECT_TRUE(RTFReport::IsRTFText("{\\rtf1\\ansi Hallo}"));
    EXPECT_TRUE(RTFReport::IsRTFText("{\\rtf"));
    EXPECT_FALSE(RTFReport::IsRTFText("C:\\Briefe\\Brief.rtf"));
    EXPECT_FALSE(RTFReport::IsRTFText("\\\\server\\briefe\\Brief.rtf"));
    EXPECT_FALSE(RTFReport::IsRTFText("Briefe\\Brief.rtf"));
    EXPECT_FALSE(RTFReport::IsRTFText("Brief.rtf"));
    EXPECT_FALSE(RTFReport::IsRTFText(" {\\rtf1}"));
    EXPECT_FALSE(RTFReport::IsRTFText(""));
}

TEST(RTFReport, LoadsRelativeFileNamesAsFiles) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    char old[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, old);
    ASSERT_TRUE(SetCurrentDirectoryA(folder));
    {
        std::ofstream f("kp_brief_test.rtf", std::ios::binary);
        f << Letter(3);
    }
    RTFReport report;
    EXPECT_TRUE(report.Load("kp_brief_test.rtf"));
    ASSERT_TRUE(report.oRTF);
    EXPECT_GT(report.oRTF->TextBufferLength(), 20);
    EXPECT_EQ(report.nStartChar, 1);
    // Plain words are a file name too, of a file that is not there.
    EXPECT_FALSE(report.Load("Zeile 001"));
    EXPECT_FALSE(report.oRTF);
    std::remove("kp_brief_test.rtf");
    SetCurrentDirectoryA(old);
}

// Every "Zeile nnn" of the pages, in the order printed.
std::vector<int> LinesOf(const PageSet& pages, std::vector<int>* perPage = nullptr) {
    std::vector<int> lines;
    for (const auto& page : pages.pages) {
        std::string all;
        for (const auto& t : ReadPageTexts(page.Get()))
            all += t.text + "\n";
        int count = 0;
        for (size_t at = all.find("Zeile "); at != std::string::npos;
             at = all.find("Zeile ", at + 1)) {
            lines.push_back(std::atoi(all.c_str() + at + 6));
            ++count;
        }
        if (perPage)
            perPage->push_back(count);
    }
    return lines;
}

TEST(RTFReport, ALongLetterRunsOverSeveralPagesEveryLineOnce) {
    REQUIRE_RTF_LAYOUT();
    RTFReport report;
    ASSERT_TRUE(report.Load(Letter(150)));
    RpPrinter device(nullptr, &report, A4());
    device.UnitOfMeasure(UOM_CM);
    const PageSet pages = device.RenderPages();
    std::vector<int> perPage;
    const std::vector<int> lines = LinesOf(pages, &perPage);
    ASSERT_GE(pages.Count(), 2);
    ASSERT_EQ(lines.size(), 150u);
    for (int i = 0; i < 150; ++i)
        ASSERT_EQ(lines[i], i + 1);
    // Full pages but the last.
    const int full = perPage[0];
    EXPECT_EQ(pages.Count(), (150 + full - 1) / full);
    EXPECT_FALSE(report.oRTF) << "PrintEnd lets the document go";
}

TEST(RTFReport, PositioningOnAPageStartsWhereThePrintedPageStarts) {
    REQUIRE_RTF_LAYOUT();
    RTFReport report;
    ASSERT_TRUE(report.Load(Letter(150)));
    RpPrinter device(nullptr, &report, A4());
    const PageSet pages = device.RenderPages();
    std::vector<int> perPage;
    LinesOf(pages, &perPage);
    ASSERT_GE(pages.Count(), 3);

    // Devices that have not printed a page yet, as a preview jumping ahead.
    ASSERT_TRUE(report.Load(Letter(150)));
    RpPrinter fresh(nullptr, &report, A4());
    EXPECT_EQ(report.PrintSetPage(fresh, 3), 3);
    char expected[16];
    std::snprintf(expected, sizeof expected, "Zeile %03d", perPage[0] + perPage[1] + 1);
    EXPECT_EQ(report.oRTF->PlainText().substr(report.nStartChar - 1, 9), expected);

    RpPrinter again(nullptr, &report, A4());
    EXPECT_EQ(report.PrintSetPage(again, 1), 1);
    EXPECT_EQ(report.nStartChar, 1);
    // Beyond the last page: the last page.
    RpPrinter beyond(nullptr, &report, A4());
    EXPECT_EQ(report.PrintSetPage(beyond, 50), pages.Count());
    EXPECT_EQ(report.PrintPageBody(beyond), kLastPage);
}

TEST(RTFReport, APageThatFitsNothingEndsTheJob) {
    Answering answers;
    ScopedPresenter scoped(answers);
    RTFReport report;
    // Letters a thousand points high on a sheet of one inch.
    ASSERT_TRUE(report.Load(Letter(5, 2000)));
    RpPrinter device(nullptr, &report, MemoryPrinterLink(1.0, 1.0));
    const PageSet pages = device.RenderPages();
    EXPECT_LE(pages.Count(), 5);
    EXPECT_EQ(device.Status(), PrintStatus::NoProgress);
    // Printed, the job stops the same way, is told, and is no print.
    GetSetGlobal(Symbol("GEDRUCKT"), Usual(true));
    RTFReport printed(nullptr, Letter(5, 2000), false, MemoryPrinterLink(1.0, 1.0));
    EXPECT_EQ(printed.Status(), PrintStatus::NoProgress);
    EXPECT_FALSE(Gedruckt());
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_NE(answers.messages[0].find("passt nicht"), std::string::npos) << answers.messages[0];
    // Positioning does not spin either.
    ASSERT_TRUE(report.Load(Letter(5, 2000)));
    EXPECT_LE(report.PrintSetPage(device, 1000), 5);
}

// Closes the preview when it shows, after paging to its end.
struct PreviewVisit {
    std::wstring caption;
    int pagesShown = 0;
    std::vector<std::string> seen;
};
thread_local PreviewVisit* gVisit = nullptr;

void CALLBACK VisitPreview(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!gVisit)
        return;
    HWND preview = FindWindowW(nullptr, gVisit->caption.c_str());
    if (!preview)
        return;
    KillTimer(nullptr, timer);
    wchar_t text[64];
    for (int i = 0; i < 20; ++i) {
        GetDlgItemTextW(preview, kPreviewPageTextId, text, 64);
        char narrow[64];
        WideCharToMultiByte(CP_UTF8, 0, text, -1, narrow, 64, nullptr, nullptr);
        gVisit->seen.push_back(narrow);
        HWND next = GetDlgItem(preview, kPreviewNextId);
        if (!next || !IsWindowEnabled(next))
            break;
        SendMessageW(next, BM_CLICK, 0, 0);
    }
    gVisit->pagesShown = static_cast<int>(gVisit->seen.size());
    PostMessageW(preview, WM_CLOSE, 0, 0);
}

TEST(RTFReport, APreviewPagesThroughTheLetterAndPrintsNothing) {
    REQUIRE_RTF_LAYOUT();
    Answering answers;
    ScopedPresenter scoped(answers);
    GetSetGlobal(Symbol("GEDRUCKT"), Usual(true));
    PreviewVisit visit;
    visit.caption = L"Druckvorschau - RTF Printing";
    gVisit = &visit;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, &VisitPreview);
    RTFReport report(nullptr, Letter(150), true, A4());
    KillTimer(nullptr, timer);
    gVisit = nullptr;
    EXPECT_FALSE(Gedruckt());
    EXPECT_EQ(report.Status(), PrintStatus::Previewed);
    ASSERT_GE(visit.pagesShown, 2);
    EXPECT_EQ(visit.seen.front(), "Seite 1 von " + std::to_string(visit.pagesShown));
    EXPECT_EQ(visit.seen.back(), "Seite " + std::to_string(visit.pagesShown) + " von " +
                                     std::to_string(visit.pagesShown));
    EXPECT_TRUE(answers.messages.empty());
}

TEST(RTFReport, WithoutAPrinterTheUserIsToldAndNothingCountsAsPrinted) {
    Answering answers;
    ScopedPresenter scoped(answers);
    GetSetGlobal(Symbol("GEDRUCKT"), Usual(true));
    RTFReport report(nullptr, Letter(3), false, nullptr);
    EXPECT_FALSE(Gedruckt());
    EXPECT_EQ(report.Status(), PrintStatus::NoPrinter);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_NE(answers.messages[0].find("kein Drucker"), std::string::npos) << answers.messages[0];
}

// A printer the spooler will not take a job from.
class RefusingPrinter : public PrinterLink {
  public:
    std::string Name() const override { return "Verweigert"; }
    HDC NewDC() const override { return CreateCompatibleDC(nullptr); }
    bool Spools() const override { return true; }
};

TEST(RTFReport, AFailedJobIsToldAndNotPrinted) {
    Answering answers;
    ScopedPresenter scoped(answers);
    GetSetGlobal(Symbol("GEDRUCKT"), Usual(true));
    RTFReport report(nullptr, Letter(3), false, std::make_unique<RefusingPrinter>());
    EXPECT_FALSE(Gedruckt());
    EXPECT_EQ(report.Status(), PrintStatus::Failed);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_NE(answers.messages[0].find("Verweigert"), std::string::npos) << answers.messages[0];
}

TEST(RTFReport, ASpooledJobCountsAsPrinted) {
    if (!test::HavePrinter())
        GTEST_SKIP() << "no printer set up (tools/print/kpcups start) - spooling case skipped";
    REQUIRE_RTF_LAYOUT();
    Answering answers;
    ScopedPresenter scoped(answers);
    GetSetGlobal(Symbol("GEDRUCKT"), Usual(false));
    RTFReport report(nullptr, Letter(150), false);
    EXPECT_EQ(report.Status(), PrintStatus::Done);
    EXPECT_TRUE(Gedruckt());
    EXPECT_TRUE(answers.messages.empty());
}

// Cancels the job from its progress window once the first page is drawn.
class CancellingReport : public RTFReport {
  public:
    int PrintPageBody(PtrDevice& device) override {
        const int answer = RTFReport::PrintPageBody(device);
        ++pages;
        HWND progress = FindWindowW(L"KpPrintProgress", nullptr);
        if (progress)
            SendMessageW(progress, WM_COMMAND, IDCANCEL, 0);
        return answer;
    }
    int pages = 0;
};

TEST(RTFReport, ACancelledJobDoesNotCountAsPrinted) {
    if (!test::HavePrinter())
        GTEST_SKIP() << "no printer set up (tools/print/kpcups start) - cancel case skipped";
    REQUIRE_RTF_LAYOUT();
    Answering answers;
    ScopedPresenter scoped(answers);
    CancellingReport report;
    ASSERT_TRUE(report.Load(Letter(150)));
    RpPrinter device(nullptr, &report);
    report.Run(device, false);
    EXPECT_EQ(report.pages, 1) << "pages were drawn for the printer before the cancel";
    EXPECT_EQ(report.Status(), PrintStatus::Cancelled);
    EXPECT_FALSE(Gedruckt());
    EXPECT_TRUE(answers.messages.empty());
}

}  // namespace
}  // namespace kp
