#pragma once
// KpWordPad: the MDI child in which a letter is written, over the rich-edit
// control. The shell opens it on an RTF file or, for a new letter, after
// putting the addressee's document key in the shared value DOKNAMENEU; a new
// letter reserves its running number in DokName.dbf at once.
//
// The window carries its own format bar (font and size boxes, format
// buttons) and, while any word pad is open, a toolbar in the shell window
// (file and edit commands) that the open word pads share: the last one to
// close removes it. Saving and closing follow LetterFile; the first save
// of a letter opens the filing dialog.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/gui/richedit.h"
#include "platform/gui/shellwindow.h"
#include "platform/gui/toolbar.h"
#include "platform/runtime/symbol.h"
#include "wordpad/DokName.h"
#include "wordpad/LetterSearch.h"
#include "wordpad/LetterFile.h"
#include "wordpad/LetterLock.h"
#include "wordpad/Toolbar_WordPad.h"

namespace kp {

class DBServer;

class KpWordPad : public ChildAppWindow,
                  public RichEditOwner,
                  public FormatBarTarget,
                  private LetterHost {
  public:
    // cFile: the RTF file to open; nothing for a new letter.
    explicit KpWordPad(Window* oOwner, std::optional<std::string> cFile = std::nullopt,
                       bool lFlag = false);
    ~KpWordPad() override;
    Symbol ClassName() const override;

    kp::RichEdit* oRichEdit() const { return oRichEdit_.get(); }
    FontCB* oFontCB() const { return oFontCB_.get(); }
    PointSizeCB* oPointSizeCB() const { return oPointSizeCB_.get(); }
    const std::string& cFileName() const { return letter_.FileName(); }
    bool lChanged() const { return letter_.Changed(); }
    bool lInitFlag() const { return lInitFlag_; }
    bool lGedruckt() const { return lGedruckt_; }
    const std::vector<std::string>& aFontList() const { return aFontList_; }
    const std::string& cPath() const { return cPath_; }
    const std::string& cDokNameNeu() const { return cDokNameNeu_; }
    const std::string& cKundenKey() const { return cKundenKey_; }
    const std::string& cGesellKey() const { return cGesellKey_; }
    const std::string& cVermittKey() const { return cVermittKey_; }
    const std::string& cDokName() const { return cDokName_; }
    const std::string& cOrdner() const { return cOrdner_; }
    Symbol Units() const { return symUnits_; }
    // The shell window's toolbar this word pad shares with the others.
    std::shared_ptr<kp::Toolbar> ShellToolBar() const { return shellBar_; }

    // --- file commands
    void Save();
    void SaveAs();
    void FileClose();
    // The shell's end asks every letter before it closes any: AgreeToClose
    // asks about changes (saving on "Ja") and is false on "Abbrechen";
    // CloseCancelled takes an agreement back when the shell stays open, so
    // a letter whose changes were to be dropped keeps them as changes.
    bool AgreeToClose() { return MayClose(); }
    void CloseCancelled();
    void DateiOeffnen();
    void DateiDrucken();
    void DateiVorschau();
    void Paragraph();
    void ShowSettings() {}
    void Options() {}
    // The find dialog over the letter (the selected text as its term).
    void Find();

    // --- editing and formatting
    void Cut();
    void Copy();
    void Paste();
    void CheckCopyCutPaste();
    void RTFNotify() override;
    void ToggleButtons(const std::string& face, const std::string& size, bool bold, bool italic,
                       bool underline, int alignment, int numbering);
    void ChangeCharAttribute(DWORD nMask, DWORD nEffect);
    void ChangeFontFaceName(const std::string& cFace) override;
    void ChangeFontSize(const std::string& cSize) override;
    void ReturnToText() override;
    void IndentText();
    void OutdentText();
    void Numbering(int code);
    void AdjustFormatBar();

    // --- events
    bool QueryClose(Event& e) override;
    void MenuCommand(MenuCommandEvent& e) override;
    void EditChange(ControlEvent& e) override;
    void Resize(ResizeEvent& e) override;
    void Expose(ExposeEvent& e) override;
    void Show(int showState = SHOWNORMAL) override;
    LRESULT Dispatch(Event& e) override;
    Method FindMethod(Symbol name) override;

  private:
    // LetterHost: the questions and the writing of LetterFile.
    std::optional<std::string> AskFileName(const std::string& defaultName,
                                           const std::string& folder) override;
    bool FileExists(const std::string& file) override;
    bool ConfirmOverwrite(const std::string& file) override;
    bool WriteLetter(const std::string& file) override;
    void Named(const std::string& file) override;
    RegisterState HoldRegister(const std::string& file) override;
    void DateRegister(bool written) override;
    void Refuse(const std::string& message) override;
    int AskSaveChanges() override;

    // The text, or only its format, was changed: the letter needs saving.
    void TextChanged();
    void FormatChanged();
    // Aligns the selection's paragraphs (RE_ALIGN_...).
    void Align(int code);
    void ReserveNumber();
    // Reads the letter's file, marking it as open here: a letter another
    // word pad has open, or one that cannot be read whole, is protected.
    void OpenLetter(const std::string& file);
    void InstallShellToolBar();
    void ReleaseShellToolBar();
    void ItemState(int id, bool enabled, bool inShellBar = true, bool inMenu = true);
    void AfterSave();
    bool MayClose();
    void TidyUp();
    // The shell bar's buttons for this word pad in front, or grey.
    void ShellBarFor(bool active);
    // A request of the find dialog.
    void FindRequest(LPARAM lParam);
    ShellWindow* Shell() const;
    bool FocusInFormatBar() const;

    std::unique_ptr<kp::RichEdit> oRichEdit_;
    bool lInitFlag_ = false;
    std::unique_ptr<FontCB> oFontCB_;
    std::unique_ptr<PointSizeCB> oPointSizeCB_;
    std::vector<std::string> aFontList_;
    Symbol symUnits_;
    std::unique_ptr<DBServer> oDokName_;
    std::string cPath_;
    std::string cDokNameNeu_;
    std::string cKundenKey_, cGesellKey_, cVermittKey_;
    std::string cDokName_;
    std::string cOrdner_;
    bool lGedruckt_ = false;

    LetterFile letter_{"", "", ""};
    std::unique_ptr<LetterLock> lock_;    // the letter's file is open here
    std::unique_ptr<FiledRecord> filed_;  // held while a filed letter is saved
    std::shared_ptr<kp::Toolbar> ownBar_;
    std::shared_ptr<kp::Toolbar> shellBar_;
    std::unique_ptr<LetterSearch> find_;
    bool closing_ = false;  // the close was agreed: no second question
    bool givenUp_ = false;  // agreed with "Nein": the changes go with the window
    bool tidied_ = false;
};

}  // namespace kp
