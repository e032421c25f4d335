#pragma once
// PtrDevice: a printer and the page loop that prints a report on it.
//
// A device belongs to one print or preview job. It takes the default printer
// of Windows when it is made (PrinterSetup chooses another), runs the page
// loop of its PrintReport and hands each page to the spooler (Print), renders
// the same pages into enhanced metafiles at the printer's resolution and
// shows them (PrintPreview), or keeps those metafiles (RenderPages).
//
// The page loop, for page 1, 2, ...: CallPrintSetPage(page) - the report
// answers the page it is on; CallPrintPageHeader(); CallPrintPageBody() until
// it answers kLastPage; then the report's PrintEnd. The loop also ends when the
// report makes no progress: a page whose body reports the same layout position
// as the page before (see NoteLayoutPosition), a page that fits nothing, or a
// report that never ends (kMaxPages). A job that the user cancels is aborted.
//
// Coordinates while drawing are logical units of the drawing device context:
// (0, 0) is the top-left corner of the print area, the part of the printable
// area inside the margins; the print area is LogPrintAreaWidth by
// LogPrintAreaLength.
//
// Without a printer the device is not valid (IsValid false, Status
// PrintStatus::NoPrinter, LogPixelsX/Y 0); Print and PrintPreview then do
// nothing and answer false, and StatusText says what the user can do.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/report/pages.h"

namespace kp {

class Window;
class PtrDevice;
class PreviewWindow;

// Answers of PrintReport::PrintPageBody.
inline constexpr int kMorePages = -1;  // text remains for another page
inline constexpr int kLastPage = -2;   // the whole report has been drawn

// The receiver of a print job's callbacks.
class PrintReport {
  public:
    virtual ~PrintReport() = default;
    // Positions the report on a page before it is drawn (a preview may ask
    // for any page); answers the page it is on. The device's
    // CurrentPageNumber is still the page drawn before (0 before the first).
    virtual int PrintSetPage(PtrDevice& device, int page);
    virtual void PrintPageHeader(PtrDevice& device);
    // Draws one page: kMorePages or kLastPage.
    virtual int PrintPageBody(PtrDevice& device) = 0;
    // The job is over (printed, previewed, cancelled or failed).
    virtual void PrintEnd();
};

// How the last job of a device ended.
enum class PrintStatus {
    Idle,        // no job yet
    Done,        // printed: the spooler has the job (EndDoc succeeded)
    Previewed,   // the pages were rendered (preview or RenderPages)
    NoPrinter,   // Windows has no printer
    Cancelled,   // the user cancelled; the job was aborted
    NoProgress,  // the loop stopped: a page fitted nothing (what came before was kept)
    Failed,      // the printer refused (device context, StartDoc, a page or EndDoc)
};

// The printer a device works with. The default one is a Windows printer
// (WindowsPrinterLink); tests and off-screen rendering use MemoryPrinterLink.
class PrinterLink {
  public:
    virtual ~PrinterLink() = default;
    virtual std::string Name() const = 0;
    // A new device context of the printer, the caller deletes it; null when
    // the printer cannot be reached.
    virtual HDC NewDC() const = 0;
    // Whether jobs go to the Windows spooler; a link that does not spool only
    // renders pages (Print keeps them as with RenderPages).
    virtual bool Spools() const = 0;
    // The printable area of the page and its offset from the paper's
    // top-left corner, in device pixels of dc.
    virtual SIZE PrintableSize(HDC dc) const;
    virtual POINT PrintableOffset(HDC dc) const;
    // The whole sheet in device pixels of dc.
    virtual SIZE PaperPixels(HDC dc) const;
    // The Windows paper code (DMPAPER_...); 0 when unknown.
    virtual int PaperSize() const { return 0; }
    // Asks for a paper; false when the printer has no such paper.
    virtual bool PaperSize(int /*code*/) { return false; }
    // The print setup dialog of Windows; false when cancelled or impossible.
    virtual bool Setup(HWND /*owner*/) { return false; }
    // The print dialog of Windows before a job; toFile comes back set when
    // the user asks to print into a file. False when cancelled.
    virtual bool ChooseForPrint(HWND /*owner*/, bool& /*toFile*/) { return true; }
};

// The default printer of Windows, or null when there is none.
std::unique_ptr<PrinterLink> DefaultPrinterLink();

// A stand-in printer without a spooler: a memory device context (of the
// screen's resolution) with a page of the given size in inches and no
// unprintable border.
std::unique_ptr<PrinterLink> MemoryPrinterLink(double widthInches, double lengthInches);

class PtrDevice {
  public:
    // The device over the default printer of Windows.
    PtrDevice(Window* owner, PrintReport* report);
    // The device over a given printer (null: none).
    PtrDevice(Window* owner, PrintReport* report, std::unique_ptr<PrinterLink> printer);
    virtual ~PtrDevice();
    PtrDevice(const PtrDevice&) = delete;
    PtrDevice& operator=(const PtrDevice&) = delete;

    static constexpr int kMaxPages = 10000;

    // --- the printer
    bool IsValid() const { return printer_ != nullptr; }
    std::string PrinterName() const;
    PrintStatus Status() const { return status_; }
    // A German sentence for the user about Status (empty for Idle, Done, Previewed).
    std::string StatusText() const;
    // The Windows paper code (DMPAPER_...). A4 small (10) falls back to A4
    // (9), the same sheet, when the printer does not list it.
    int PaperSize() const;
    void PaperSize(int code);
    // When set, a print job goes straight to the printer without the print
    // dialog (the default is FALSE: Print with its dialog flag asks).
    void NoSelection(bool on) { noSelection_ = on; }
    bool NoSelection() const { return noSelection_; }
    // The print setup dialog of Windows (printer, paper, orientation); false
    // when cancelled or when there is no printer.
    bool PrinterSetup(Window* owner);

    // --- jobs
    // Prints the report. printFile is used only when toFile is set: the
    // spooler then writes the job into that file instead of the printer
    // (relative names are taken from the current folder). With showDialog
    // (and NoSelection false) the print dialog of Windows comes first. A
    // progress window with progressCaption and a cancel button stays up
    // while the pages are printed. True when the job reached the spooler.
    bool Print(const std::string& jobTitle, const std::string& printFile = {},
               const std::string& docType = {}, const std::string& progressCaption = {},
               bool toFile = false, bool showDialog = false);
    // Renders every page of the report as Print would and shows them in the
    // preview window (modal: returns when it is closed). allowPrint adds a
    // button that prints the report from the preview; withExport a button
    // that saves the shown page as an enhanced metafile. True when there was
    // a page to show.
    bool PrintPreview(const std::string& jobTitle, const std::string& printFile = {},
                      const std::string& docType = {}, const std::string& progressCaption = {},
                      bool modal = true, bool allowPrint = false, bool withExport = false);
    // Runs the page loop into enhanced metafiles at the printer's resolution
    // (the device is InExport meanwhile) and hands them over.
    PageSet RenderPages();
    // Whether the last Print reached EndDoc successfully.
    bool EndDocSucceeded() const { return endDocOk_; }
    bool Spooled() const { return endDocOk_; }
    // Pages drawn by the last job.
    int PagesDone() const { return pagesDone_; }
    // Pages of a Print through a link that does not spool.
    const PageSet& KeptPages() const { return kept_; }

    // --- state while a job runs
    bool InPrint() const { return inPrint_; }
    bool InPreview() const { return inPreview_; }
    bool InExport() const { return inExport_; }
    bool IsActive() const { return inPrint_ || inPreview_ || inExport_; }
    int CurrentPageNumber() const { return currentPage_; }
    // The device context being drawn (the printer's, or a page's metafile);
    // null outside a job.
    HDC CurrentDC() const { return currentDC_; }
    // The device context that holds the printer's page; during a job the
    // same as CurrentDC, outside one null.
    HDC PrinterDC() const { return printerDC_; }
    // Kept for the text-drawing function; always null here.
    HANDLE ThirdHandle() const { return nullptr; }
    // A new device context of the printer (the caller deletes it), null
    // without a printer.
    HDC CreatePrinterDC() const;

    // --- measures (logical units of the printer; 0 without a printer)
    int LogPixelsX() const { return dpiX_; }
    int LogPixelsY() const { return dpiY_; }
    int LogPrintAreaWidth() const;
    int LogPrintAreaLength() const;
    // Inches to logical units and back; 0 without a printer.
    int InchesToLogX(double inches) const;
    int InchesToLogY(double inches) const;
    double LogXToInches(double log) const;
    double LogYToInches(double log) const;
    // Margins from the paper's edges, in inches; negative values count as 0.
    double TopMargin() const { return top_; }
    void TopMargin(double inches);
    double LeftMargin() const { return left_; }
    void LeftMargin(double inches);
    double BottomMargin() const { return bottom_; }
    void BottomMargin(double inches);
    double RightMargin() const { return right_; }
    void RightMargin(double inches);

    // --- the page loop's calls (derived devices add their own work)
    virtual int CallPrintSetPage(int page);
    virtual void CallPrintPageHeader();
    virtual int CallPrintPageBody();
    virtual void CallPrintEnd();
    // Layout objects tell the loop how far the report has come (a growing
    // position, such as the next character to print) after drawing a page.
    // A page that ends where the page before ended stops the loop.
    void NoteLayoutPosition(long position);
    // A layout object found that nothing fits on the page.
    void NoteNothingFits() { nothingFits_ = true; }

    Window* Owner() const { return owner_; }
    PrintReport* Report() const { return report_; }

  private:
    class PageTarget;
    class SpoolTarget;
    class MetafileTarget;
    friend class SpoolTarget;
    friend class MetafileTarget;

    void AdoptPrinter(std::unique_ptr<PrinterLink> printer);
    void ReadMeasures();
    // Runs the page loop into target; returns the status it ended with.
    PrintStatus RunPages(PageTarget& target);
    void BeginPage(HDC dc, int page);

    Window* owner_;
    PrintReport* report_;
    std::unique_ptr<PrinterLink> printer_;
    PrintStatus status_ = PrintStatus::Idle;
    bool noSelection_ = false;
    bool inPrint_ = false;
    bool inPreview_ = false;
    bool inExport_ = false;
    bool endDocOk_ = false;
    int currentPage_ = 0;
    int pagesDone_ = 0;
    HDC currentDC_ = nullptr;
    HDC printerDC_ = nullptr;
    int dpiX_ = 0;
    int dpiY_ = 0;
    SIZE printable_{};
    POINT offset_{};
    SIZE paper_{};
    double top_ = 0, left_ = 0, bottom_ = 0, right_ = 0;
    long lastPosition_ = -1;
    long pagePosition_ = -1;
    bool positionNoted_ = false;
    bool nothingFits_ = false;
    PageSet kept_;
    std::unique_ptr<PreviewWindow> preview_;  // a preview shown without waiting
};

}  // namespace kp
