#include "wordpad/rptRTF.h"

#include <windows.h>

#include "app/funVelto.h"
#include "platform/gui/boxes.h"
#include "printing/RpPrinter.h"

namespace kp {

namespace {

const Symbol& GedrucktName() {
    static const Symbol name("GEDRUCKT");
    return name;
}

void SetGedruckt(bool printed) {
    GetSetGlobal(GedrucktName(), Usual(printed));
}

// The word pad prints on A4 paper (the Windows paper code of "A4 small",
// which the device takes as A4 where the printer lacks it), in centimetres.
constexpr int kPaperA4Small = 10;

}  // namespace

bool Gedruckt() {
    const Usual v = GetSetGlobal(GedrucktName());
    return v.IsLogic() && v.AsLogic();
}

RTFReport::RTFReport(Window* owner, const std::string& document, bool preview) {
    Start(owner, document, preview, nullptr, true);
}

RTFReport::RTFReport(Window* owner, const std::string& document, bool preview,
                     std::unique_ptr<PrinterLink> printer) {
    Start(owner, document, preview, std::move(printer), false);
}

RTFReport::~RTFReport() = default;

namespace {
constexpr double kPageMarginCm = 2.0;
}  // namespace

bool RTFReport::IsRTFText(const std::string& document) {
    // Only text that is RTF by its own header; a path of any kind (drive,
    // UNC, relative) names a file.
    return document.rfind("{\\rtf", 0) == 0;
}

void RTFReport::Start(Window* owner, const std::string& document, bool preview,
                      std::unique_ptr<PrinterLink> printer, bool defaultPrinter) {
    owner_ = owner;
    document_ = document;
    SetGedruckt(false);
    std::unique_ptr<RpPrinter> device =
        defaultPrinter ? std::make_unique<RpPrinter>(owner, this)
                       : std::make_unique<RpPrinter>(owner, this, std::move(printer));
    device->UnitOfMeasure(UOM_CM);
    if (!device->IsValid()) {
        status_ = PrintStatus::NoPrinter;
        TellUser(device->StatusText());
        return;
    }
    device->PaperSize(kPaperA4Small);
    // A page margin of its own, as a letter has; without it a printer that
    // can print to the paper's edge (a PDF printer) puts the text there.
    device->TopMargin(kPageMarginCm);
    device->BottomMargin(kPageMarginCm);
    device->LeftMargin(kPageMarginCm);
    device->RightMargin(kPageMarginCm);
    if (Load(document))
        Run(*device, preview);
}

bool RTFReport::Load(const std::string& document) {
    oRTF = std::make_unique<RTF>();
    const bool ok = IsRTFText(document) ? oRTF->LoadRTFFromDynaString(document)
                                        : oRTF->LoadRTFFromFile(document);
    if (!ok) {
        oRTF.reset();
        return false;
    }
    document_ = document;
    nStartChar = 1;
    return true;
}

void RTFReport::Run(RpPrinter& device, bool preview) {
    SetGedruckt(false);
    if (!oRTF)
        return;
    const bool file = !IsRTFText(document_);
    const std::string title =
        file ? (preview ? "Vorschau Dokument" : "Druck Dokument") : "RTF Printing";
    bool spooled = false;
    if (preview) {
        device.PrintPreview(title, "PRINT.PRN", "RTF", "Drucken...", true, false, false);
    } else {
        spooled = device.Print(title, "PRINT.PRN", "RTF", "Drucken...", false, false) &&
                  device.EndDocSucceeded();
    }
    status_ = device.Status();
    // Only the whole letter, taken by the spooler, counts as printed: not
    // the pages of a job that is cancelled or fails later, nor the pages
    // before one that fitted nothing.
    SetGedruckt(spooled && status_ == PrintStatus::Done);
    if (status_ == PrintStatus::NoPrinter || status_ == PrintStatus::Failed ||
        status_ == PrintStatus::NoProgress)
        TellUser(device.StatusText());
}

void RTFReport::TellUser(const std::string& text) const {
    const std::string message =
        text.empty() ? "Das Dokument konnte nicht gedruckt werden. Bitte prüfen Sie den Drucker "
                       "und versuchen Sie es erneut."
                     : text;
    TextBox(owner_, "Drucken", message, MB_OK | MB_ICONWARNING).Show();
}

int RTFReport::PrintSetPage(PtrDevice& device, int page) {
    int current = device.CurrentPageNumber();
    if (page == 1 || page < current) {
        current = 1;
        nStartChar = 1;
    } else {
        current = current + 1;
    }
    if (current == page || !oRTF)
        return current;
    // Lay out the pages before the one asked for without drawing them. The
    // layout reports the first character that did not fit, which is where
    // the next page starts, exactly as PrintPageBody continues.
    while (current < page) {
        const long remembered = nStartChar;
        oRTF->DrawText(device, 0, 0, device.LogPrintAreaLength(), device.LogPrintAreaWidth(),
                       nStartChar, false);
        nStartChar = oRTF->LastPrintedChar();
        if (nStartChar > oRTF->TextBufferLength() || nStartChar <= remembered) {
            // Past the end, or a page that fits nothing: stay on the last page.
            nStartChar = remembered;
            break;
        }
        ++current;
    }
    return current;
}

int RTFReport::PrintPageBody(PtrDevice& device) {
    if (!oRTF)
        return kLastPage;
    const long first = nStartChar;
    oRTF->DrawText(device, 0, 0, device.LogPrintAreaLength(), device.LogPrintAreaWidth(),
                   nStartChar, true);
    nStartChar = oRTF->LastPrintedChar();
    if (nStartChar > oRTF->TextBufferLength())
        return kLastPage;
    // A page that fits nothing would be followed by the same page for ever:
    // the device stops the job and says why.
    if (nStartChar <= first)
        device.NoteNothingFits();
    return kMorePages;
}

void RTFReport::PrintEnd() {
    oRTF.reset();
}

}  // namespace kp
