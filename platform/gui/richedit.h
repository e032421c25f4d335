#pragma once
// RichEdit: a multi-line edit over Windows' rich-edit control.
//
// The control is the one Windows provides: Msftedit.dll's "RICHEDIT50W",
// or riched20.dll's "RichEdit20W" where the newer one is missing. Text goes
// in and out as RTF through the control's streams, in chunks, so that long
// letters load and save quickly; a file is written to a temporary file in
// the same folder first and then put in place, so a failed save never leaves
// a half-written document behind.
//
// Character positions count a paragraph break as one character, as the
// control does; LineFromCharacter is 1-based (as for every multi-line edit),
// LineIndex takes the control's 0-based line number, -1 meaning the caret's.
//
// On key and capture changes (the caret may have moved) the control shows
// "Ln <line> Col <column>" in the position area of the status bar of the
// first ShellWindow among its owners, and tells an owner that implements
// RichEditOwner (RTFNotify). A right click opens the owner's menu's pop-up at
// position 2 (3 while the owner is maximised and its window menu takes
// position 0) at the mouse, with the owner as the command target.
#include <windows.h>
// Keep richedit.h after windows.h.
#include <richedit.h>

#include <string>

#include "platform/gui/controls.h"

namespace kp {

// Paragraph alignments (the control's PFA_ codes).
inline constexpr int RE_ALIGN_LEFT = 1;
inline constexpr int RE_ALIGN_RIGHT = 2;
inline constexpr int RE_ALIGN_CENTER = 3;

// An owner that wants to hear of caret moves (to mirror the formatting at
// the caret on its format bar).
class RichEditOwner {
  public:
    virtual ~RichEditOwner() = default;
    virtual void RTFNotify() = 0;
};

class RichEdit : public MultiLineEdit {
  public:
    // Bound to a control of the owner's dialog resource; the resource names
    // the class WindowClassName gives, and WindowClassName must have been
    // called before the dialog is made.
    RichEdit(Window* owner, const ResourceID& id);
    // Made anew: multi-line, wants return, auto vertical scroll, tab stop,
    // visible, and the extra style bits. The event mask starts with
    // ENM_CHANGE | ENM_SELCHANGE (edit changes reach the owner's EditChange,
    // selection changes come as EN_SELCHANGE notifications); the text may
    // grow without limit.
    RichEdit(Window* owner, int id, Point origin, Dimension size, DWORD extraStyle = 0,
             DWORD exStyle = WS_EX_CLIENTEDGE);
    Symbol ClassName() const override;

    // The window class of the control in use; loads the control's DLL once.
    static const wchar_t* WindowClassName();

    // --- text as RTF
    // Reads an RTF file (a file that is not RTF is read as plain text).
    // False when it cannot be opened (the text is then unchanged) or read.
    bool LoadFile(const std::string& path);
    // Writes the text as RTF. False when it cannot be written; an existing
    // file of that name is then left as it was.
    bool SaveFile(const std::string& path);
    // The whole text as RTF, and setting it from RTF (a string that does not
    // start with "{\rtf" is taken as plain text).
    std::string RTFValue() const;
    void RTFValue(const std::string& rtf);
    // Value is the RTF text (a string).
    Usual Value() const override;
    void Value(const Usual& v) override;
    void __Value(const Usual& v) override;
    // The plain text, paragraphs separated by "\r\n".
    std::string TextValue() const;
    void TextValue(const std::string& text) override;
    // Characters in the text (a paragraph break counts one).
    int TextLength() const;

    // --- control options and notifications
    DWORD Options() const;
    // operation: ECOOP_SET (replace), ECOOP_OR, ECOOP_AND or ECOOP_XOR.
    void Options(DWORD options, WORD operation = ECOOP_SET);
    DWORD EventMask() const;
    void EventMask(DWORD mask);

    // --- selection
    using Edit::Selection;
    void Selection(int start, int finish);
    int SelectionStart() const { return Selection().start; }
    int SelectionFinish() const { return Selection().finish; }
    // SEL_EMPTY (0) or a combination of SEL_TEXT, SEL_OBJECT ...
    int SelectionType() const;

    // --- character formats (CHARFORMAT2W; cbSize is filled in here)
    // The selection's format; mask says which members are wanted.
    CHARFORMAT2W SelectionCharFormat(DWORD mask = CFM_ALL2) const;
    bool SetSelectionCharFormat(const CHARFORMAT2W& format);
    // The format of the whole text (and of text typed into an empty one).
    CHARFORMAT2W DefaultCharFormat(DWORD mask = CFM_ALL2) const;
    bool SetAllCharFormat(const CHARFORMAT2W& format);
    // The whole text's font: face, size in points, effects.
    using Control::Font;
    void Font(const std::string& face, int points, bool bold = false, bool italic = false,
              bool underline = false, bool strikeOut = false);

    // --- paragraph formats (PARAFORMAT2) of the selection's paragraphs
    PARAFORMAT2 ParagraphFormat(DWORD mask = PFM_ALL2) const;
    bool SetParagraphFormat(const PARAFORMAT2& format);
    int Alignment() const;  // RE_ALIGN_LEFT, _RIGHT or _CENTER
    void Alignment(int code);
    int Numbering() const;  // 0 none, PFN_BULLET (1) bullets ...
    void Numbering(int code);
    // Margins in twips: the left edge of the paragraph's lines, the right
    // margin, and the first line's indent against the left edge (negative
    // for a hanging first line). Reading them back gives what was set.
    void Margin(int left, int right, int firstLine);
    int PrimaryIndent() const;    // left
    int RightMargin() const;      // right
    int SecondaryIndent() const;  // first line, against the left edge

    // --- clipboard (Cut, Copy, Paste come from Edit)
    // Whether the clipboard holds something the control can paste; format 0
    // asks for any format it takes, CF_TEXT (1) for text.
    bool CanPaste(UINT clipboardFormat = 0) const;

    // --- lines
    int LineIndex(int line = -1) const;
    // "Ln <line> Col <column>" of the selection's finish.
    std::string PositionText() const;

    LRESULT Dispatch(Event& e) override;
    void MouseButtonDown(MouseEvent& e) override;

  private:
    // Replaces the text by what the stream brings.
    void StreamIn(UINT format, EDITSTREAM& stream);

  protected:
    // The caret may have moved: status-bar position and the owner's
    // RTFNotify. Runs after the control has handled the key or capture change.
    virtual void CaretMoved();
};

// Streams bytes (RTF or plain text, by format) into any rich-edit window,
// replacing the selection; false when the control reported an error.
bool StreamIntoRichEdit(HWND edit, const std::string& bytes, UINT format);

}  // namespace kp
