#include "platform/report/rtf.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>

#include "platform/gui/richedit.h"
#include "platform/report/ptrdevice.h"
#include "platform/report/rtflayout.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

// RTF starts with "{\rtf"; leading blanks and line ends are allowed.
bool LooksLikeRtf(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\r' || s[i] == '\n' || s[i] == '\t'))
        ++i;
    return s.compare(i, 5, "{\\rtf") == 0;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
    HANDLE f =
        CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(f, &size) && size.QuadPart >= 0 && size.QuadPart < (1LL << 30);
    if (ok) {
        out.assign(static_cast<size_t>(size.QuadPart), '\0');
        DWORD read = 0;
        ok = out.empty() ||
             (ReadFile(f, out.data(), static_cast<DWORD>(out.size()), &read, nullptr) &&
              read == out.size());
    }
    CloseHandle(f);
    return ok;
}

}  // namespace

RTF::RTF() {
    // Rich edit 4.1 first; the older library answers on systems without it.
    const wchar_t* cls = MSFTEDIT_CLASS;
    lib_ = LoadLibraryW(L"Msftedit.dll");
    if (!lib_) {
        lib_ = LoadLibraryW(L"Riched20.dll");
        cls = RICHEDIT_CLASSW;
    }
    if (lib_)
        edit_ = CreateWindowExW(0, cls, L"", WS_POPUP | ES_MULTILINE, 0, 0, 400, 300, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
    if (edit_)
        SendMessageW(edit_, EM_EXLIMITTEXT, 0, 0x7FFFFFFF);
}

RTF::~RTF() {
    doc_.reset();
    if (edit_)
        DestroyWindow(edit_);
    if (lib_)
        FreeLibrary(lib_);
}

bool RTF::LoadStream(const std::string& bytes) {
    loaded_ = false;
    lastPrinted_ = 1;
    fittedNothing_ = false;
    if (!edit_ || !LooksLikeRtf(bytes))
        return false;
    // RTF text starts plain: not bold, italic, underlined or struck out
    // until it says so. Some rich edit controls take the defaults of the
    // control's own font instead (the bold system font), which printed
    // every plain letter bold.
    CHARFORMAT2W plain{};
    plain.cbSize = sizeof(plain);
    plain.dwMask = CFM_BOLD | CFM_WEIGHT | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    plain.wWeight = FW_NORMAL;
    SendMessageW(edit_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&plain));
    if (!StreamIntoRichEdit(edit_, bytes, SF_RTF))
        return false;
    loaded_ = true;
    doc_.reset();
    ownLayout_ = !ControlFormatsPages();
    return true;
}

bool RTF::ControlFormatsPages() const {
    if (TextBufferLength() == 0)
        return true;
    HDC screen = GetDC(nullptr);
    FORMATRANGE fr{};
    fr.hdc = fr.hdcTarget = screen;
    fr.rc = {0, 0, 10 * 1440, 10 * 1440};
    fr.rcPage = fr.rc;
    fr.chrg.cpMin = 0;
    fr.chrg.cpMax = -1;
    const LRESULT next = SendMessageW(edit_, EM_FORMATRANGE, FALSE, reinterpret_cast<LPARAM>(&fr));
    SendMessageW(edit_, EM_FORMATRANGE, FALSE, 0);
    ReleaseDC(nullptr, screen);
    return next > 0;
}

bool RTF::LoadRTFFromFile(const std::string& path) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        loaded_ = false;
        return false;
    }
    return LoadStream(bytes);
}

bool RTF::LoadRTFFromDynaString(const std::string& rtfText) {
    return LoadStream(rtfText);
}

long RTF::TextBufferLength() const {
    if (!edit_ || !loaded_)
        return 0;
    GETTEXTLENGTHEX q{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<long>(
        SendMessageW(edit_, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&q), 0));
}

std::string RTF::PlainText() const {
    if (!edit_ || !loaded_)
        return {};
    const long n = TextBufferLength();
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GETTEXTEX q{};
    q.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    q.flags = GT_DEFAULT;
    q.codepage = 1200;
    const LRESULT got = SendMessageW(edit_, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&q),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::max<LRESULT>(0, got)));
    return WideToUtf8(text);
}

namespace {

// Owns a device context made for one layout outside a job.
struct TempDC {
    HDC dc = nullptr;
    ~TempDC() {
        if (dc)
            DeleteDC(dc);
    }
};

LONG ToTwips(long v, int dpi) {
    return static_cast<LONG>(static_cast<long long>(v) * 1440 / dpi);
}

}  // namespace

long RTF::DrawText(PtrDevice& device, int row, int col, int height, int width, long firstChar,
                   bool draw) {
    fittedNothing_ = false;
    const long length = TextBufferLength();
    const long first = std::max(1L, firstChar);
    lastPrinted_ = first;
    if (!loaded_)
        return lastPrinted_;
    if (first > length) {
        lastPrinted_ = length + 1;
        device.NoteLayoutPosition(lastPrinted_);
        return lastPrinted_;
    }
    HDC dc = device.CurrentDC();
    HDC target = device.PrinterDC() ? device.PrinterDC() : dc;
    TempDC temp;
    if (!dc) {
        // Measuring outside a job: on the printer itself, drawing nothing.
        temp.dc = device.CreatePrinterDC();
        dc = target = temp.dc;
        draw = false;
    }
    const int dpiX = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 0;
    const int dpiY = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dpiX <= 0 || dpiY <= 0 || height <= 0 || width <= 0) {
        fittedNothing_ = true;
        device.NoteNothingFits();
        return lastPrinted_;
    }
    if (ownLayout_) {
        if (!doc_)
            doc_ = std::make_unique<RtfDocument>(ReadRichEdit(edit_));
        const RECT box{col, row, col + width, row + height};
        const PageLayout page = LayoutPage(*doc_, dc, box, first - 1, draw);
        if (page.fittedNothing) {
            fittedNothing_ = true;
            device.NoteNothingFits();
            lastPrinted_ = first;
        } else {
            lastPrinted_ = std::min(page.next, length) + 1;
        }
        device.NoteLayoutPosition(lastPrinted_);
        return lastPrinted_;
    }
    FORMATRANGE fr{};
    fr.hdc = dc;
    fr.hdcTarget = target;
    fr.rc = {ToTwips(col, dpiX), ToTwips(row, dpiY), ToTwips(col + static_cast<long>(width), dpiX),
             ToTwips(row + static_cast<long>(height), dpiY)};
    fr.rcPage = fr.rc;
    fr.chrg.cpMin = first - 1;
    fr.chrg.cpMax = -1;
    const LRESULT next =
        SendMessageW(edit_, EM_FORMATRANGE, draw ? TRUE : FALSE, reinterpret_cast<LPARAM>(&fr));
    // The control keeps layout data for the device until told to let go.
    SendMessageW(edit_, EM_FORMATRANGE, FALSE, 0);
    if (next <= first - 1) {
        // Not even one line fits: the next page would start here again.
        fittedNothing_ = true;
        device.NoteNothingFits();
        lastPrinted_ = first;
    } else {
        lastPrinted_ = std::min(static_cast<long>(next), length) + 1;
    }
    device.NoteLayoutPosition(lastPrinted_);
    return lastPrinted_;
}

}  // namespace kp
