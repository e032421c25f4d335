#include "platform/gui/databrowser.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "platform/gui/boxes.h"
#include "platform/gui/datawindow.h"
#include "platform/gui/handles.h"
#include "platform/gui/internal.h"
#include "platform/gui/menu.h"
#include "platform/runtime/error.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

// Not LVS_SINGLESEL: with it, selecting one row walks every row of the
// list in some list-view implementations (Wine's), a second per move in a
// million rows. The grid keeps exactly one row selected itself: the keys
// and mouse clicks that move the selection are handled here, and only the
// rows concerned change state.
constexpr DWORD kListStyle =
    WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS;
constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;
constexpr int kMaxColumnChars = 40;

// How many characters a column shows of a field.
int ColumnChars(const FieldSpec& f) {
    int chars = f.Length();
    switch (f.ValType()) {
        case 'D':
            chars = 10;
            break;
        case 'L':
            chars = 1;
            break;
        case 'M':
            chars = static_cast<int>(std::char_traits<char>::length(RowSource::kMemoMarker));
            break;
        default:
            break;
    }
    chars = std::max(chars, static_cast<int>(f.Name().Name().size()) + 1);
    return std::min(chars, kMaxColumnChars);
}

// The message a typed text that is no value of its field gets.
std::string NotAValue(const FieldSpec& f, const std::string& text) {
    const std::string field = f.Name().Name();
    switch (f.ValType()) {
        case 'N':
        case 'F':
            return "„" + text + "“ ist keine Zahl. Bitte im Feld " + field +
                   " eine Zahl mit höchstens " + std::to_string(f.Decimals()) +
                   " Nachkommastellen eingeben.";
        case 'D':
            return "„" + text + "“ ist kein gültiges Datum. Bitte im Feld " + field +
                   " ein Datum in der Form TT.MM.JJJJ eingeben.";
        case 'L':
            return "„" + text + "“ ist kein Wahrheitswert. Bitte im Feld " + field +
                   " T (ja) oder F (nein) eingeben.";
        default:
            return "Das Feld " + field +
                   " kann in der Tabellenansicht nicht geändert werden; bitte die Maske benutzen.";
    }
}

}  // namespace

// The edit over a cell: Return keeps, Escape drops, Tab moves on; leaving it
// keeps what was typed.
class CellEditor : public SingleLineEdit {
  public:
    explicit CellEditor(DataBrowser* browser)
        : SingleLineEdit(browser, 1, Point(0, 0), Dimension(0, 0),
                         WS_BORDER | ES_AUTOHSCROLL | WS_CLIPSIBLINGS),
          browser_(browser) {}

    LRESULT Dispatch(Event& e) override {
        switch (e.Message()) {
            case WM_GETDLGCODE:
                EventReturnValue(DLGC_WANTALLKEYS);
                return 1;
            case WM_KEYDOWN:
                if (e.wParam() == VK_RETURN || e.wParam() == VK_ESCAPE) {
                    browser_->EndEdit(e.wParam() == VK_RETURN);
                    return 1;
                }
                if (e.wParam() == VK_TAB) {
                    const bool back = GetKeyState(VK_SHIFT) < 0;
                    const int row = browser_->CurrentRow();
                    const int next = browser_->CurrentColumn() + (back ? -1 : 1);
                    browser_->EndEdit(true);
                    if (row >= 0 && next >= 1 && next <= browser_->ColumnCount()) {
                        browser_->CurrentColumn(next);
                        browser_->BeginEdit(static_cast<uint32_t>(row), next);
                    }
                    return 1;
                }
                break;
            case WM_CHAR:
                // Handled on key down; the edit would beep at them.
                if (e.wParam() == '\r' || e.wParam() == 0x1B || e.wParam() == '\t')
                    return 1;
                break;
            case WM_KILLFOCUS:
                Default(e);
                browser_->EndEdit(true, false);
                return 1;
            default:
                break;
        }
        return SingleLineEdit::Dispatch(e);
    }

  private:
    DataBrowser* browser_;
};

DataBrowser::DataBrowser(DataWindow* owner)
    : Control(owner, 0, Point(0, 0), Dimension(0, 0), WC_LISTVIEWW, kListStyle, WS_EX_CLIENTEDGE,
              {}, owner ? owner->Handle() : nullptr),
      form_(owner) {
    // A part of the frame, not one of the form's controls.
    Unregister();
    if (!Handle())
        return;
    SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, kListExStyle, kListExStyle);
    if (DBServer* db = Server_())
        rows_ = std::make_unique<RowSource>(*db);
    BuildColumns();
    SetCount(false);
    if (DBServer* db = Server_(); db && !db->EoF())
        GoToRecord(db->RecNo());
}

DataBrowser::~DataBrowser() {
    editor_.reset();
}

Symbol DataBrowser::ClassName() const {
    return Symbol("DATABROWSER");
}

DBServer* DataBrowser::Server_() const {
    return form_ ? dynamic_cast<DBServer*>(form_->Server()) : nullptr;
}

void DataBrowser::BuildColumns() {
    HWND h = Handle();
    if (!h)
        return;
    while (SendMessageW(h, LVM_DELETECOLUMN, 0, 0)) {
    }
    if (!rows_)
        return;
    int average = 7;
    {
        ClientDC dc(h);
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0));
        SelectedObject keep(dc.Handle(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
        TEXTMETRICW tm{};
        if (GetTextMetricsW(dc.Handle(), &tm) && tm.tmAveCharWidth > 0)
            average = tm.tmAveCharWidth;
    }
    // The first column of a list view is always left-aligned; a placeholder
    // column taken away afterwards lets a number in the first field align
    // to the right like the others.
    LVCOLUMNW placeholder{};
    placeholder.mask = LVCF_WIDTH;
    placeholder.cx = 0;
    SendMessageW(h, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&placeholder));
    const auto& fields = rows_->Fields();
    for (size_t i = 0; i < fields.size(); ++i) {
        const kp::FieldSpec& f = fields[i];
        std::wstring caption = Utf8ToWide(f.Name().Name());
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        c.fmt = (f.ValType() == 'N' || f.ValType() == 'F') ? LVCFMT_RIGHT : LVCFMT_LEFT;
        c.cx = ColumnChars(f) * average + 14;
        c.pszText = caption.data();
        c.iSubItem = static_cast<int>(i);
        SendMessageW(h, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i) + 1,
                     reinterpret_cast<LPARAM>(&c));
    }
    SendMessageW(h, LVM_DELETECOLUMN, 0, 0);
    currentColumn_ = std::clamp(currentColumn_, 1, std::max(1, ColumnCount()));
}

int DataBrowser::ColumnCount() const {
    HWND header =
        Handle() ? reinterpret_cast<HWND>(SendMessageW(Handle(), LVM_GETHEADER, 0, 0)) : nullptr;
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

uint32_t DataBrowser::RowCount() const {
    return rows_ ? rows_->RowCount() : 0;
}

void DataBrowser::SetCount(bool keepFocus) {
    if (!Handle())
        return;
    SendMessageW(Handle(), LVM_SETITEMCOUNT, RowCount(),
                 keepFocus ? LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL : 0);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void DataBrowser::Refresh() {
    EndEdit(true);
    if (!rows_) {
        if (DBServer* db = Server_())
            rows_ = std::make_unique<RowSource>(*db);
        BuildColumns();
        SetCount(false);
        return;
    }
    const int focused = CurrentRow();
    const uint32_t recNo = focused >= 0 ? rows_->RecNo(static_cast<uint32_t>(focused)) : 0;
    const size_t fieldsBefore = rows_->Fields().size();
    rows_->Refresh();
    if (rows_->Fields().size() != fieldsBefore)
        BuildColumns();
    SetCount(true);
    if (recNo) {
        const int64_t row = rows_->RowOf(recNo);
        if (row >= 0) {
            moving_ = true;
            GoToRow(static_cast<uint32_t>(row));
            moving_ = false;
        }
    }
}

void DataBrowser::Clear() {
    EndEdit(false);
    rows_.reset();
    if (Handle()) {
        SendMessageW(Handle(), LVM_SETITEMCOUNT, 0, 0);
        BuildColumns();
    }
}

void DataBrowser::Redraw() {
    if (rows_)
        rows_->DropCache();
    if (Handle())
        InvalidateRect(Handle(), nullptr, FALSE);
}

std::string DataBrowser::CellText(uint32_t row, int column) const {
    return rows_ ? rows_->Text(row, column) : std::string();
}

int DataBrowser::CurrentRow() const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), LVM_GETNEXTITEM,
                                                    static_cast<WPARAM>(-1), LVNI_FOCUSED))
                    : -1;
}

void DataBrowser::CurrentColumn(int column) {
    if (column >= 1 && column <= ColumnCount())
        currentColumn_ = column;
}

bool DataBrowser::GoToRow(uint32_t row) {
    if (!Handle() || row >= RowCount())
        return false;
    const int before = CurrentRow();
    if (before >= 0 && static_cast<uint32_t>(before) != row) {
        LVITEMW off{};
        off.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
        SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(before),
                     reinterpret_cast<LPARAM>(&off));
    }
    LVITEMW item{};
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageW(Handle(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
    SendMessageW(Handle(), LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(row));
    SendMessageW(Handle(), LVM_ENSUREVISIBLE, row, FALSE);
    return true;
}

int DataBrowser::RowAt(POINT client) {
    LVHITTESTINFO hit{};
    hit.pt = client;
    SendMessageW(Handle(), LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem < 0)
        return -1;
    if (hit.iSubItem >= 0)
        currentColumn_ = hit.iSubItem + 1;
    return hit.iItem;
}

bool DataBrowser::MoveByKey(WPARAM key) {
    const uint32_t count = RowCount();
    if (count == 0)
        return true;
    const int now = CurrentRow();
    const auto page = static_cast<int>(
        std::max<LRESULT>(1, SendMessageW(Handle(), LVM_GETCOUNTPERPAGE, 0, 0) - 1));
    int64_t to = now < 0 ? 0 : now;
    switch (key) {
        case VK_UP:
            to -= 1;
            break;
        case VK_DOWN:
            to += now < 0 ? 0 : 1;
            break;
        case VK_PRIOR:
            to -= page;
            break;
        case VK_NEXT:
            to += page;
            break;
        case VK_HOME:
            to = 0;
            break;
        case VK_END:
            to = count - 1;
            break;
        default:
            return false;
    }
    GoToRow(static_cast<uint32_t>(std::clamp<int64_t>(to, 0, count - 1)));
    return true;
}

bool DataBrowser::GoTop() {
    return GoToRow(0);
}

bool DataBrowser::GoBottom() {
    return RowCount() > 0 && GoToRow(RowCount() - 1);
}

bool DataBrowser::GoToRecord(uint32_t recNo) {
    if (!rows_)
        return false;
    const int64_t row = rows_->RowOf(recNo);
    if (row < 0)
        return false;
    moving_ = true;
    const bool ok = GoToRow(static_cast<uint32_t>(row));
    moving_ = false;
    return ok;
}

void DataBrowser::ReadOnly(bool on) {
    if (!on && !editRefusal_.empty())
        return;
    if (on)
        EndEdit(true);
    readOnly_ = on;
}

void DataBrowser::EditRefusal(std::string why) {
    editRefusal_ = std::move(why);
    if (!editRefusal_.empty()) {
        EndEdit(false);
        readOnly_ = true;
    }
}

RECT DataBrowser::CellRect(uint32_t row, int column) const {
    RECT r{};
    r.top = column - 1;  // the sub-item
    r.left = LVIR_BOUNDS;
    SendMessageW(Handle(), LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    if (column == 1) {
        // The first column's bounds are the whole row's: cut to the column.
        const int width = static_cast<int>(SendMessageW(Handle(), LVM_GETCOLUMNWIDTH, 0, 0));
        r.right = r.left + width;
    }
    return r;
}

bool DataBrowser::BeginEdit(uint32_t row, int column) {
    EndEdit(true);
    if (readOnly_ || !rows_ || row >= rows_->RowCount() || column < 1 ||
        column > static_cast<int>(rows_->Fields().size()) ||
        rows_->Fields()[static_cast<size_t>(column - 1)].ValType() == 'M') {
        MessageBeep(MB_OK);
        return false;
    }
    if (!editor_)
        editor_ = std::make_unique<CellEditor>(this);
    if (!editor_->Handle())
        return false;
    GoToRow(row);
    currentColumn_ = column;
    // Bring the cell into view across, then lay the editor over it.
    RECT cell = CellRect(row, column);
    RECT client{};
    GetClientRect(Handle(), &client);
    if (cell.left < 0 || cell.right > client.right) {
        const int dx = cell.left < 0 ? cell.left : std::min(cell.left, cell.right - client.right);
        SendMessageW(Handle(), LVM_SCROLL, dx, 0);
        cell = CellRect(row, column);
    }
    editRow_ = row;
    editColumn_ = column;
    editOriginal_ = rows_->Text(row, column);
    editing_ = true;
    editor_->TextValue(editOriginal_);
    SetWindowPos(editor_->Handle(), HWND_TOP, cell.left, cell.top - 1, cell.right - cell.left,
                 cell.bottom - cell.top + 3, SWP_SHOWWINDOW);
    ::SetFocus(editor_->Handle());
    SendMessageW(editor_->Handle(), EM_SETSEL, 0, -1);
    return true;
}

void DataBrowser::EndEdit(bool keep, bool refocus) {
    if (!editing_)
        return;
    editing_ = false;
    const std::string text = editor_->TextValue();
    if (refocus && Handle())
        ::SetFocus(Handle());
    ShowWindow(editor_->Handle(), SW_HIDE);
    if (keep && text != editOriginal_)
        PutCell(editRow_, editColumn_, text);
}

bool DataBrowser::PutCell(uint32_t row, int column, const std::string& text) {
    DBServer* db = Server_();
    if (readOnly_ || !db || !rows_ || column < 1 ||
        column > static_cast<int>(rows_->Fields().size())) {
        MessageBeep(MB_OK);
        return false;
    }
    const kp::FieldSpec& field = rows_->Fields()[static_cast<size_t>(column - 1)];
    Usual value;
    if (!RowSource::ParseText(field, text, &value)) {
        RaiseGuiError(EG_DATATYPE, "DataBrowser:PutCell", NotAValue(field, text), text);
        return false;
    }
    const uint32_t recNo = rows_->RecNo(row);
    if (recNo == 0)
        return false;
    bool ok = db->GoTo(recNo) && db->RecNo() == recNo;
    if (ok) {
        db->FieldPut(column, value);
        ok = db->Status().IsNil();
        // Written or not, the record is given back.
        ok = db->Commit() && ok;
    }
    Redraw();
    return ok;
}

void DataBrowser::ShowContextMenu(POINT screen) {
    if (!Handle())
        return;
    kp::Menu menu;
    menu.AppendItem(IDM_BROWSE_READWRITE, "&Ändern erlauben");
    menu.AppendItem(IDM_BROWSE_EDIT, "Zelle &bearbeiten\tF2");
    menu.AppendSeparator();
    menu.AppendItem(IDM_BROWSE_REFRESH, "&Aktualisieren\tF5");
    if (!readOnly_)
        menu.CheckItem(IDM_BROWSE_READWRITE);
    else
        menu.DisableItem(IDM_BROWSE_EDIT);
    const int chosen = TrackPopupMenu(menu.Handle(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                      screen.x, screen.y, 0, Handle(), nullptr);
    if (chosen)
        Command(chosen);
}

void DataBrowser::Command(int id) {
    switch (id) {
        case IDM_BROWSE_READWRITE:
            if (readOnly_ && !editRefusal_.empty()) {
                CurrentPresenter().ShowMessage(Handle(), form_ ? form_->Caption() : std::string(),
                                               editRefusal_, MB_OK | MB_ICONINFORMATION);
                break;
            }
            ReadOnly(!readOnly_);
            break;
        case IDM_BROWSE_EDIT:
            if (const int row = CurrentRow(); row >= 0)
                BeginEdit(static_cast<uint32_t>(row), currentColumn_);
            break;
        case IDM_BROWSE_REFRESH:
            Refresh();
            break;
        default:
            break;
    }
}

bool DataBrowser::OnNotify(const NMHDR* header, LRESULT* result) {
    *result = 0;
    switch (header->code) {
        case LVN_GETDISPINFOW: {
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header));
            LVITEMW& item = info->item;
            if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
                text_ = Utf8ToWide(
                    CellText(static_cast<uint32_t>(std::max(item.iItem, 0)), item.iSubItem + 1));
                const size_t n = std::min(text_.size(), static_cast<size_t>(item.cchTextMax - 1));
                std::copy_n(text_.data(), n, item.pszText);
                item.pszText[n] = L'\0';
            }
            return true;
        }
        case LVN_ODCACHEHINT: {
            const auto* hint = reinterpret_cast<const NMLVCACHEHINT*>(header);
            if (rows_ && hint->iFrom >= 0 && hint->iTo >= hint->iFrom)
                rows_->Hint(static_cast<uint32_t>(hint->iFrom), static_cast<uint32_t>(hint->iTo));
            return true;
        }
        case LVN_ODFINDITEMW:
            *result = -1;  // no search by typing
            return true;
        case LVN_ITEMCHANGED: {
            const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
            const bool focused =
                (change->uNewState & LVIS_FOCUSED) && !(change->uOldState & LVIS_FOCUSED);
            if (focused && !moving_ && rows_ && change->iItem >= 0) {
                // The server follows the focus, so that the form view shows
                // the same record.
                const uint32_t recNo = rows_->RecNo(static_cast<uint32_t>(change->iItem));
                DBServer* db = Server_();
                if (recNo && db && db->RecNo() != recNo)
                    db->GoTo(recNo);
            }
            return true;
        }
        case LVN_BEGINSCROLL:
            EndEdit(true);
            return true;
        default:
            return false;
    }
}

bool DataBrowser::ClaimsKey(const MSG& msg) const {
    return msg.message == WM_KEYDOWN && (msg.wParam == VK_F2 || msg.wParam == VK_F5) &&
           GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0;
}

LRESULT DataBrowser::Dispatch(Event& e) {
    switch (e.Message()) {
        case WM_KEYDOWN: {
            const bool ctrl = GetKeyState(VK_CONTROL) < 0;
            if ((e.wParam() == VK_F2 || e.wParam() == VK_RETURN) && !ctrl) {
                if (const int row = CurrentRow(); row >= 0)
                    BeginEdit(static_cast<uint32_t>(row), currentColumn_);
                return 1;
            }
            if (e.wParam() == VK_F5) {
                Refresh();
                return 1;
            }
            if (MoveByKey(e.wParam()))
                return 1;
            if (e.wParam() == VK_SPACE)
                return 1;  // no selection of more rows
            break;
        }
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN: {
            // The row under the mouse becomes the one row selected; a double
            // click in read-write mode edits the cell.
            EndEdit(true);
            ::SetFocus(Handle());
            const POINT p{static_cast<short>(LOWORD(e.lParam())),
                          static_cast<short>(HIWORD(e.lParam()))};
            const int row = RowAt(p);
            if (row >= 0)
                GoToRow(static_cast<uint32_t>(row));
            if (row >= 0 && e.Message() == WM_LBUTTONDBLCLK && !readOnly_)
                BeginEdit(static_cast<uint32_t>(row), currentColumn_);
            return 1;
        }
        case WM_GETDLGCODE:
            // Return and the arrows are the grid's, not a dialog's.
            Default(e);
            EventReturnValue(EventReturnValue() | DLGC_WANTARROWS | DLGC_WANTALLKEYS);
            return 1;
        case WM_CONTEXTMENU: {
            POINT p{static_cast<short>(LOWORD(e.lParam())), static_cast<short>(HIWORD(e.lParam()))};
            if (e.lParam() == -1) {
                // From the keyboard: at the focused row, or the corner.
                RECT r{};
                const int row = CurrentRow();
                r.left = LVIR_BOUNDS;
                if (row < 0 || !SendMessageW(Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                                             reinterpret_cast<LPARAM>(&r)))
                    r = RECT{};
                p = POINT{r.left + 8, r.bottom};
                ClientToScreen(Handle(), &p);
            }
            ShowContextMenu(p);
            return 1;
        }
        case WM_VSCROLL:
        case WM_HSCROLL:
        case WM_MOUSEWHEEL:
            EndEdit(true);
            break;
        default:
            break;
    }
    return Control::Dispatch(e);
}

}  // namespace kp
