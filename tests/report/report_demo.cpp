// A letter in the preview window, for a look (not a test):
//   report_demo [print]   previews, or prints on the default printer.
#include <windows.h>

#include <cstring>
#include <string>

#include "platform/report/ptrdevice.h"
#include "platform/report/rtf.h"

namespace {

std::string DemoLetter() {
    std::string rtf =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}"
        "{\\colortbl;\\red0\\green0\\blue160;}"
        "\\f0\\fs20 Muster Versicherungsmakler GmbH \\'b7 Hauptstra\\'dfe 1 \\'b7 40210 "
        "D\\'fcsseldorf\\par\\par "
        "Herrn\\par Max Mustermann\\par Beispielweg 7\\par 50667 K\\'f6ln\\par\\par "
        "\\qr D\\'fcsseldorf, 08.12.2026\\par\\ql\\par "
        "\\b\\fs28\\cf1 Ihre Wohngeb\\'e4udeversicherung\\cf0\\b0\\fs24\\par\\par "
        "\\f1 Sehr geehrter Herr Mustermann,\\par\\par ";
    for (int i = 1; i <= 40; ++i)
        rtf += "\\fi360 Absatz " + std::to_string(i) +
               ": Die Versicherungssteuer f\\'fcr Ihren Vertrag wurde zum 1. Juli 2010 "
               "angepasst. Der neue Beitrag gilt ab der n\\'e4chsten F\\'e4lligkeit; "
               "Sie m\\'fcssen nichts weiter tun.\\par ";
    rtf += "\\fi0\\par Mit freundlichen Gr\\'fc\\'dfen\\par\\par\\i Ihr Makler\\i0\\par}";
    return rtf;
}

class LetterReport : public kp::PrintReport {
  public:
    explicit LetterReport(kp::RTF& rtf) : rtf_(rtf) {}
    int PrintSetPage(kp::PtrDevice&, int page) override {
        if (page == 1)
            next_ = 1;
        return page;
    }
    int PrintPageBody(kp::PtrDevice& d) override {
        rtf_.DrawText(d, 0, 0, d.LogPrintAreaLength(), d.LogPrintAreaWidth(), next_, true);
        next_ = rtf_.LastPrintedChar();
        return next_ > rtf_.TextBufferLength() ? kp::kLastPage : kp::kMorePages;
    }

  private:
    kp::RTF& rtf_;
    long next_ = 1;
};

}  // namespace

int main(int argc, char** argv) {
    kp::RTF rtf;
    if (!rtf.LoadRTFFromDynaString(DemoLetter()))
        return 1;
    LetterReport report(rtf);
    auto printer = kp::DefaultPrinterLink();
    if (!printer)
        printer = kp::MemoryPrinterLink(8.27, 11.69);
    kp::PtrDevice device(nullptr, &report, std::move(printer));
    device.LeftMargin(1.0);
    device.RightMargin(0.8);
    device.TopMargin(0.8);
    device.BottomMargin(0.8);
    if (argc > 1 && std::strcmp(argv[1], "print") == 0)
        return device.Print("Musterbrief", argc > 2 ? argv[2] : "", "RTF", "Drucken...", argc > 2)
                   ? 0
                   : 2;
    return device.PrintPreview("Musterbrief", "PRINT.PRN", "RTF", "Drucken...", true, false, true)
               ? 0
               : 2;
}
