#include "platform/report/ptrdevice.h"

#include <commdlg.h>
#include <winspool.h>

#include <algorithm>
#include <cmath>

#include "platform/gui/window.h"
#include "platform/report/preview.h"
#include "platform/gui/handles.h"
#include "platform/runtime/utf8.h"

namespace kp {

// --- PrintReport defaults

int PrintReport::PrintSetPage(PtrDevice&, int page) {
    return page;
}

void PrintReport::PrintPageHeader(PtrDevice&) {}

void PrintReport::PrintEnd() {}

// --- printers

SIZE PrinterLink::PrintableSize(HDC dc) const {
    return {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
}

POINT PrinterLink::PrintableOffset(HDC dc) const {
    return {GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALOFFSETY)};
}

SIZE PrinterLink::PaperPixels(HDC dc) const {
    SIZE s{GetDeviceCaps(dc, PHYSICALWIDTH), GetDeviceCaps(dc, PHYSICALHEIGHT)};
    const SIZE area = PrintableSize(dc);
    // Devices that are no printers answer 0: the sheet is the printable area.
    s.cx = std::max(s.cx, area.cx);
    s.cy = std::max(s.cy, area.cy);
    return s;
}

namespace {

// Closes a printer handle of the spooler.
class PrinterHandle {
  public:
    explicit PrinterHandle(const std::wstring& name) {
        if (!OpenPrinterW(const_cast<LPWSTR>(name.c_str()), &h_, nullptr))
            h_ = nullptr;
    }
    ~PrinterHandle() {
        if (h_)
            ClosePrinter(h_);
    }
    PrinterHandle(const PrinterHandle&) = delete;
    PrinterHandle& operator=(const PrinterHandle&) = delete;
    HANDLE Get() const { return h_; }

  private:
    HANDLE h_ = nullptr;
};

// Global memory handed to and taken back from the common dialogs.
class GlobalBlock {
  public:
    GlobalBlock() = default;
    GlobalBlock(const void* data, size_t size) {
        h_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        if (h_ && data) {
            void* p = GlobalLock(h_);
            memcpy(p, data, size);
            GlobalUnlock(h_);
        }
    }
    ~GlobalBlock() { Reset(nullptr); }
    GlobalBlock(const GlobalBlock&) = delete;
    GlobalBlock& operator=(const GlobalBlock&) = delete;
    HGLOBAL Get() const { return h_; }
    void Reset(HGLOBAL h) {
        if (h_ && h_ != h)
            GlobalFree(h_);
        h_ = h;
    }
    std::vector<BYTE> Bytes() const {
        std::vector<BYTE> out;
        if (!h_)
            return out;
        const auto* p = static_cast<const BYTE*>(GlobalLock(h_));
        if (p) {
            out.assign(p, p + GlobalSize(h_));
            GlobalUnlock(h_);
        }
        return out;
    }

  private:
    HGLOBAL h_ = nullptr;
};

// A printer of the Windows spooler with its own settings (DEVMODE).
class WindowsPrinterLink : public PrinterLink {
  public:
    explicit WindowsPrinterLink(std::wstring name) : name_(std::move(name)) { LoadDefaults(); }

    std::string Name() const override { return WideToUtf8(name_); }
    HDC NewDC() const override { return CreateDCW(L"WINSPOOL", name_.c_str(), nullptr, DevMode()); }
    bool Spools() const override { return true; }
    int PaperSize() const override {
        const DEVMODEW* dm = DevMode();
        return dm && (dm->dmFields & DM_PAPERSIZE) ? dm->dmPaperSize : 0;
    }
    bool PaperSize(int code) override {
        DEVMODEW* dm = DevMode();
        if (!dm || code <= 0)
            return false;
        const std::vector<WORD> papers = Papers();
        int use = 0;
        if (std::find(papers.begin(), papers.end(), code) != papers.end())
            use = code;
        else if (code == DMPAPER_A4SMALL &&
                 std::find(papers.begin(), papers.end(), DMPAPER_A4) != papers.end())
            use = DMPAPER_A4;
        if (!use)
            return false;
        dm->dmPaperSize = static_cast<short>(use);
        dm->dmFields |= DM_PAPERSIZE;
        dm->dmFields &= ~(DM_PAPERLENGTH | DM_PAPERWIDTH);
        return true;
    }
    bool Setup(HWND owner) override { return Dialog(owner, PD_PRINTSETUP, nullptr); }
    bool ChooseForPrint(HWND owner, bool& toFile) override {
        return Dialog(owner, PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE,
                      &toFile);
    }

  private:
    DEVMODEW* DevMode() const {
        return devMode_.empty() ? nullptr
                                : reinterpret_cast<DEVMODEW*>(const_cast<BYTE*>(devMode_.data()));
    }

    void LoadDefaults() {
        PrinterHandle printer(name_);
        if (!printer.Get())
            return;
        const LONG size = DocumentPropertiesW(
            nullptr, printer.Get(), const_cast<LPWSTR>(name_.c_str()), nullptr, nullptr, 0);
        if (size <= 0)
            return;
        devMode_.assign(static_cast<size_t>(size), 0);
        if (DocumentPropertiesW(nullptr, printer.Get(), const_cast<LPWSTR>(name_.c_str()),
                                DevMode(), nullptr, DM_OUT_BUFFER) != IDOK)
            devMode_.clear();
        DWORD needed = 0;
        GetPrinterW(printer.Get(), 2, nullptr, 0, &needed);
        if (needed) {
            std::vector<BYTE> buf(needed);
            if (GetPrinterW(printer.Get(), 2, buf.data(), needed, &needed)) {
                auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buf.data());
                if (info->pPortName)
                    port_ = info->pPortName;
            }
        }
    }

    std::vector<WORD> Papers() const {
        std::vector<WORD> papers;
        const int n =
            DeviceCapabilitiesW(name_.c_str(), port_.c_str(), DC_PAPERS, nullptr, nullptr);
        if (n > 0) {
            papers.resize(static_cast<size_t>(n));
            DeviceCapabilitiesW(name_.c_str(), port_.c_str(), DC_PAPERS,
                                reinterpret_cast<LPWSTR>(papers.data()), nullptr);
        }
        return papers;
    }

    // The print or print setup dialog over this printer's settings; takes
    // back the printer and settings chosen.
    bool Dialog(HWND owner, DWORD flags, bool* toFile) {
        // DEVNAMES: offsets in characters to driver, device and output port.
        std::wstring names;
        names.append(L"winspool");
        names.push_back(0);
        const size_t deviceAt = names.size();
        names.append(name_);
        names.push_back(0);
        const size_t portAt = names.size();
        names.append(port_);
        names.push_back(0);
        std::vector<BYTE> devNames(sizeof(DEVNAMES) + names.size() * sizeof(wchar_t));
        auto* dn = reinterpret_cast<DEVNAMES*>(devNames.data());
        const size_t base = sizeof(DEVNAMES) / sizeof(wchar_t);
        dn->wDriverOffset = static_cast<WORD>(base);
        dn->wDeviceOffset = static_cast<WORD>(base + deviceAt);
        dn->wOutputOffset = static_cast<WORD>(base + portAt);
        memcpy(devNames.data() + sizeof(DEVNAMES), names.data(), names.size() * sizeof(wchar_t));

        GlobalBlock mode(devMode_.empty() ? nullptr : devMode_.data(), devMode_.size());
        GlobalBlock namesBlock(devNames.data(), devNames.size());
        PRINTDLGW pd{};
        pd.lStructSize = sizeof(pd);
        pd.hwndOwner = owner;
        pd.hDevMode = devMode_.empty() ? nullptr : mode.Get();
        pd.hDevNames = namesBlock.Get();
        pd.Flags = flags;
        pd.nCopies = 1;
        const BOOL ok = PrintDlgW(&pd);
        // The dialog may have replaced the blocks; free what it hands back.
        mode.Reset(pd.hDevMode);
        namesBlock.Reset(pd.hDevNames);
        if (!ok)
            return false;
        if (toFile)
            *toFile = (pd.Flags & PD_PRINTTOFILE) != 0;
        std::vector<BYTE> chosenNames = namesBlock.Bytes();
        if (chosenNames.size() >= sizeof(DEVNAMES)) {
            const auto* cn = reinterpret_cast<const DEVNAMES*>(chosenNames.data());
            const size_t chars = chosenNames.size() / sizeof(wchar_t);
            const auto* text = reinterpret_cast<const wchar_t*>(chosenNames.data());
            auto at = [&](WORD offset) {
                std::wstring s;
                for (size_t i = offset; i < chars && text[i]; ++i)
                    s.push_back(text[i]);
                return s;
            };
            if (std::wstring device = at(cn->wDeviceOffset); !device.empty()) {
                name_ = device;
                port_ = at(cn->wOutputOffset);
            }
        }
        if (std::vector<BYTE> chosen = mode.Bytes(); chosen.size() >= sizeof(DEVMODEW))
            devMode_ = std::move(chosen);
        return true;
    }

    std::wstring name_;
    std::wstring port_;
    std::vector<BYTE> devMode_;
};

// A memory device context standing in for a printer.
class MemoryLink : public PrinterLink {
  public:
    MemoryLink(double w, double l) : w_(w), l_(l) {}
    std::string Name() const override { return "Speicher"; }
    HDC NewDC() const override { return CreateCompatibleDC(nullptr); }
    bool Spools() const override { return false; }
    SIZE PrintableSize(HDC dc) const override {
        return {static_cast<LONG>(std::lround(w_ * GetDeviceCaps(dc, LOGPIXELSX))),
                static_cast<LONG>(std::lround(l_ * GetDeviceCaps(dc, LOGPIXELSY)))};
    }
    POINT PrintableOffset(HDC) const override { return {0, 0}; }
    SIZE PaperPixels(HDC dc) const override { return PrintableSize(dc); }
    int PaperSize() const override { return paper_; }
    bool PaperSize(int code) override {
        paper_ = code;
        return true;
    }

  private:
    double w_, l_;
    int paper_ = 0;
};

// Lets the messages of the progress window through while the spooler
// works; cancelling is looked at by the page loop between pages.
BOOL CALLBACK PrintAbortProc(HDC, int) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return FALSE;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return TRUE;
}

constexpr int kProgressCancelId = IDCANCEL;
constexpr int kProgressTextId = 201;

// The small window that shows the page being printed and can cancel.
class ProgressWindow {
  public:
    ProgressWindow(HWND owner, const std::string& caption, const std::string& title) {
        static const ATOM atom = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = &ProgressWindow::Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
            wc.lpszClassName = L"KpPrintProgress";
            return RegisterClassExW(&wc);
        }();
        (void)atom;
        owner_ = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
        hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME, L"KpPrintProgress",
                                Utf8ToWide(caption.empty() ? "Drucken..." : caption).c_str(),
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT,
                                320, 130, owner_, nullptr, GetModuleHandleW(nullptr), this);
        if (!hwnd_)
            return;
        auto font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        HWND text = CreateWindowExW(0, L"STATIC", Utf8ToWide(title).c_str(),
                                    WS_CHILD | WS_VISIBLE | SS_LEFT, 12, 10, 290, 36, hwnd_,
                                    reinterpret_cast<HMENU>(kProgressTextId), nullptr, nullptr);
        HWND button = CreateWindowExW(
            0, L"BUTTON", L"Abbrechen", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 110,
            56, 90, 26, hwnd_, reinterpret_cast<HMENU>(kProgressCancelId), nullptr, nullptr);
        SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (owner_) {
            RECT o, r;
            GetWindowRect(owner_, &o);
            GetWindowRect(hwnd_, &r);
            SetWindowPos(hwnd_, nullptr, (o.left + o.right - (r.right - r.left)) / 2,
                         (o.top + o.bottom - (r.bottom - r.top)) / 2, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER);
            ownerWasEnabled_ = IsWindowEnabled(owner_);
            EnableWindow(owner_, FALSE);
        }
        ShowWindow(hwnd_, SW_SHOWNORMAL);
        UpdateWindow(hwnd_);
    }
    ~ProgressWindow() {
        if (owner_ && ownerWasEnabled_)
            EnableWindow(owner_, TRUE);
        if (hwnd_)
            DestroyWindow(hwnd_);
    }
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    void ShowPage(int page) {
        if (!hwnd_)
            return;
        const std::string line = "Seite " + std::to_string(page) + " wird gedruckt.";
        SetDlgItemTextW(hwnd_, kProgressTextId, Utf8ToWide(line).c_str());
        PrintAbortProc(nullptr, 0);
    }
    bool Cancelled() const { return cancelled_; }

  private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self) {
            if ((msg == WM_COMMAND && LOWORD(wp) == kProgressCancelId) || msg == WM_CLOSE) {
                self->cancelled_ = true;
                EnableWindow(GetDlgItem(h, kProgressCancelId), FALSE);
                return 0;
            }
            if (msg == WM_NCDESTROY)
                self->hwnd_ = nullptr;
        }
        return DefWindowProcW(h, msg, wp, lp);
    }

    HWND owner_ = nullptr;
    HWND hwnd_ = nullptr;
    bool ownerWasEnabled_ = false;
    bool cancelled_ = false;
};

}  // namespace

std::unique_ptr<PrinterLink> DefaultPrinterLink() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    if (size == 0)
        return nullptr;
    std::wstring name(size, L'\0');
    if (!GetDefaultPrinterW(name.data(), &size))
        return nullptr;
    name.resize(wcslen(name.c_str()));
    if (name.empty())
        return nullptr;
    // A printer the spooler lists but cannot open is no printer to print on.
    OwnedDC probe(CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr));
    if (!probe.Get())
        return nullptr;
    return std::make_unique<WindowsPrinterLink>(std::move(name));
}

std::unique_ptr<PrinterLink> MemoryPrinterLink(double widthInches, double lengthInches) {
    return std::make_unique<MemoryLink>(widthInches, lengthInches);
}

// --- where the pages of the loop go

class PtrDevice::PageTarget {
  public:
    virtual ~PageTarget() = default;
    // The device context of a new page; null when the page cannot be begun.
    virtual HDC BeginPage(int page) = 0;
    // Ends the page; keep false drops it (when the target can).
    virtual bool EndPage(bool keep) = 0;
    virtual bool Cancelled() const { return false; }
};

class PtrDevice::MetafileTarget : public PtrDevice::PageTarget {
  public:
    MetafileTarget(HDC reference, const PtrDevice& device, PageSet& out)
        : reference_(reference), out_(out) {
        out_.pages.clear();
        out_.dpiX = device.dpiX_;
        out_.dpiY = device.dpiY_;
        out_.pagePixels = paper_ = device.paper_;
        out_.printOrigin = device.offset_;
        out_.printable = printable_ = device.printable_;
    }
    ~MetafileTarget() override {
        if (dc_)
            DeleteEnhMetaFile(CloseEnhMetaFile(dc_));
    }
    HDC BeginPage(int) override {
        if (!reference_ || out_.dpiX <= 0 || out_.dpiY <= 0)
            return nullptr;
        // The frame is the printable area in hundredths of a millimetre.
        RECT frame{0, 0, MulDiv(printable_.cx, 2540, out_.dpiX),
                   MulDiv(printable_.cy, 2540, out_.dpiY)};
        dc_ = CreateEnhMetaFileW(reference_, nullptr, &frame, nullptr);
        return dc_;
    }
    bool EndPage(bool keep) override {
        if (!dc_)
            return false;
        EnhMetafile page(CloseEnhMetaFile(dc_));
        dc_ = nullptr;
        if (!page)
            return false;
        if (keep)
            out_.pages.push_back(std::move(page));
        return true;
    }

  private:
    HDC reference_;
    PageSet& out_;
    SIZE paper_{};
    SIZE printable_{};
    HDC dc_ = nullptr;
};

class PtrDevice::SpoolTarget : public PtrDevice::PageTarget {
  public:
    SpoolTarget(HDC dc, ProgressWindow* progress) : dc_(dc), progress_(progress) {}
    HDC BeginPage(int page) override {
        if (progress_)
            progress_->ShowPage(page);
        if (Cancelled())
            return nullptr;
        return StartPage(dc_) > 0 ? dc_ : nullptr;
    }
    bool EndPage(bool) override { return ::EndPage(dc_) > 0; }
    bool Cancelled() const override { return progress_ && progress_->Cancelled(); }

  private:
    HDC dc_;
    ProgressWindow* progress_;
};

// --- the device

PtrDevice::PtrDevice(Window* owner, PrintReport* report)
    : PtrDevice(owner, report, DefaultPrinterLink()) {}

PtrDevice::PtrDevice(Window* owner, PrintReport* report, std::unique_ptr<PrinterLink> printer)
    : owner_(owner), report_(report) {
    AdoptPrinter(std::move(printer));
}

PtrDevice::~PtrDevice() = default;

void PtrDevice::AdoptPrinter(std::unique_ptr<PrinterLink> printer) {
    printer_ = std::move(printer);
    status_ = printer_ ? PrintStatus::Idle : PrintStatus::NoPrinter;
    ReadMeasures();
}

void PtrDevice::ReadMeasures() {
    dpiX_ = dpiY_ = 0;
    printable_ = paper_ = {};
    offset_ = {};
    if (!printer_)
        return;
    OwnedDC dc(printer_->NewDC());
    if (!dc.Get())
        return;
    dpiX_ = std::max(0, GetDeviceCaps(dc.Get(), LOGPIXELSX));
    dpiY_ = std::max(0, GetDeviceCaps(dc.Get(), LOGPIXELSY));
    printable_ = printer_->PrintableSize(dc.Get());
    offset_ = printer_->PrintableOffset(dc.Get());
    paper_ = printer_->PaperPixels(dc.Get());
}

std::string PtrDevice::PrinterName() const {
    return printer_ ? printer_->Name() : std::string();
}

std::string PtrDevice::StatusText() const {
    switch (status_) {
        case PrintStatus::NoPrinter:
            return "Es ist kein Drucker eingerichtet.\r\n"
                   "Bitte richten Sie in Windows einen Drucker ein und versuchen Sie es erneut.";
        case PrintStatus::Cancelled:
            return "Der Druck wurde abgebrochen.";
        case PrintStatus::NoProgress:
            return "Der Text passt nicht auf die Seite; der Druck wurde nach Seite " +
                   std::to_string(pagesDone_) +
                   " beendet.\r\nBitte prüfen Sie Ränder und Papierformat.";
        case PrintStatus::Failed:
            return "Der Drucker „" + PrinterName() +
                   "“ hat den Druckauftrag nicht angenommen.\r\n"
                   "Bitte prüfen Sie den Drucker und versuchen Sie es erneut.";
        default:
            return {};
    }
}

int PtrDevice::PaperSize() const {
    return printer_ ? printer_->PaperSize() : 0;
}

void PtrDevice::PaperSize(int code) {
    if (printer_ && printer_->PaperSize(code))
        ReadMeasures();
}

bool PtrDevice::PrinterSetup(Window* owner) {
    if (!printer_) {
        status_ = PrintStatus::NoPrinter;
        return false;
    }
    if (!printer_->Setup(owner ? owner->Handle() : (owner_ ? owner_->Handle() : nullptr)))
        return false;
    ReadMeasures();
    return true;
}

HDC PtrDevice::CreatePrinterDC() const {
    return printer_ ? printer_->NewDC() : nullptr;
}

// --- measures

int PtrDevice::InchesToLogX(double inches) const {
    return static_cast<int>(std::lround(inches * dpiX_));
}

int PtrDevice::InchesToLogY(double inches) const {
    return static_cast<int>(std::lround(inches * dpiY_));
}

double PtrDevice::LogXToInches(double log) const {
    return dpiX_ > 0 ? log / dpiX_ : 0.0;
}

double PtrDevice::LogYToInches(double log) const {
    return dpiY_ > 0 ? log / dpiY_ : 0.0;
}

void PtrDevice::TopMargin(double inches) {
    top_ = std::max(0.0, inches);
}
void PtrDevice::LeftMargin(double inches) {
    left_ = std::max(0.0, inches);
}
void PtrDevice::BottomMargin(double inches) {
    bottom_ = std::max(0.0, inches);
}
void PtrDevice::RightMargin(double inches) {
    right_ = std::max(0.0, inches);
}

namespace {

// How far a margin reaches into the printable area: the part of it beyond
// the border the printer cannot print on anyway.
int MarginInside(double inches, int dpi, int border) {
    return std::max(0, static_cast<int>(std::lround(inches * dpi)) - std::max(0, border));
}

}  // namespace

int PtrDevice::LogPrintAreaWidth() const {
    const int rightBorder = paper_.cx - offset_.x - printable_.cx;
    return std::max(0, static_cast<int>(printable_.cx) - MarginInside(left_, dpiX_, offset_.x) -
                           MarginInside(right_, dpiX_, rightBorder));
}

int PtrDevice::LogPrintAreaLength() const {
    const int bottomBorder = paper_.cy - offset_.y - printable_.cy;
    return std::max(0, static_cast<int>(printable_.cy) - MarginInside(top_, dpiY_, offset_.y) -
                           MarginInside(bottom_, dpiY_, bottomBorder));
}

// --- the page loop

int PtrDevice::CallPrintSetPage(int page) {
    return report_ ? report_->PrintSetPage(*this, page) : page;
}

void PtrDevice::CallPrintPageHeader() {
    if (report_)
        report_->PrintPageHeader(*this);
}

int PtrDevice::CallPrintPageBody() {
    return report_ ? report_->PrintPageBody(*this) : kLastPage;
}

void PtrDevice::CallPrintEnd() {
    if (report_)
        report_->PrintEnd();
}

void PtrDevice::NoteLayoutPosition(long position) {
    pagePosition_ = position;
    positionNoted_ = true;
}

void PtrDevice::BeginPage(HDC dc, int) {
    // The print area starts inside the margins.
    SetViewportOrgEx(dc, MarginInside(left_, dpiX_, offset_.x),
                     MarginInside(top_, dpiY_, offset_.y), nullptr);
}

PrintStatus PtrDevice::RunPages(PageTarget& target) {
    PrintStatus result = PrintStatus::Done;
    currentPage_ = 0;
    pagesDone_ = 0;
    lastPosition_ = -1;
    for (int page = 1;; ++page) {
        if (page > kMaxPages) {
            result = PrintStatus::NoProgress;
            break;
        }
        HDC dc = target.BeginPage(page);
        if (!dc) {
            result = target.Cancelled() ? PrintStatus::Cancelled : PrintStatus::Failed;
            break;
        }
        currentDC_ = printerDC_ = dc;
        BeginPage(dc, page);
        const int at = CallPrintSetPage(page);
        if (at != page) {
            // The report has no such page: the one before was its last.
            target.EndPage(false);
            break;
        }
        currentPage_ = at;
        CallPrintPageHeader();
        positionNoted_ = false;
        nothingFits_ = false;
        const int answer = CallPrintPageBody();
        const bool stuck =
            answer == kMorePages && (nothingFits_ || (positionNoted_ && lastPosition_ >= 0 &&
                                                      pagePosition_ <= lastPosition_));
        if (stuck) {
            // A page that takes nothing would come again and again.
            target.EndPage(false);
            result = PrintStatus::NoProgress;
            break;
        }
        if (!target.EndPage(true)) {
            result = PrintStatus::Failed;
            break;
        }
        ++pagesDone_;
        if (positionNoted_)
            lastPosition_ = pagePosition_;
        if (answer != kMorePages)
            break;
        if (target.Cancelled()) {
            result = PrintStatus::Cancelled;
            break;
        }
    }
    currentDC_ = printerDC_ = nullptr;
    return result;
}

PageSet PtrDevice::RenderPages() {
    PageSet pages;
    if (!printer_) {
        status_ = PrintStatus::NoPrinter;
        return pages;
    }
    OwnedDC reference(printer_->NewDC());
    const bool wasExport = inExport_;
    inExport_ = !inPreview_;
    MetafileTarget target(reference.Get(), *this, pages);
    PrintStatus s = RunPages(target);
    CallPrintEnd();
    inExport_ = wasExport;
    status_ = s == PrintStatus::Done ? PrintStatus::Previewed : s;
    return pages;
}

bool PtrDevice::Print(const std::string& jobTitle, const std::string& printFile,
                      const std::string& docType, const std::string& progressCaption, bool toFile,
                      bool showDialog) {
    endDocOk_ = false;
    pagesDone_ = 0;
    kept_ = PageSet{};
    if (!printer_) {
        status_ = PrintStatus::NoPrinter;
        return false;
    }
    HWND ownerHwnd = owner_ ? owner_->Handle() : nullptr;
    if (showDialog && !noSelection_) {
        if (!printer_->ChooseForPrint(ownerHwnd, toFile)) {
            status_ = PrintStatus::Cancelled;
            return false;
        }
        ReadMeasures();
    }
    inPrint_ = true;
    if (!printer_->Spools()) {
        // A stand-in printer: the pages are kept as rendered.
        OwnedDC reference(printer_->NewDC());
        MetafileTarget target(reference.Get(), *this, kept_);
        status_ = RunPages(target);
        CallPrintEnd();
        inPrint_ = false;
        endDocOk_ =
            (status_ == PrintStatus::Done || status_ == PrintStatus::NoProgress) && pagesDone_ > 0;
        return endDocOk_;
    }

    OwnedDC dc(printer_->NewDC());
    if (!dc.Get()) {
        inPrint_ = false;
        status_ = PrintStatus::Failed;
        CallPrintEnd();
        return false;
    }
    SetAbortProc(dc.Get(), &PrintAbortProc);
    const std::wstring title = Utf8ToWide(jobTitle);
    const std::wstring type = Utf8ToWide(docType);
    std::wstring output;
    if (toFile && !printFile.empty()) {
        const std::wstring name = Utf8ToWide(printFile);
        DWORD n = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
        output.assign(n, L'\0');
        n = GetFullPathNameW(name.c_str(), n, output.data(), nullptr);
        output.resize(n);
    }
    DOCINFOW doc{};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = title.c_str();
    doc.lpszOutput = output.empty() ? nullptr : output.c_str();
    (void)type;  // the spooler's data type stays the driver's own
    ProgressWindow progress(ownerHwnd, progressCaption, jobTitle);
    if (StartDocW(dc.Get(), &doc) <= 0) {
        inPrint_ = false;
        status_ = PrintStatus::Failed;
        CallPrintEnd();
        return false;
    }
    SpoolTarget target(dc.Get(), &progress);
    status_ = RunPages(target);
    CallPrintEnd();
    const bool keep =
        (status_ == PrintStatus::Done || status_ == PrintStatus::NoProgress) && pagesDone_ > 0;
    if (keep) {
        endDocOk_ = EndDoc(dc.Get()) > 0;
        if (!endDocOk_)
            status_ = PrintStatus::Failed;
    } else {
        AbortDoc(dc.Get());
    }
    inPrint_ = false;
    return endDocOk_;
}

bool PtrDevice::PrintPreview(const std::string& jobTitle, const std::string&, const std::string&,
                             const std::string&, bool modal, bool allowPrint, bool withExport) {
    if (!printer_) {
        status_ = PrintStatus::NoPrinter;
        return false;
    }
    inPreview_ = true;
    PageSet pages = RenderPages();
    inPreview_ = false;
    if (pages.Count() == 0)
        return false;
    std::function<void()> onPrint;
    if (allowPrint)
        onPrint = [this, jobTitle] { Print(jobTitle); };
    preview_ =
        std::make_unique<PreviewWindow>(owner_, jobTitle, std::move(pages), onPrint, withExport);
    if (modal) {
        preview_->RunModal();
        preview_.reset();
    } else {
        preview_->Show();
    }
    return true;
}

}  // namespace kp
