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
//   was cancelled or failed;
// - a filed letter is written only while its register record is held, and
//   its date is set only after the write succeeded; a register that cannot
//   be read or a record another workstation holds stops the save (it never
//   leads to filing the letter a second time);
// - a letter that was not read whole, or that another window has open, is
//   never written over its file: it can only be saved under another name.
#include <memory>
#include <optional>
#include <string>

#include "platform/runtime/date.h"

namespace kp {

class DBServer;

// Where a letter stands in the registers, for its save.
enum class RegisterState {
    Held,           // registered; the record is held until DateRegister
    NotRegistered,  // in neither register: filed under a name first
    Unavailable,    // a register, an index or the record cannot be had
};

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
    // Looks the letter up in the registers and holds its record; the user
    // has been told when it is Unavailable.
    virtual RegisterState HoldRegister(const std::string& file) = 0;
    // After HoldRegister gave Held: dates the record when the letter was
    // written, and lets it go either way.
    virtual void DateRegister(bool written) = 0;
    // Tells the user why the letter is not written where they wanted it.
    virtual void Refuse(const std::string& message) = 0;
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

    // The letter's file must not be written (it was not read whole, or it
    // is open elsewhere): `why` is told on Save, which then asks for
    // another name, and that file's name is refused by SaveAs.
    void Protect(const std::string& why);
    bool IsProtected() const { return !protectedFile_.empty(); }

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
    std::string protectedFile_;  // never written over
    std::string protectedWhy_;
};

// "Unbenannt": the caption and file name of a new letter.
inline constexpr const char* kUnbenannt = "Unbenannt";

// The name with ".RTF" unless it already ends in ".rtf" (any case); an
// empty name stays empty.
std::string WithRtfExtension(const std::string& name);

// The register record of a filed letter: its record in DokVW.dbf (sought
// in order 5, ABLAGE) or else in TextVor.dbf (order 3, ABLAGE). The seek is
// a prefix seek, so only a live record whose trimmed ABLAGE is exactly the
// trimmed name counts. The record is locked from the look-up until Date or
// the end of the object, so that the letter is written only while its
// record can be dated. Every index of the table is open, so the orders by
// date stay right. The table is closed at the end.
class FiledRecord {
  public:
    FiledRecord(const std::string& dataPath, const std::string& fileName);
    ~FiledRecord();
    FiledRecord(const FiledRecord&) = delete;
    FiledRecord& operator=(const FiledRecord&) = delete;

    RegisterState State() const { return state_; }
    // Why it is Unavailable, or why Date failed (German, for the user).
    const std::string& Message() const { return message_; }
    // Sets DATUM to `today` and commits; false (with Message) on failure.
    // The record and the table are let go either way.
    bool Date(const kp::Date& today);

  private:
    bool Look(const std::string& dataPath, const char* table, const char* const* indexes,
              size_t count, int order, const std::string& name);
    std::unique_ptr<DBServer> db_;
    RegisterState state_ = RegisterState::Unavailable;
    std::string message_;
};

// Looks the letter up and dates it at once (FiledRecord); false when it is
// in neither register, or the register cannot be opened or the record
// cannot be locked.
bool RefreshFiledDate(const std::string& dataPath, const std::string& fileName, const Date& today);

}  // namespace kp
