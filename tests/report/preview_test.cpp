// Paging through rendered pages, and the preview window over them.
#include <gtest/gtest.h>

#include "platform/report/preview.h"
#include "platform/report/ptrdevice.h"
#include "tests/report/report_fixture.h"

namespace kp {
namespace {

TEST(PreviewPager, StaysWithinThePages) {
    PreviewPager pager(3);
    EXPECT_EQ(pager.Page(), 1);
    EXPECT_EQ(pager.Text(), "Seite 1 von 3");
    EXPECT_FALSE(pager.Previous());
    EXPECT_TRUE(pager.Next());
    EXPECT_TRUE(pager.Next());
    EXPECT_FALSE(pager.Next());
    EXPECT_EQ(pager.Text(), "Seite 3 von 3");
    EXPECT_TRUE(pager.First());
    EXPECT_EQ(pager.Page(), 1);
    EXPECT_TRUE(pager.Last());
    EXPECT_EQ(pager.Page(), 3);

    PreviewPager none(0);
    EXPECT_EQ(none.Page(), 0);
    EXPECT_FALSE(none.Next());
    EXPECT_FALSE(none.Last());
    EXPECT_EQ(none.Text(), "Keine Seite");
}

TEST(PreviewLayout, FitsThePageCentredInItsProportions) {
    // A4 at 600 dpi into a wide area: the height decides.
    RECT r = FitPage({4960, 7016}, {0, 40, 1000, 740}, 10);
    EXPECT_EQ(r.bottom - r.top, 680);
    EXPECT_EQ(r.right - r.left, 680 * 4960 / 7016);
    EXPECT_EQ(r.left, (1000 - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, 50);
    // Into a tall area: the width decides.
    RECT tall = FitPage({4960, 7016}, {0, 0, 300, 2000}, 10);
    EXPECT_EQ(tall.right - tall.left, 280);
    // Nothing to fit into, or no paper: an empty rectangle, no division by zero.
    RECT none = FitPage({4960, 7016}, {0, 0, 15, 15}, 10);
    EXPECT_EQ(none.right - none.left, 0);
    RECT noPaper = FitPage({0, 0}, {0, 0, 500, 500}, 10);
    EXPECT_EQ(noPaper.bottom - noPaper.top, 0);
}

std::string ShownText(HWND w) {
    wchar_t buf[64] = {};
    GetDlgItemTextW(w, kPreviewPageTextId, buf, 64);
    char out[64] = {};
    WideCharToMultiByte(CP_UTF8, 0, buf, -1, out, sizeof out, nullptr, nullptr);
    return out;
}

TEST(PreviewWindow, PagesWithKeysAndButtonsAndCloses) {
    test::CountingReport report(3);
    PtrDevice device(nullptr, &report, MemoryPrinterLink(8.27, 11.69));
    PreviewWindow preview(nullptr, "Brief", device.RenderPages());
    HWND w = preview.Handle();
    ASSERT_NE(w, nullptr);
    preview.Show();
    wchar_t caption[80] = {};
    GetWindowTextW(w, caption, 80);
    EXPECT_STREQ(caption, L"Druckvorschau - Brief");
    EXPECT_EQ(preview.PageCount(), 3);
    EXPECT_EQ(ShownText(w), "Seite 1 von 3");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(w, kPreviewPrevId)));
    // No printing or saving from this preview.
    EXPECT_EQ(GetDlgItem(w, kPreviewPrintId), nullptr);
    EXPECT_EQ(GetDlgItem(w, kPreviewSaveId), nullptr);

    SendMessageW(w, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ(preview.Page(), 2);
    EXPECT_EQ(ShownText(w), "Seite 2 von 3");
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(kPreviewNextId, BN_CLICKED), 0);
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(kPreviewNextId, BN_CLICKED), 0);
    EXPECT_EQ(preview.Page(), 3);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(w, kPreviewNextId)));
    SendMessageW(w, WM_KEYDOWN, VK_HOME, 0);
    EXPECT_EQ(preview.Page(), 1);
    SendMessageW(w, WM_KEYDOWN, VK_END, 0);
    EXPECT_EQ(preview.Page(), 3);
    SendMessageW(w, WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_EQ(ShownText(w), "Seite 2 von 3");
    // Painting a page plays its metafile; it must not fail or leak into the test.
    UpdateWindow(w);

    SendMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_EQ(preview.Handle(), nullptr);
}

TEST(PreviewWindow, RunsModallyUntilClosed) {
    test::CountingReport report(2);
    PtrDevice device(nullptr, &report, MemoryPrinterLink(8.27, 11.69));
    int printed = 0;
    PreviewWindow preview(nullptr, "Brief", device.RenderPages(), [&] { ++printed; });
    ASSERT_NE(GetDlgItem(preview.Handle(), kPreviewPrintId), nullptr);
    // The print button closes the preview and prints after it.
    PostMessageW(preview.Handle(), WM_COMMAND, MAKEWPARAM(kPreviewPrintId, BN_CLICKED), 0);
    preview.RunModal();
    EXPECT_EQ(preview.Handle(), nullptr);
    EXPECT_EQ(printed, 1);
}

}  // namespace
}  // namespace kp
