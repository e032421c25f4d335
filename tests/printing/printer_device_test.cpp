// The printer device drawing into rendered pages (enhanced metafiles at the
// printer's resolution): what arrives, where, and the device comments.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "platform/report/dibmp.h"
#include "platform/report/pages.h"
#include "platform/runtime/utf8.h"
#include "printing/RpPrinter.h"
#include "tests/printing/printing_test_support.h"

namespace kp {
namespace {

using test::BodyReport;
using test::CommentsOf;
using test::RecordsOf;

// An A4 sheet on the memory printer (the screen's resolution).
std::unique_ptr<PrinterLink> A4() {
    return MemoryPrinterLink(8.27, 11.69);
}

// Draws one page through the device and hands back the page.
struct OnePage {
    BodyReport report;
    RpPrinter device{nullptr, &report, A4()};
    PageSet pages;
    void Draw(std::function<void(RpPrinter&)> body) {
        report.body = [&, body](PtrDevice&) {
            body(device);
            return kLastPage;
        };
        pages = device.RenderPages();
        ASSERT_EQ(pages.Count(), 1);
    }
    HENHMETAFILE Page() const { return pages.pages[0].Get(); }
};

TEST(RpPrinter, FontAndCharacterCellFollowTheDeviceResolution) {
    BodyReport report;
    RpPrinter device(nullptr, &report, A4());
    const int ppi = device.LogPixelsY();
    ASSERT_GT(ppi, 0);
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(device.Font(), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, FontHeightFor(12, ppi));
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_STREQ(lf.lfFaceName, L"Arial");
    EXPECT_GT(device.LogCharWidth(), 0);
    EXPECT_GT(device.LogCharHeight(), 0);
    // Jobs of this device never ask for a printer.
    EXPECT_TRUE(device.NoSelection());

    const int smallHeight = device.LogCharHeight();
    device.SetFont("Arial", 24, true, true, true);
    ASSERT_TRUE(GetObjectW(device.Font(), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, FontHeightFor(24, ppi));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfItalic, 255);
    EXPECT_EQ(lf.lfUnderline, 255);
    EXPECT_GT(device.LogCharHeight(), smallHeight);
    // Character cells are the font's cells.
    device.UnitOfMeasure(UOM_CHAR);
    EXPECT_DOUBLE_EQ(device.AvgCharWidth(), 1.0);
    EXPECT_DOUBLE_EQ(device.AvgCharHeight(), 1.0);
}

TEST(RpPrinter, SettingAndReadingFontsGivesBackEveryHandle) {
    const long before = LiveHandles().gdi;
    {
        BodyReport report;
        RpPrinter device(nullptr, &report, A4());
        for (int i = 0; i < 20; ++i)
            device.SetFont(i % 2 ? "Courier New" : "Arial", 8 + i);
        OnePage page;
        page.Draw([](RpPrinter& d) {
            d.DrawRectangle(0.1, 0.1, 0.5, 0.5, 2, PS_DASH, Color(), 3, Color(255, 0, 0));
            d.DrawEllipse(0.1, 0.1, 0.5, 0.5, 1, PS_DOT, Color(), -1);
            d.DrawLine(0, 0, 1, 1, 1, PS_DASH);
        });
    }
    EXPECT_EQ(LiveHandles().gdi, before);
}

TEST(RpPrinter, TextOutPlacesTextInTheUnitOfMeasure) {
    OnePage p;
    double rowAfter = 0, colAfter = 0, textLength = 0;
    long logCol = 0;
    p.Draw([&](RpPrinter& d) {
        d.UnitOfMeasure(UOM_CM);
        d.TextOut(2.54, 2.54, "Hallo");
        rowAfter = d.PRow();
        colAfter = d.PCol();
        logCol = d.LogPCol();
        textLength = d.GetTextLength("Hallo");
        // A missing row and column continue at the print position.
        d.TextOut(std::nullopt, std::nullopt, "!");
    });
    const int ppi = p.pages.dpiX;
    const auto texts = ReadPageTexts(p.Page());
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "Hallo");
    EXPECT_EQ(texts[1].at.x, logCol);
    EXPECT_EQ(texts[1].at.y, p.pages.dpiY);
    EXPECT_EQ(texts[0].at.x, ppi);
    EXPECT_EQ(texts[0].at.y, p.pages.dpiY);
    EXPECT_GT(textLength, 0.0);
    EXPECT_NEAR(rowAfter, 2.54, 1e-9);
    // The column advances by the text's width, kept in whole logical units.
    EXPECT_EQ(logCol, std::lround((2.54 + textLength) * ppi / 2.54));
    EXPECT_NEAR(colAfter, 2.54 + textLength, 2.54 / ppi);
}

TEST(RpPrinter, TextOutWritesItsBoxBeforeAndAfterTheText) {
    OnePage p;
    int charHeight = 0;
    double avgWidth = 0;
    p.Draw([&](RpPrinter& d) {
        d.UnitOfMeasure(UOM_LOGICAL);
        charHeight = d.LogCharHeight();
        avgWidth = d.AvgCharWidth();
        d.TextOut(200, 300, "Mitte", 1);
    });
    const auto comments = CommentsOf(p.Page());
    ASSERT_EQ(comments.size(), 2u);
    EXPECT_EQ(comments[0].marker, COMMENT_TEXT_START);
    EXPECT_EQ(comments[1].marker, COMMENT_TEXT_END);
    for (const auto& c : comments) {
        EXPECT_EQ(c.alignment, TA_CENTER | TA_TOP);
        EXPECT_EQ(c.row, 200);
        EXPECT_EQ(c.column, 300);
        EXPECT_EQ(c.width, std::lround(avgWidth * 5) + 1);
        EXPECT_EQ(c.height, 2 * charHeight + 1);
    }
    // The comments enclose the text; centred, transparent background.
    const auto records = RecordsOf(p.Page());
    size_t start = 0, text = 0, end = 0, lastBkMode = 0;
    DWORD bkMode = 0, align = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const auto& r = records[i];
        if (r.type == EMR_GDICOMMENT && !start)
            start = i;
        else if (r.type == EMR_GDICOMMENT)
            end = i;
        else if (r.type == EMR_EXTTEXTOUTW)
            text = i;
        else if (r.type == EMR_SETBKMODE && !text) {
            bkMode = reinterpret_cast<const EMRSETBKMODE*>(r.bytes.data())->iMode;
            lastBkMode = i;
        } else if (r.type == EMR_SETTEXTALIGN && !text)
            align = reinterpret_cast<const EMRSETTEXTALIGN*>(r.bytes.data())->iMode;
    }
    EXPECT_LT(start, text);
    EXPECT_LT(text, end);
    EXPECT_GT(lastBkMode, 0u);
    EXPECT_EQ(bkMode, static_cast<DWORD>(TRANSPARENT));
    EXPECT_EQ(align, static_cast<DWORD>(TA_CENTER));
}

TEST(RpPrinter, TextOutWithBackgroundIsOpaqueThenTransparentAgain) {
    OnePage p;
    p.Draw([](RpPrinter& d) {
        d.TextOut(0.5, 0.5, "Hinterlegt", 2, Color(0, 0, 255), Color(255, 255, 0));
    });
    std::vector<DWORD> modes;
    DWORD align = 99, textColour = 0, bkColour = 0;
    for (const auto& r : RecordsOf(p.Page())) {
        if (r.type == EMR_SETBKMODE)
            modes.push_back(reinterpret_cast<const EMRSETBKMODE*>(r.bytes.data())->iMode);
        if (r.type == EMR_SETTEXTALIGN)
            align = reinterpret_cast<const EMRSETTEXTALIGN*>(r.bytes.data())->iMode;
        if (r.type == EMR_SETTEXTCOLOR)
            textColour = reinterpret_cast<const EMRSETTEXTCOLOR*>(r.bytes.data())->crColor;
        if (r.type == EMR_SETBKCOLOR)
            bkColour = reinterpret_cast<const EMRSETBKCOLOR*>(r.bytes.data())->crColor;
    }
    ASSERT_GE(modes.size(), 2u);
    EXPECT_EQ(modes[modes.size() - 2], static_cast<DWORD>(OPAQUE));
    EXPECT_EQ(modes.back(), static_cast<DWORD>(TRANSPARENT));
    EXPECT_EQ(align, static_cast<DWORD>(TA_RIGHT));
    EXPECT_EQ(textColour, RGB(0, 0, 255));
    EXPECT_EQ(bkColour, RGB(255, 255, 0));
}

TEST(RpPrinter, DrawTextWrapsIntoTheBoxAndMovesThePosition) {
    OnePage p;
    long rowAfter = 0, colAfter = 0;
    int charHeight = 0;
    p.Draw([&](RpPrinter& d) {
        d.UnitOfMeasure(UOM_LOGICAL);
        charHeight = d.LogCharHeight();
        d.DrawText(100, 50, "Eins zwei drei vier fuenf sechs sieben acht neun zehn", 10, 120, 2);
        rowAfter = d.LogPRow();
        colAfter = d.LogPCol();
        d.DrawText(500, 50, "Text", {}, {}, 3);  // no such alignment: left
    });
    const auto comments = CommentsOf(p.Page());
    ASSERT_EQ(comments.size(), 4u);
    EXPECT_EQ(comments[2].alignment, 0);
    const auto& c = comments[0];
    EXPECT_EQ(c.marker, COMMENT_TEXT_START);
    EXPECT_EQ(comments[1].marker, COMMENT_TEXT_END);
    EXPECT_EQ(c.alignment, 2);
    EXPECT_EQ(c.row, 100);
    EXPECT_EQ(c.column, 50);
    EXPECT_EQ(c.width, 121);
    // The measured text runs over several lines: one character height more
    // than it reaches.
    EXPECT_GT(c.height, 2 * charHeight);
    EXPECT_EQ(comments[1].height, c.height);
    EXPECT_EQ(rowAfter, 100 + c.height - charHeight - 1);
    EXPECT_EQ(colAfter, 50 + 121 - 1);
    const auto texts = ReadPageTexts(p.Page());
    EXPECT_GE(texts.size(), 2u);
}

TEST(RpPrinter, RectangleBrushes) {
    OnePage p;
    p.Draw([](RpPrinter& d) {
        d.UnitOfMeasure(UOM_LOGICAL);
        d.DrawRectangle(10, 20, 30, 40, 1, PS_SOLID, Color(), -1);                 // solid, code 7
        d.DrawRectangle(10, 20, 30, 40);                                           // no brush
        d.DrawEllipse(10, 20, 30, 40, 3, PS_SOLID, Color(), 4, Color(0, 128, 0));  // cross
    });
    std::vector<LOGBRUSH32> brushes;
    std::vector<RECTL> boxes;
    int ellipses = 0;
    for (const auto& r : RecordsOf(p.Page())) {
        if (r.type == EMR_CREATEBRUSHINDIRECT)
            brushes.push_back(reinterpret_cast<const EMRCREATEBRUSHINDIRECT*>(r.bytes.data())->lb);
        if (r.type == EMR_RECTANGLE)
            boxes.push_back(reinterpret_cast<const EMRRECTANGLE*>(r.bytes.data())->rclBox);
        if (r.type == EMR_ELLIPSE)
            ++ellipses;
    }
    ASSERT_EQ(brushes.size(), 2u);
    EXPECT_EQ(brushes[0].lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(brushes[0].lbColor, RpPrinter::DefaultBrushColor().ColorRef());
    EXPECT_EQ(brushes[1].lbStyle, static_cast<UINT>(BS_HATCHED));
    EXPECT_EQ(brushes[1].lbHatch, static_cast<ULONG>(HS_CROSS));
    EXPECT_EQ(brushes[1].lbColor, RGB(0, 128, 0));
    ASSERT_EQ(boxes.size(), 2u);
    // Bottom and right belong to the box: Windows is given one unit more,
    // and the metafile records the box inclusively again.
    EXPECT_EQ(boxes[0].left, 20);
    EXPECT_EQ(boxes[0].top, 10);
    EXPECT_EQ(boxes[0].right, 40);
    EXPECT_EQ(boxes[0].bottom, 30);
    EXPECT_EQ(ellipses, 1);
}

TEST(RpPrinter, DashedLineOfWidthOneIsACosmeticPen) {
    OnePage p;
    p.Draw([](RpPrinter& d) {
        d.UnitOfMeasure(UOM_LOGICAL);
        d.DrawLine(5, 5, 5, 100, 1, PS_DASH, Color(255, 0, 0));
        d.DrawLine(10, 5, 10, 100, 4, PS_DASH);
        d.DrawLine(15, 5, 15, 100);
        // The line leaves the print position alone.
        EXPECT_EQ(d.LogPRow(), 0);
    });
    std::vector<LOGPEN> pens;
    for (const auto& r : RecordsOf(p.Page())) {
        if (r.type == EMR_CREATEPEN)
            pens.push_back(reinterpret_cast<const EMRCREATEPEN*>(r.bytes.data())->lopn);
    }
    ASSERT_EQ(pens.size(), 3u);
    EXPECT_EQ(pens[0].lopnStyle, static_cast<UINT>(PS_DASH));
    EXPECT_EQ(pens[0].lopnWidth.x, 0);
    EXPECT_EQ(pens[0].lopnColor, RGB(255, 0, 0));
    EXPECT_EQ(pens[1].lopnWidth.x, 4);
    EXPECT_EQ(pens[2].lopnStyle, static_cast<UINT>(PS_SOLID));
    EXPECT_EQ(pens[2].lopnWidth.x, 1);
}

TEST(RpPrinter, BitmapIsAnnouncedWithItsRow) {
    DIBMP bitmap;
    ASSERT_TRUE(bitmap.LoadFromBytes(test::TinyBitmapFile()));
    OnePage p;
    p.Draw([&](RpPrinter& d) {
        d.UnitOfMeasure(UOM_LOGICAL);
        d.DrawBMP(120, 30, bitmap, 40, 40);
        d.DrawBMP(10, 10, "Z:\\gibt\\es\\nicht.bmp");  // draws nothing
    });
    const auto raw = ReadPageComments(p.Page());
    ASSERT_EQ(raw.size(), 1u);
    ASSERT_EQ(raw[0].size(), 8u);
    const auto expected = BitmapComment(120);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), raw[0].begin()));
}

TEST(RpPrinter, MarginsAreKeptInInches) {
    BodyReport report;
    RpPrinter device(nullptr, &report, A4());
    device.UnitOfMeasure(UOM_CM);
    device.LeftMargin(2.54);
    device.TopMargin(5.08);
    EXPECT_DOUBLE_EQ(device.PtrDevice::LeftMargin(), 1.0);
    EXPECT_DOUBLE_EQ(device.PtrDevice::TopMargin(), 2.0);
    device.UnitOfMeasure(UOM_MM);
    EXPECT_NEAR(device.LeftMargin(), 25.4, 1e-9);
    device.UnitOfMeasure(UOM_LOGICAL);
    EXPECT_EQ(device.TopMargin(), 2.0 * device.LogPixelsY());
    // The print area shrinks by the margins.
    device.UnitOfMeasure(UOM_INCH);
    EXPECT_NEAR(device.PrintAreaWidth(), 8.27 - 1.0, 2.0 / device.LogPixelsX());
}

TEST(RpPrinter, GetTextFaceNamesTheSelectedFontWhilePreviewing) {
    BodyReport report;
    RpPrinter device(nullptr, &report, A4());
    // Outside a job nothing is drawn, measured or named.
    device.TextOut(1, 1, "nichts");
    device.DrawText(1, 1, "nichts");
    EXPECT_EQ(device.LogPCol(), 0);
    EXPECT_EQ(device.GetTextLength("nichts"), 0.0);
    EXPECT_EQ(device.GetTextFace(), "");
    std::string face;
    report.body = [&](PtrDevice&) {
        face = device.GetTextFace();
        return kLastPage;
    };
    device.SetFont("Courier New", 10);
    // RenderPages exports: the face is read only while printing or previewing.
    device.RenderPages();
    EXPECT_EQ(face, "");
    device.Print("Test");  // the memory printer keeps the pages
    // The face Windows chose for the font (a substitute where the system
    // lacks it).
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, device.Font());
    wchar_t chosen[80] = {};
    GetTextFaceW(dc, 80, chosen);
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_FALSE(face.empty());
    EXPECT_EQ(face, WideToUtf8(chosen));
}

TEST(RpPrinter, WithoutAPrinterEverythingIsZeroAndNothingBreaks) {
    BodyReport report;
    RpPrinter device(nullptr, &report, nullptr);
    EXPECT_FALSE(device.IsValid());
    EXPECT_EQ(device.LogCharWidth(), 0);
    for (int unit = UOM_INCH; unit <= UOM_LOGICAL; ++unit) {
        device.UnitOfMeasure(unit);
        EXPECT_EQ(device.AvgCharWidth(), 0.0);
        EXPECT_EQ(device.AvgCharHeight(), 0.0);
        EXPECT_EQ(device.PrintAreaWidth(), 0.0);
        device.LeftMargin(3);
        EXPECT_TRUE(std::isfinite(device.LeftMargin()));
        device.PRow(2);
        EXPECT_TRUE(std::isfinite(device.PRow()));
    }
    device.SetFont("Arial", 10);
    EXPECT_FALSE(device.Print("Test"));
    EXPECT_EQ(device.Status(), PrintStatus::NoPrinter);
}

// The device at a real printer's 600 pixels per inch: the PDF printer of
// the test command, rendered into pages without spooling.
TEST(RpPrinter, CentimetresOnA600DpiPrinter) {
    auto link = test::PrinterAt600Dpi();
    if (!link)
        GTEST_SKIP() << "no printer set up (tools/print/kpcups start) - 600 dpi case skipped";
    BodyReport report;
    RpPrinter device(nullptr, &report, std::move(link));
    if (device.LogPixelsX() != 600 || device.LogPixelsY() != 600)
        GTEST_SKIP() << "the printer does not print at 600 dpi";
    LOGFONTW lf{};
    ASSERT_TRUE(GetObjectW(device.Font(), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, -100);
    device.UnitOfMeasure(UOM_CM);
    report.body = [&](PtrDevice&) {
        device.TextOut(2.54, 1, "Zeile");
        return kLastPage;
    };
    ASSERT_TRUE(device.Print("Test"));
    ASSERT_EQ(device.KeptPages().Count(), 1);
    const HENHMETAFILE page = device.KeptPages().pages[0].Get();
    const auto texts = ReadPageTexts(page);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].at.y, 600);
    EXPECT_EQ(texts[0].at.x, 236);
    const auto comments = CommentsOf(page);
    ASSERT_EQ(comments.size(), 2u);
    EXPECT_EQ(comments[0].row, 600);
    EXPECT_EQ(comments[0].column, 236);
}

}  // namespace
}  // namespace kp
