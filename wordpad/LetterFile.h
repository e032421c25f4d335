#pragma once
// Saving and closing a letter: the decisions of the word pad's Save,
// SaveAs and FileClose, apart from its window. The window answers the
// questions (name dialog, overwrite, save changes) and does the writing
// through LetterHost; LetterFile keeps the file name and the changed flag.
//
// The rules that keep a letter from being lost or overwritten:
// - a letter is new when it was opened without a file, whatever its caption;
// - a cancelled or refused name dialog writes nothing and keeps the
//   changed flag; so does a write that failed;
// - the proposed name gets ".RTF" once, however often it is asked for;
// - closing with changes asks Yes/No/Cancel and stays open when the save
//   was cancelled or failed.
#include <optional>
#include <string>

#include "platform/runtime/date.h"

namespace kp {

class LetterHost {
  public:
    virtual ~LetterHost() = default;
    // The save dialog: default name and folder; nothing when cancelled.
    virtual std::optional<std::string> AskFileName(const std::string& defaultName,
                                                   const std::string& folder) = 0;
    virtual bool FileExists(const std::string& file) = 0;
    // "Datei bereits vorhanden!": true to overwrite.
    virtual bool ConfirmOverwrite(const std::string& file) = 0;
    // Writes the text to the file; false (with the user told) on failure.
    virtual bool WriteLetter(const std::string& file) = 0;
    // The letter has a new name: caption, then the filing dialog.
    virtual void Named(const std::string& file) = 0;
    // Refreshes the filing date of a registered letter; false when the
    // letter is in neither register.
    virtual bool RefreshRegister(const std::string& file) = 0;
    // "Schließen": save the changes? IDYES, IDNO or IDCANCEL (6, 7, 2).
    virtual int AskSaveChanges() = 0;
};

class LetterFile {
  public:
    static constexpr int kYes = 6, kNo = 7, kCancel = 2;

    // `file` empty: a new letter with the proposed base name (may be empty)
    // in `folder`.
    LetterFile(std::string file, std::string dokName, std::string folder);

    bool IsNew() const { return !named_; }
    const std::string& FileName() const { return fileName_; }
    bool Changed() const { return changed_; }
    void Changed(bool on) { changed_ = on; }
    // The name the save dialog proposes: the base name with ".RTF" once.
    std::string ProposedName() const;
    const std::string& Folder() const { return folder_; }

    // True when the text is on disk afterwards.
    bool Save(LetterHost& host);
    bool SaveAs(LetterHost& host);
    // True when the window may close.
    bool QueryClose(LetterHost& host);

  private:
    std::string fileName_;
    std::string dokName_;
    std::string folder_;
    bool named_ = false;
    bool changed_ = false;
};

// "Unbenannt": the caption and file name of a new letter.
inline constexpr const char* kUnbenannt = "Unbenannt";

// The name with ".RTF" unless it already ends in ".rtf" (any case); an
// empty name stays empty.
std::string WithRtfExtension(const std::string& name);

// Sets DATUM of the letter's record in DokVW.dbf (sought in order 5,
// ABLAGE) or else in TextVor.dbf (order 3, ABLAGE) to `today`. The seek is
// a prefix seek, so only a record whose trimmed ABLAGE is exactly the
// trimmed name counts. Every index of the table is open while DATUM is
// written, so the orders by date stay right. The tables are closed
// afterwards. False when the letter is in neither register (or the tables
// cannot be opened).
bool RefreshFiledDate(const std::string& dataPath, const std::string& fileName, const Date& today);

}  // namespace kp
