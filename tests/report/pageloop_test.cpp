// The page loop of the printer device, run into rendered pages.
#include <gtest/gtest.h>

#include "platform/report/ptrdevice.h"
#include "tests/report/report_fixture.h"

namespace kp {
namespace {

using test::CountingReport;

std::unique_ptr<PrinterLink> A4() {
    return MemoryPrinterLink(8.27, 11.69);
}

TEST(PageLoop, CallsSetPageHeaderBodyPerPageThenEnd) {
    CountingReport report(3);
    PtrDevice device(nullptr, &report, A4());
    ASSERT_TRUE(device.IsValid());
    PageSet pages = device.RenderPages();
    EXPECT_EQ(pages.Count(), 3);
    EXPECT_EQ(device.PagesDone(), 3);
    EXPECT_EQ(device.Status(), PrintStatus::Previewed);
    // The report is asked for a page while the device still shows the one before.
    const std::vector<std::string> expected{"set1@0", "header", "body1",  "set2@1", "header",
                                            "body2",  "set3@2", "header", "body3",  "end"};
    EXPECT_EQ(report.calls, expected);
    EXPECT_TRUE(report.sawExport);
    EXPECT_FALSE(report.sawPrint);
    EXPECT_TRUE(report.sawDC);
    // Nothing stays active after the job.
    EXPECT_FALSE(device.IsActive());
    EXPECT_EQ(device.CurrentDC(), nullptr);
    // Each page holds its own text.
    for (int i = 0; i < 3; ++i) {
        auto texts = ReadPageTexts(pages.pages[static_cast<size_t>(i)].Get());
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].text, "Seite " + std::to_string(i + 1));
    }
}

TEST(PageLoop, PrintOnAStandInKeepsThePagesAndCountsAsHandedOver) {
    CountingReport report(2);
    PtrDevice device(nullptr, &report, A4());
    EXPECT_TRUE(device.Print("Test", "PRINT.PRN", "RTF", "Drucken..."));
    EXPECT_TRUE(report.sawPrint);
    EXPECT_FALSE(report.sawExport);
    EXPECT_FALSE(device.InPrint());
    EXPECT_TRUE(device.EndDocSucceeded());
    EXPECT_EQ(device.KeptPages().Count(), 2);
    EXPECT_EQ(device.Status(), PrintStatus::Done);
}

// A report whose body never gets further: the same layout position on
// every page, as a text that does not fit the page.
class StuckReport : public PrintReport {
  public:
    int PrintPageBody(PtrDevice& d) override {
        ++bodies;
        d.NoteLayoutPosition(1);
        return kMorePages;
    }
    int bodies = 0;
};

TEST(PageLoop, EndsWhenThePageMakesNoProgress) {
    StuckReport report;
    PtrDevice device(nullptr, &report, A4());
    PageSet pages = device.RenderPages();
    // The first page came out; the second ended where the first did and stopped the loop.
    EXPECT_EQ(report.bodies, 2);
    EXPECT_EQ(pages.Count(), 1);
    EXPECT_EQ(device.Status(), PrintStatus::NoProgress);
    EXPECT_NE(device.StatusText().find("passt nicht"), std::string::npos);
}

class NothingFitsReport : public PrintReport {
  public:
    int PrintPageBody(PtrDevice& d) override {
        ++bodies;
        d.NoteNothingFits();
        return kMorePages;
    }
    int bodies = 0;
};

TEST(PageLoop, APageThatFitsNothingIsDroppedAndEndsTheJob) {
    NothingFitsReport report;
    PtrDevice device(nullptr, &report, A4());
    EXPECT_FALSE(device.Print("Test"));
    EXPECT_EQ(report.bodies, 1);
    EXPECT_EQ(device.KeptPages().Count(), 0);
    EXPECT_FALSE(device.EndDocSucceeded());
    EXPECT_EQ(device.Status(), PrintStatus::NoProgress);
}

class EndlessReport : public PrintReport {
  public:
    int PrintPageBody(PtrDevice&) override { return kMorePages; }
};

TEST(PageLoop, AReportThatNeverEndsStopsAtThePageLimit) {
    EndlessReport report;
    PtrDevice device(nullptr, &report, MemoryPrinterLink(1, 1));
    PageSet pages = device.RenderPages();
    EXPECT_EQ(pages.Count(), PtrDevice::kMaxPages);
    EXPECT_EQ(device.Status(), PrintStatus::NoProgress);
}

// A report that answers another page than asked: there is no such page.
class ShortReport : public PrintReport {
  public:
    int PrintSetPage(PtrDevice&, int page) override { return page > 2 ? 2 : page; }
    int PrintPageBody(PtrDevice&) override { return kMorePages; }
};

TEST(PageLoop, ASetPageAnswerBelowThePageEndsTheLoop) {
    ShortReport report;
    PtrDevice device(nullptr, &report, A4());
    EXPECT_EQ(device.RenderPages().Count(), 2);
}

TEST(PageLoop, WithoutAPrinterNothingRunsAndTheUserIsTold) {
    CountingReport report(1);
    PtrDevice device(nullptr, &report, nullptr);
    EXPECT_FALSE(device.IsValid());
    EXPECT_EQ(device.Status(), PrintStatus::NoPrinter);
    EXPECT_FALSE(device.Print("Test", "PRINT.PRN", "RTF", "Drucken..."));
    EXPECT_FALSE(device.PrintPreview("Test", "PRINT.PRN", "RTF", "Drucken...", true, false, false));
    EXPECT_EQ(device.RenderPages().Count(), 0);
    EXPECT_FALSE(device.EndDocSucceeded());
    EXPECT_FALSE(device.PrinterSetup(nullptr));
    EXPECT_TRUE(report.calls.empty());
    EXPECT_NE(device.StatusText().find("kein Drucker"), std::string::npos);
    EXPECT_EQ(device.CreatePrinterDC(), nullptr);
    // Measures are 0 and conversions do not divide by it.
    EXPECT_EQ(device.LogPixelsX(), 0);
    EXPECT_EQ(device.LogPixelsY(), 0);
    EXPECT_EQ(device.LogPrintAreaWidth(), 0);
    EXPECT_EQ(device.LogPrintAreaLength(), 0);
    EXPECT_EQ(device.LogXToInches(600), 0.0);
    EXPECT_EQ(device.LogYToInches(600), 0.0);
    EXPECT_EQ(device.InchesToLogX(2.0), 0);
    device.PaperSize(9);
    EXPECT_EQ(device.PaperSize(), 0);
}

TEST(PageLoop, MarginsNarrowThePrintAreaAndMoveItsOrigin) {
    CountingReport report(1);
    PtrDevice device(nullptr, &report, MemoryPrinterLink(8, 10));
    const int dpi = device.LogPixelsX();
    ASSERT_GT(dpi, 0);
    EXPECT_EQ(device.LogPrintAreaWidth(), 8 * dpi);
    EXPECT_EQ(device.LogPrintAreaLength(), 10 * device.LogPixelsY());
    device.LeftMargin(1.0);
    device.RightMargin(0.5);
    device.TopMargin(2.0);
    device.BottomMargin(-3);  // counts as none
    EXPECT_EQ(device.BottomMargin(), 0.0);
    EXPECT_EQ(device.LogPrintAreaWidth(), 8 * dpi - dpi - dpi / 2);
    EXPECT_EQ(device.LogPrintAreaLength(), 8 * device.LogPixelsY());
    EXPECT_DOUBLE_EQ(device.LogXToInches(dpi * 3), 3.0);
    EXPECT_EQ(device.InchesToLogX(0.5), (dpi + 1) / 2);
    PageSet pages = device.RenderPages();
    ASSERT_EQ(pages.Count(), 1);
    // The page moves its origin to the margins' corner before the report draws.
    bool origin = false;
    for (const PageRecord& r : ReadPageRecords(pages.pages[0].Get())) {
        if (r.type == EMR_SETVIEWPORTORGEX) {
            const auto* v = reinterpret_cast<const EMRSETVIEWPORTORGEX*>(r.bytes.data());
            origin = v->ptlOrigin.x == dpi && v->ptlOrigin.y == 2 * device.LogPixelsY();
        }
    }
    EXPECT_TRUE(origin);
}

}  // namespace
}  // namespace kp
