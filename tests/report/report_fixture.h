#pragma once
// What the report layer's tests share: a report that records its calls.
#include <string>
#include <vector>

#include "platform/report/ptrdevice.h"

namespace kp::test {

// Draws pages of a fixed count ("Seite n" at the top left) and records
// the calls of the page loop with what the device showed meanwhile.
class CountingReport : public PrintReport {
  public:
    explicit CountingReport(int pages) : pages_(pages) {}
    int PrintSetPage(PtrDevice& d, int page) override {
        calls.push_back("set" + std::to_string(page) + "@" + std::to_string(d.CurrentPageNumber()));
        return page;
    }
    void PrintPageHeader(PtrDevice&) override { calls.push_back("header"); }
    int PrintPageBody(PtrDevice& d) override {
        ++bodies;
        calls.push_back("body" + std::to_string(d.CurrentPageNumber()));
        sawActive = sawActive || d.IsActive();
        sawPrint = sawPrint || d.InPrint();
        sawPreview = sawPreview || d.InPreview();
        sawExport = sawExport || d.InExport();
        sawDC = sawDC || (d.CurrentDC() && d.CurrentDC() == d.PrinterDC());
        const std::wstring text = L"Seite " + std::to_wstring(d.CurrentPageNumber());
        TextOutW(d.CurrentDC(), 0, 0, text.c_str(), static_cast<int>(text.size()));
        return d.CurrentPageNumber() >= pages_ ? kLastPage : kMorePages;
    }
    void PrintEnd() override { calls.push_back("end"); }

    std::vector<std::string> calls;
    int bodies = 0;
    bool sawActive = false, sawPrint = false, sawPreview = false, sawExport = false, sawDC = false;

  private:
    int pages_;
};

}  // namespace kp::test
