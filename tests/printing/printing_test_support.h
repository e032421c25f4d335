#pragma once
// Helpers of the printing tests: a report whose page body is a function,
// readers of rendered pages, a tiny bitmap, and the test command's PDF
// printer at 600 dpi.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/report/pages.h"
#include "platform/report/ptrdevice.h"
#include "printing/PrinterUnits.h"

namespace kp::test {

class BodyReport : public PrintReport {
  public:
    std::function<int(PtrDevice&)> body;
    int PrintPageBody(PtrDevice& device) override { return body ? body(device) : kLastPage; }
};

std::vector<PageRecord> RecordsOf(HENHMETAFILE page);
// The text-box comments of a page, in order.
std::vector<TextBoxComment> CommentsOf(HENHMETAFILE page);
// A 2 x 2 pixel 24-bit .bmp file.
std::vector<uint8_t> TinyBitmapFile();
// The default printer asked for 600 dpi, rendering without spooling; null
// when Windows has no printer.
std::unique_ptr<PrinterLink> PrinterAt600Dpi();
// Whether Windows has a printer to spool to.
bool HavePrinter();

}  // namespace kp::test
