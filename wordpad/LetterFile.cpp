#include "wordpad/LetterFile.h"

#include <utility>
#include <vector>

#include "platform/data/dbserver.h"
#include "platform/runtime/strings.h"
#include "wordpad/dateiInfoRules.h"

namespace kp {

LetterFile::LetterFile(std::string file, std::string dokName, std::string folder)
    : dokName_(std::move(dokName)), folder_(std::move(folder)) {
    named_ = !file.empty();
    fileName_ = named_ ? std::move(file) : std::string(kUnbenannt);
}

std::string LetterFile::ProposedName() const {
    return WithRtfExtension(dokName_);
}

void LetterFile::Protect(const std::string& why) {
    protectedFile_ = fileName_;
    protectedWhy_ = why;
}

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    return Upper(AllTrim(a)) == Upper(AllTrim(b));
}

}  // namespace

bool LetterFile::Save(LetterHost& host) {
    if (IsProtected() && SameFile(fileName_, protectedFile_)) {
        host.Refuse(protectedWhy_);
        return SaveAs(host);
    }
    if (named_) {
        switch (host.HoldRegister(fileName_)) {
            case RegisterState::Held: {
                const bool written = host.WriteLetter(fileName_);
                host.DateRegister(written);
                if (!written)
                    return false;
                changed_ = false;
                return true;
            }
            case RegisterState::Unavailable:
                return false;  // told; filing it again would register it twice
            case RegisterState::NotRegistered:
                break;
        }
    }
    // New, or a file in neither register: it is filed under a name first.
    return SaveAs(host);
}

bool LetterFile::SaveAs(LetterHost& host) {
    auto chosen = host.AskFileName(ProposedName(), folder_);
    if (!chosen || chosen->empty())
        return false;
    if (IsProtected() && SameFile(*chosen, protectedFile_)) {
        host.Refuse(protectedWhy_);
        return false;
    }
    if (host.FileExists(*chosen) && !host.ConfirmOverwrite(*chosen))
        return false;
    if (!host.WriteLetter(*chosen))
        return false;
    fileName_ = *chosen;
    named_ = true;
    changed_ = false;
    host.Named(fileName_);
    return true;
}

bool LetterFile::QueryClose(LetterHost& host) {
    if (!changed_)
        return true;
    switch (host.AskSaveChanges()) {
        case kYes:
            return Save(host);
        case kNo:
            return true;
        default:
            return false;
    }
}

std::string WithRtfExtension(const std::string& name) {
    if (name.empty())
        return name;
    if (name.size() >= 4 && Upper(name.substr(name.size() - 4)) == ".RTF")
        return name;
    return name + ".RTF";
}

FiledRecord::FiledRecord(const std::string& dataPath, const std::string& fileName) {
    const std::string name = Trim(AllTrim(fileName));
    state_ = RegisterState::NotRegistered;
    if (name.empty())
        return;
    if (Look(dataPath, "DokVW.dbf", kDokVWIndexes.data(), kDokVWIndexes.size(), 5, name))
        return;
    Look(dataPath, "TextVor.dbf", kTextVorIndexes.data(), kTextVorIndexes.size(), 3, name);
}

FiledRecord::~FiledRecord() {
    if (db_)
        db_->Close();
}

bool FiledRecord::Look(const std::string& dataPath, const char* table, const char* const* indexes,
                       size_t count, int order, const std::string& name) {
    auto unavailable = [&](const std::string& what) {
        state_ = RegisterState::Unavailable;
        message_ = what +
                   "\r\nDer Brief wurde nicht gespeichert. Bitte prüfen Sie den Datenpfad und "
                   "ob die Tabelle von einem anderen Programm gesperrt ist, und speichern Sie "
                   "erneut.";
        if (db_)
            db_->Close();
        db_.reset();
        return true;
    };
    db_ = std::make_unique<DBServer>(dataPath + table);
    if (!db_->Used())
        return unavailable(std::string("Das Register ") + table +
                           " kann nicht geöffnet werden; ob der Brief darin abgelegt ist, ist "
                           "nicht festzustellen.");
    for (size_t i = 0; i < count; ++i)
        if (!db_->SetIndex(dataPath + indexes[i]))
            return unavailable(std::string("Der Index ") + indexes[i] + " des Registers " + table +
                               " kann nicht geöffnet werden.");
    if (!db_->SetOrder(order))
        return unavailable(std::string("Der Index ") + indexes[order - 1] + " des Registers " +
                           table + " kann nicht geöffnet werden.");
    db_->Seek(Usual(name));
    for (; db_->Status().IsNil() && !db_->EoF(); db_->Skip(1)) {
        const std::string ablage = Trim(db_->FieldGet(Symbol("ABLAGE")).AsString());
        if (ablage.compare(0, name.size(), name) != 0)
            break;  // past the names that begin like this one
        if (ablage != name || db_->Deleted())
            continue;
        if (!db_->RLock())
            return unavailable(std::string("Der Eintrag des Briefs im Register ") + table +
                               " wird gerade an einem anderen Arbeitsplatz bearbeitet.");
        state_ = RegisterState::Held;
        return true;
    }
    if (!db_->Status().IsNil())
        return unavailable(std::string("Das Register ") + table + " kann nicht gelesen werden.");
    db_->Close();
    db_.reset();
    return false;
}

bool FiledRecord::Date(const kp::Date& today) {
    if (state_ != RegisterState::Held || !db_)
        return false;
    db_->FieldPut(Symbol("DATUM"), Usual(today));
    const bool ok = db_->Status().IsNil() && db_->Commit();
    if (!ok)
        message_ =
            "Der Brief ist gespeichert, aber sein Datum im Register konnte nicht "
            "fortgeschrieben werden.\r\nBitte speichern Sie ihn später noch einmal.";
    db_->Close();
    db_.reset();
    return ok;
}

bool RefreshFiledDate(const std::string& dataPath, const std::string& fileName, const Date& today) {
    FiledRecord filed(dataPath, fileName);
    return filed.State() == RegisterState::Held && filed.Date(today);
}

}  // namespace kp
