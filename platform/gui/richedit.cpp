#include "platform/gui/richedit.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gui/rtfindents.h"
#include "platform/gui/shellwindow.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

constexpr DWORD kDefaultStyle =
    ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_TABSTOP | WS_VISIBLE;
constexpr DWORD kDefaultEventMask = ENM_CHANGE | ENM_SELCHANGE;

// --- stream callbacks: the control asks for (or hands over) one chunk at a
// time; a non-zero result stops the stream with that error.

struct StringSource {
    const std::string* text;
    size_t pos = 0;
};

DWORD CALLBACK ReadFromString(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    auto* src = reinterpret_cast<StringSource*>(cookie);
    const size_t n =
        std::min(static_cast<size_t>(std::max(wanted, 0L)), src->text->size() - src->pos);
    std::memcpy(buffer, src->text->data() + src->pos, n);
    src->pos += n;
    *got = static_cast<LONG>(n);
    return 0;
}

DWORD CALLBACK WriteToString(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer),
                                                   static_cast<size_t>(std::max(count, 0L)));
    *done = count;
    return 0;
}

DWORD CALLBACK ReadFromFile(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* got) {
    DWORD n = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(cookie), buffer, static_cast<DWORD>(wanted), &n,
                  nullptr))
        return GetLastError() ? GetLastError() : 1;
    *got = static_cast<LONG>(n);
    return 0;
}

bool WriteAll(HANDLE file, const std::string& text) {
    constexpr size_t kChunk = 1 << 20;
    for (size_t pos = 0; pos < text.size();) {
        const DWORD want = static_cast<DWORD>(std::min(kChunk, text.size() - pos));
        DWORD n = 0;
        if (!WriteFile(file, text.data() + pos, want, &n, nullptr) || n != want)
            return false;
        pos += n;
    }
    return true;
}

// An open file handle that closes itself.
class FileHandle {
  public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { Close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return h_; }
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        if (!Valid())
            return true;
        const bool ok = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

  private:
    HANDLE h_;
};

bool IsRtf(const char* head, size_t n) {
    return n >= 5 && std::memcmp(head, "{\\rtf", 5) == 0;
}

}  // namespace

// ---------------------------------------------------------------- making

const wchar_t* RichEdit::WindowClassName() {
    // The DLLs stay loaded for the life of the process: controls of their
    // classes may exist until the end.
    static const wchar_t* const name = [] {
        if (LoadLibraryW(L"Msftedit.dll"))
            return L"RICHEDIT50W";
        LoadLibraryW(L"riched20.dll");
        return L"RichEdit20W";
    }();
    return name;
}

namespace {

// A window made for a moment and destroyed with its owner.
class ScratchWindow {
  public:
    explicit ScratchWindow(HWND h) : h_(h) {}
    ~ScratchWindow() {
        if (h_)
            DestroyWindow(h_);
    }
    ScratchWindow(const ScratchWindow&) = delete;
    ScratchWindow& operator=(const ScratchWindow&) = delete;
    HWND Get() const { return h_; }

  private:
    HWND h_;
};

// Whether the control in use writes paragraph indents swapped (see
// rtfindents.h). Tried once, on a hidden control holding a paragraph whose
// first line starts at 300 twips and whose other lines start at 200: a
// correct writer says \li200\fi100.
bool WriterSwapsIndents() {
    static const bool swaps = [] {
        ScratchWindow probe(CreateWindowExW(0, RichEdit::WindowClassName(), L"x", ES_MULTILINE, 0,
                                            0, 200, 50, nullptr, nullptr, GetModuleHandleW(nullptr),
                                            nullptr));
        if (!probe.Get())
            return false;
        SendMessageW(probe.Get(), EM_SETSEL, 0, -1);
        PARAFORMAT2 pf{};
        pf.cbSize = sizeof pf;
        pf.dwMask = PFM_STARTINDENT | PFM_OFFSET;
        pf.dxStartIndent = 300;
        pf.dxOffset = -100;
        SendMessageW(probe.Get(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
        std::string rtf;
        EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&rtf), 0, &WriteToString};
        SendMessageW(probe.Get(), EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
        const std::vector<RtfParagraphIndents> paragraphs = ParagraphIndents(rtf);
        return !paragraphs.empty() && paragraphs.front().li == -100 && paragraphs.front().fi == 300;
    }();
    return swaps;
}

// Without a font of its form the control would write in the system font,
// which is bold: the text then starts out bold.
void GiveFont(HWND h) {
    if (!SendMessageW(h, WM_GETFONT, 0, 0))
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                     FALSE);
}
}  // namespace

RichEdit::RichEdit(Window* owner, const ResourceID& id) : MultiLineEdit(owner, id) {
    if (!Handle())
        return;
    SendMessageW(Handle(), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    GiveFont(Handle());
}

RichEdit::RichEdit(Window* owner, int id, Point origin, Dimension size, DWORD extraStyle,
                   DWORD exStyle)
    : MultiLineEdit(owner, id, origin, size, kDefaultStyle | extraStyle, exStyle,
                    WindowClassName()) {
    if (!Handle())
        return;
    SendMessageW(Handle(), EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    GiveFont(Handle());
    EventMask(kDefaultEventMask);
}

Symbol RichEdit::ClassName() const {
    return Symbol("RICHEDIT");
}

// ---------------------------------------------------------------- RTF

void RichEdit::StreamIn(UINT format, EDITSTREAM& stream) {
    HWND h = Handle();
    settingText_ = true;
    const DWORD mask = EventMask();
    EventMask(0);
    SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    // The old text goes first, piece by piece from its end: some controls
    // take time that grows with the square of the text when a long text is
    // deleted (or replaced) from its start, minutes for a long letter.
    constexpr int kPiece = 4096;
    for (int length = TextLength(); length > 0;) {
        const int start = std::max(length - kPiece, 0);
        SendMessageW(h, EM_SETSEL, start, length);
        SendMessageW(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
        const int left = TextLength();
        if (left >= length)
            break;  // the control keeps what it cannot delete (a last paragraph mark)
        length = left;
    }
    SendMessageW(h, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
    // A text read in is nothing to undo.
    SendMessageW(h, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(h, nullptr, TRUE);
    EventMask(mask);
    settingText_ = false;
}

bool RichEdit::LoadFile(const std::string& path) {
    if (!Handle())
        return false;
    FileHandle file(CreateFileW(Utf8ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid())
        return false;
    char head[5] = {};
    DWORD n = 0;
    if (!ReadFile(file.Get(), head, sizeof head, &n, nullptr))
        return false;
    SetFilePointer(file.Get(), 0, nullptr, FILE_BEGIN);
    const UINT format = IsRtf(head, n) ? SF_RTF : SF_TEXT;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(file.Get()), 0, &ReadFromFile};
    StreamIn(format, es);
    Modified(false);
    if (es.dwError != 0)
        return false;
    return true;
}

bool RichEdit::SaveFile(const std::string& path) {
    if (!Handle() || path.empty())
        return false;
    const std::wstring wide = Utf8ToWide(path);
    wchar_t full[MAX_PATH * 2] = {};
    wchar_t* namePart = nullptr;
    const DWORD len = GetFullPathNameW(wide.c_str(), MAX_PATH * 2, full, &namePart);
    if (len == 0 || len >= MAX_PATH * 2 || !namePart)
        return false;
    const std::wstring folder(full, namePart);
    // A write-protected document stays as it is (the file system would let
    // the replacement through on some systems).
    const DWORD attributes = GetFileAttributesW(full);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;
    // The text goes to a new file beside the target, which then takes the
    // target's place in one step: a failure leaves the old file intact.
    wchar_t temp[MAX_PATH * 2] = {};
    if (!GetTempFileNameW(folder.c_str(), L"kpr", 0, temp))
        return false;
    bool ok = false;
    {
        FileHandle file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (file.Valid()) {
            // The text is taken whole first: its paragraphs may need repair.
            ok = WriteAll(file.Get(), RTFValue()) && FlushFileBuffers(file.Get());
            ok = file.Close() && ok;
        }
    }
    if (ok)
        ok = MoveFileExW(temp, full, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok)
        DeleteFileW(temp);
    return ok;
}

std::string RichEdit::RTFValue() const {
    std::string rtf;
    if (!Handle())
        return rtf;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&rtf), 0, &WriteToString};
    SendMessageW(Handle(), EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
    // Some controls end the stream with a NUL, which is no part of the text
    // (and would end it early for a reader of C strings).
    while (!rtf.empty() && rtf.back() == '\0')
        rtf.pop_back();
    // What the user set is what the text says, whichever control wrote it.
    if (WriterSwapsIndents())
        return RepairSwappedIndents(rtf);
    return rtf;
}

void RichEdit::RTFValue(const std::string& rtf) {
    if (!Handle())
        return;
    if (!IsRtf(rtf.data(), rtf.size())) {
        SetTextQuietly(rtf);
        return;
    }
    StringSource src{&rtf};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&src), 0, &ReadFromString};
    StreamIn(SF_RTF, es);
}

Usual RichEdit::Value() const {
    return Usual(RTFValue());
}

void RichEdit::Value(const Usual& v) {
    __Value(v);
    ValueChanged(true);
}

void RichEdit::__Value(const Usual& v) {
    RTFValue(v.IsString() ? v.AsString() : v.IsNil() ? std::string() : v.AsText());
    Modified(false);
}

std::string RichEdit::TextValue() const {
    if (!Handle())
        return {};
    GETTEXTLENGTHEX gl{GTL_USECRLF | GTL_PRECISE | GTL_NUMCHARS, 1200};
    const LRESULT len =
        SendMessageW(Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
    if (len <= 0)
        return {};
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    GETTEXTEX gt{};
    gt.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    gt.flags = GT_USECRLF;
    gt.codepage = 1200;
    const LRESULT got = SendMessageW(Handle(), EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, len)));
    return WideToUtf8(text);
}

void RichEdit::TextValue(const std::string& text) {
    Control::TextValue(text);
}

int RichEdit::TextLength() const {
    if (!Handle())
        return 0;
    GETTEXTLENGTHEX gl{GTL_DEFAULT | GTL_PRECISE | GTL_NUMCHARS, 1200};
    return static_cast<int>(
        SendMessageW(Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0));
}

// ---------------------------------------------------------------- options

DWORD RichEdit::Options() const {
    return Handle() ? static_cast<DWORD>(SendMessageW(Handle(), EM_GETOPTIONS, 0, 0)) : 0;
}

void RichEdit::Options(DWORD options, WORD operation) {
    if (Handle())
        SendMessageW(Handle(), EM_SETOPTIONS, operation, options);
}

DWORD RichEdit::EventMask() const {
    return Handle() ? static_cast<DWORD>(SendMessageW(Handle(), EM_GETEVENTMASK, 0, 0)) : 0;
}

void RichEdit::EventMask(DWORD mask) {
    if (Handle())
        SendMessageW(Handle(), EM_SETEVENTMASK, 0, mask);
}

// ---------------------------------------------------------------- selection

void RichEdit::Selection(int start, int finish) {
    if (!Handle())
        return;
    CHARRANGE cr{start, finish};
    SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr));
}

int RichEdit::SelectionType() const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), EM_SELECTIONTYPE, 0, 0)) : 0;
}

// ---------------------------------------------------------------- formats

namespace {
CHARFORMAT2W EmptyCharFormat(DWORD mask) {
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = mask;
    return cf;
}
}  // namespace

CHARFORMAT2W RichEdit::SelectionCharFormat(DWORD mask) const {
    CHARFORMAT2W cf = EmptyCharFormat(mask);
    if (Handle())
        SendMessageW(Handle(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

bool RichEdit::SetSelectionCharFormat(const CHARFORMAT2W& format) {
    if (!Handle())
        return false;
    CHARFORMAT2W cf = format;
    cf.cbSize = sizeof cf;
    return SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf)) !=
           0;
}

CHARFORMAT2W RichEdit::DefaultCharFormat(DWORD mask) const {
    CHARFORMAT2W cf = EmptyCharFormat(mask);
    if (Handle())
        SendMessageW(Handle(), EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    return cf;
}

bool RichEdit::SetAllCharFormat(const CHARFORMAT2W& format) {
    if (!Handle())
        return false;
    CHARFORMAT2W cf = format;
    cf.cbSize = sizeof cf;
    // The default format covers text typed into an empty control; the
    // selection's covers what is typed at the caret next.
    SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    const bool ok =
        SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&cf)) != 0;
    SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return ok;
}

void RichEdit::Font(const std::string& face, int points, bool bold, bool italic, bool underline,
                    bool strikeOut) {
    CHARFORMAT2W cf = EmptyCharFormat(CFM_FACE | CFM_SIZE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE |
                                      CFM_STRIKEOUT);
    const std::wstring w = Utf8ToWide(face);
    wcsncpy(cf.szFaceName, w.c_str(), LF_FACESIZE - 1);
    cf.yHeight = points * 20;
    cf.dwEffects = (bold ? CFE_BOLD : 0) | (italic ? CFE_ITALIC : 0) |
                   (underline ? CFE_UNDERLINE : 0) | (strikeOut ? CFE_STRIKEOUT : 0);
    SetAllCharFormat(cf);
}

PARAFORMAT2 RichEdit::ParagraphFormat(DWORD mask) const {
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof pf;
    pf.dwMask = mask;
    if (Handle())
        SendMessageW(Handle(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    return pf;
}

bool RichEdit::SetParagraphFormat(const PARAFORMAT2& format) {
    if (!Handle())
        return false;
    PARAFORMAT2 pf = format;
    pf.cbSize = sizeof pf;
    return SendMessageW(Handle(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf)) != 0;
}

int RichEdit::Alignment() const {
    return ParagraphFormat(PFM_ALIGNMENT).wAlignment;
}

void RichEdit::Alignment(int code) {
    PARAFORMAT2 pf{};
    pf.dwMask = PFM_ALIGNMENT;
    pf.wAlignment = static_cast<WORD>(code);
    SetParagraphFormat(pf);
}

int RichEdit::Numbering() const {
    return ParagraphFormat(PFM_NUMBERING).wNumbering;
}

void RichEdit::Numbering(int code) {
    PARAFORMAT2 pf{};
    pf.dwMask = PFM_NUMBERING;
    pf.wNumbering = static_cast<WORD>(code);
    SetParagraphFormat(pf);
}

// The control keeps the first line's indent (start indent) and the other
// lines' offset from it; the margins here are the lines' left edge and the
// first line against it, so that what is read is what was set.
void RichEdit::Margin(int left, int right, int firstLine) {
    PARAFORMAT2 pf{};
    pf.dwMask = PFM_STARTINDENT | PFM_RIGHTINDENT | PFM_OFFSET;
    pf.dxStartIndent = left + firstLine;
    pf.dxOffset = -firstLine;
    pf.dxRightIndent = right;
    SetParagraphFormat(pf);
}

int RichEdit::PrimaryIndent() const {
    const PARAFORMAT2 pf = ParagraphFormat(PFM_STARTINDENT | PFM_OFFSET);
    return pf.dxStartIndent + pf.dxOffset;
}

int RichEdit::RightMargin() const {
    return ParagraphFormat(PFM_RIGHTINDENT).dxRightIndent;
}

int RichEdit::SecondaryIndent() const {
    return -ParagraphFormat(PFM_OFFSET).dxOffset;
}

// ---------------------------------------------------------------- clipboard, lines

bool RichEdit::CanPaste(UINT clipboardFormat) const {
    return Handle() && SendMessageW(Handle(), EM_CANPASTE, clipboardFormat, 0) != 0;
}

int RichEdit::LineIndex(int line) const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), EM_LINEINDEX, line, 0)) : -1;
}

std::string RichEdit::PositionText() const {
    const int finish = SelectionFinish();
    const int line = LineFromCharacter(finish);
    // The column is counted in the finish's own line (with a selection made
    // backwards the caret's line is another one).
    const int column = finish - LineIndex(line - 1) + 1;
    return "Ln " + std::to_string(line) + " Col " + std::to_string(column);
}

// ---------------------------------------------------------------- events

LRESULT RichEdit::Dispatch(Event& e) {
    const LRESULT result = MultiLineEdit::Dispatch(e);
    switch (e.Message()) {
        case WM_KEYUP:
        case WM_KEYDOWN:
        case WM_CAPTURECHANGED:
            // The control has moved the caret by now.
            Default(e);
            if (Handle())
                CaretMoved();
            break;
        default:
            break;
    }
    return result;
}

void RichEdit::CaretMoved() {
    for (Window* w = Owner(); w; w = w->Owner()) {
        if (auto* shell = dynamic_cast<ShellWindow*>(w)) {
            if (kp::StatusBar* bar = shell->StatusBar())
                bar->PositionText(PositionText());
            break;
        }
    }
    if (auto* owner = dynamic_cast<RichEditOwner*>(Owner()))
        owner->RTFNotify();
}

void RichEdit::MouseButtonDown(MouseEvent& e) {
    MultiLineEdit::MouseButtonDown(e);
    if (!e.IsRightButton())
        return;
    Window* owner = Owner();
    if (!owner || !owner->Handle() || !owner->Menu() || !owner->Menu()->Handle())
        return;
    // A maximised MDI child's window menu takes the first place in the bar.
    HMENU popup = GetSubMenu(owner->Menu()->Handle(), IsZoomed(owner->Handle()) ? 3 : 2);
    if (!popup)
        return;
    POINT at{};
    GetCursorPos(&at);
    TrackPopupMenuEx(popup, 0, at.x, at.y, owner->Handle(), nullptr);
}

bool StreamIntoRichEdit(HWND edit, const std::string& bytes, UINT format) {
    StringSource src{&bytes};
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&src), 0, &ReadFromString};
    SendMessageW(edit, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
    return es.dwError == 0;
}

}  // namespace kp
