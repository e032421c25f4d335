#include "wordpad/LetterFile.h"

#include <utility>
#include <vector>

#include "platform/data/dbserver.h"
#include "platform/runtime/strings.h"

namespace kp {

LetterFile::LetterFile(std::string file, std::string dokName, std::string folder)
    : dokName_(std::move(dokName)), folder_(std::move(folder)) {
    named_ = !file.empty();
    fileName_ = named_ ? std::move(file) : std::string(kUnbenannt);
}

std::string LetterFile::ProposedName() const {
    return WithRtfExtension(dokName_);
}

bool LetterFile::Save(LetterHost& host) {
    if (named_ && host.RefreshRegister(fileName_)) {
        if (!host.WriteLetter(fileName_))
            return false;
        changed_ = false;
        return true;
    }
    // New, or a file in neither register: it is filed under a name first.
    return SaveAs(host);
}

bool LetterFile::SaveAs(LetterHost& host) {
    auto chosen = host.AskFileName(ProposedName(), folder_);
    if (!chosen || chosen->empty())
        return false;
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

namespace {

// Opens the table with all its indexes and selects `order`.
std::unique_ptr<DBServer> OpenRegister(const std::string& dataPath, const char* table,
                                       const std::vector<const char*>& indexes, int order) {
    auto db = std::make_unique<DBServer>(dataPath + table);
    if (!db->Used())
        return nullptr;
    for (const char* ntx : indexes)
        if (!db->SetIndex(dataPath + ntx))
            return nullptr;
    if (!db->SetOrder(order))
        return nullptr;
    return db;
}

bool RefreshIn(DBServer& db, const std::string& name, const Date& today) {
    if (!db.Seek(Usual(name)))
        return false;
    for (; !db.EoF(); db.Skip(1)) {
        const std::string ablage = Trim(db.FieldGet(Symbol("ABLAGE")).AsString());
        if (ablage.compare(0, name.size(), name) != 0)
            return false;  // past the names that begin like this one
        if (ablage == name && !db.Deleted()) {
            db.FieldPut(Symbol("DATUM"), Usual(today));
            return db.Status().IsNil() && db.Commit();
        }
    }
    return false;
}

}  // namespace

bool RefreshFiledDate(const std::string& dataPath, const std::string& fileName, const Date& today) {
    const std::string name = Trim(AllTrim(fileName));
    if (name.empty())
        return false;
    if (auto dokVW = OpenRegister(dataPath, "DokVW.dbf",
                                  {"DokVW.ntx", "DokVW2.ntx", "DokVW3.ntx", "DokVW4.ntx",
                                   "DokVW5.ntx", "DokVW6.ntx", "DokVW7.ntx"},
                                  5)) {
        const bool done = RefreshIn(*dokVW, name, today);
        dokVW->Close();
        if (done)
            return true;
    }
    if (auto textVor =
            OpenRegister(dataPath, "TextVor.dbf",
                         {"TextVor.ntx", "TextVor2.ntx", "TextVor3.ntx", "TextVor4.ntx"}, 3)) {
        const bool done = RefreshIn(*textVor, name, today);
        textVor->Close();
        return done;
    }
    return false;
}

}  // namespace kp
