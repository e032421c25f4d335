// Real printing through the Windows spooler. Needs a printer (the test
// command sets up a PDF queue); without one these tests skip.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/report/ptrdevice.h"
#include "platform/report/rtf.h"
#include "tests/report/report_fixture.h"

namespace kp {
namespace {

bool ExpectNoPrinter() {
    return GetEnvironmentVariableW(L"KP_EXPECT_NO_PRINTER", nullptr, 0) > 0;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int Count(const std::string& s, const std::string& what) {
    int n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

// The letter the spool tests print: three pages, numbered lines.
std::string Letter() {
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 ";
    for (int i = 1; i <= 130; ++i)
        rtf += "Briefzeile " + std::to_string(i) + "\\par ";
    return rtf + "}";
}

class RtfPages : public PrintReport {
  public:
    explicit RtfPages(RTF& rtf) : rtf_(rtf) {}
    int PrintPageBody(PtrDevice& d) override {
        rtf_.DrawText(d, 0, 0, d.LogPrintAreaLength(), d.LogPrintAreaWidth(), next_, true);
        next_ = rtf_.LastPrintedChar();
        return next_ > rtf_.TextBufferLength() ? kLastPage : kMorePages;
    }

  private:
    RTF& rtf_;
    long next_ = 1;
};

class Spool : public ::testing::Test {
  protected:
    // A letter left from an earlier run must not pass the check after this one.
    static void SetUpTestSuite() { DeleteFileA("report_letter.ps"); }
    void SetUp() override {
        if (ExpectNoPrinter())
            GTEST_SKIP() << "this run hides the printers";
        printer_ = DefaultPrinterLink();
        if (!printer_)
            GTEST_SKIP() << "no printer set up (start one with tools/print/kpcups start)";
    }
    std::unique_ptr<PrinterLink> printer_;
};

TEST_F(Spool, PrintsIntoTheFileAskedFor) {
    test::CountingReport report(2);
    PtrDevice device(nullptr, &report, std::move(printer_));
    ASSERT_GT(device.LogPixelsX(), 0);
    ASSERT_GT(device.LogPrintAreaWidth(), 0);
    DeleteFileA("report_pages.ps");
    ASSERT_TRUE(device.Print("Seitentest", "report_pages.ps", "RTF", "Drucken...", true, false));
    EXPECT_TRUE(device.EndDocSucceeded());
    EXPECT_EQ(device.Status(), PrintStatus::Done);
    const std::string ps = ReadFile("report_pages.ps");
    ASSERT_EQ(ps.substr(0, 4), "%!PS");
    EXPECT_EQ(Count(ps, "%%Page: "), 2);
}

TEST_F(Spool, PrintsALetterOfThreePages) {
    // The file is read back as text by the check that runs after this test.
    RTF rtf;
    ASSERT_TRUE(rtf.LoadRTFFromDynaString(Letter()));
    RtfPages report(rtf);
    PtrDevice device(nullptr, &report, std::move(printer_));
    device.PaperSize(DMPAPER_A4SMALL);
    DeleteFileA("report_letter.ps");
    ASSERT_TRUE(device.Print("Brief", "report_letter.ps", "RTF", "Drucken...", true, false));
    EXPECT_EQ(device.PagesDone(), 3);
    const std::string ps = ReadFile("report_letter.ps");
    EXPECT_EQ(Count(ps, "%%Page: "), 3);
}

TEST_F(Spool, PrintsThroughThePrinterQueueWithoutAFile) {
    // The print file is only used when printing into a file.
    test::CountingReport report(1);
    PtrDevice device(nullptr, &report, std::move(printer_));
    DeleteFileA("PRINT.PRN");
    ASSERT_TRUE(device.Print("Warteschlange", "PRINT.PRN", "RTF", "Drucken...", false, false));
    EXPECT_TRUE(device.EndDocSucceeded());
    EXPECT_EQ(GetFileAttributesA("PRINT.PRN"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Spool, PreviewRendersAtThePrintersResolution) {
    test::CountingReport report(2);
    PtrDevice device(nullptr, &report, std::move(printer_));
    PageSet pages = device.RenderPages();
    ASSERT_EQ(pages.Count(), 2);
    EXPECT_EQ(pages.dpiX, device.LogPixelsX());
    ENHMETAHEADER h{};
    GetEnhMetaFileHeader(pages.pages[0].Get(), sizeof h, &h);
    // The reference device of the page is the printer.
    EXPECT_NEAR(static_cast<double>(h.szlDevice.cx) / h.szlMillimeters.cx * 25.4,
                device.LogPixelsX(), device.LogPixelsX() * 0.02);
}

TEST_F(Spool, APageThatFitsNothingEndsTheJobWithoutHandingItOver) {
    RTF rtf;
    ASSERT_TRUE(rtf.LoadRTFFromDynaString(Letter()));
    RtfPages report(rtf);
    PtrDevice device(nullptr, &report, std::move(printer_));
    device.TopMargin(30);  // beyond any paper
    EXPECT_EQ(device.LogPrintAreaLength(), 0);
    DeleteFileA("report_nothing.ps");
    EXPECT_FALSE(device.Print("Leer", "report_nothing.ps", "RTF", "Drucken...", true, false));
    EXPECT_FALSE(device.EndDocSucceeded());
    EXPECT_EQ(device.Status(), PrintStatus::NoProgress);
}

// Presses "Abbrechen" in the progress window while the first page is drawn.
class CancellingReport : public PrintReport {
  public:
    int PrintPageBody(PtrDevice& d) override {
        ++bodies;
        if (d.CurrentPageNumber() == 1) {
            HWND progress = FindWindowW(L"KpPrintProgress", nullptr);
            found = progress != nullptr;
            if (progress)
                SendMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        return d.CurrentPageNumber() >= 3 ? kLastPage : kMorePages;
    }
    int bodies = 0;
    bool found = false;
};

TEST_F(Spool, ACancelledJobIsAbortedAndNotCountedAsPrinted) {
    CancellingReport report;
    PtrDevice device(nullptr, &report, std::move(printer_));
    EXPECT_FALSE(device.Print("Abbruch", "report_cancel.ps", "RTF", "Drucken...", true, false));
    EXPECT_TRUE(report.found) << "no progress window while printing";
    EXPECT_EQ(report.bodies, 1);
    EXPECT_FALSE(device.EndDocSucceeded());
    EXPECT_EQ(device.Status(), PrintStatus::Cancelled);
    EXPECT_EQ(device.StatusText(), "Der Druck wurde abgebrochen.");
}

TEST_F(Spool, PaperSizesChangeThePrintArea) {
    test::CountingReport report(1);
    PtrDevice device(nullptr, &report, std::move(printer_));
    device.PaperSize(DMPAPER_A4SMALL);
    // A4 small is the A4 sheet: where the printer does not list it, A4 it is.
    EXPECT_TRUE(device.PaperSize() == DMPAPER_A4SMALL || device.PaperSize() == DMPAPER_A4);
    const int a4 = device.LogPrintAreaLength();
    device.PaperSize(DMPAPER_LETTER);
    EXPECT_EQ(device.PaperSize(), DMPAPER_LETTER);
    EXPECT_LT(device.LogPrintAreaLength(), a4);
    EXPECT_GT(device.LogPrintAreaWidth(), 0);
}

// Run with the printers hidden (KP_EXPECT_NO_PRINTER): the device over the
// default printer is not valid and says so.
TEST(NoQueue, TheDefaultDeviceIsInvalidAndTellsTheUser) {
    if (!ExpectNoPrinter())
        GTEST_SKIP() << "runs only with the printers hidden";
    test::CountingReport report(1);
    PtrDevice device(nullptr, &report);
    EXPECT_FALSE(device.IsValid());
    EXPECT_FALSE(device.Print("Brief", "PRINT.PRN", "RTF", "Drucken..."));
    EXPECT_FALSE(device.EndDocSucceeded());
    EXPECT_EQ(device.Status(), PrintStatus::NoPrinter);
    EXPECT_FALSE(device.StatusText().empty());
    EXPECT_TRUE(report.calls.empty());
}

}  // namespace
}  // namespace kp
