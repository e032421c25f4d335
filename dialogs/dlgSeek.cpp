#include "dialogs/dlgSeek.h"

#include "app/funVelto.h"
#include "dialogs/dlgSeek2.h"
#include "dialogs/seekRules.h"
#include "platform/data/dbserver.h"
#include "platform/data/suspendnotify.h"
#include "platform/gui/boxes.h"
#include "platform/gui/datawindow.h"
#include "platform/gui/internal.h"
#include "platform/runtime/date.h"
#include "platform/runtime/error.h"
#include "platform/runtime/strings.h"

namespace kp {

// ---------------------------------------------------------------- DlgAuswahl

DlgAuswahl::DlgAuswahl(Window* owner, const std::vector<std::string>& entries)
    : DlgAuswahlLayout(owner) {
    Lst1->FillUsing(entries);
    if (!entries.empty())
        Lst1->CurrentItemNo(1);
}

Symbol DlgAuswahl::ClassName() const {
    return Symbol("DLGAUSWAHL");
}

void DlgAuswahl::PshGeheZu() {
    chosen_ = Lst1->CurrentItemNo();
    if (auto* owner = dynamic_cast<SeekStringOwner*>(Owner()))
        owner->cSeekString(Left(Lst1->CurrentItem(), 6));
    PshAbbruch();
}

void DlgAuswahl::PshAbbruch() {
    EndDialog(0);
}

void DlgAuswahl::ListBoxClick(ControlEvent& e) {
    DlgAuswahlLayout::ListBoxClick(e);
    if (e.Control() == Lst1.get())
        PshGeheZu();
}

Method DlgAuswahl::FindMethod(Symbol name) {
    static const MethodTable<DlgAuswahl> methods{
        {"PshGeheZu", &DlgAuswahl::PshGeheZu},
        {"PshAbbruch", &DlgAuswahl::PshAbbruch},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return DlgAuswahlLayout::FindMethod(name);
}

// ---------------------------------------------------------------- DlgSeek

namespace {

std::vector<std::string> CaptionsOf(const std::string& kind) {
    if (kind == "dtaAdressen")
        return {"nach Adressnummern", "nach Nachnamen", "nach Postleitzahlen", "nach Straßen",
                "nach Orten"};
    if (kind == "dtaGesell")
        return {"nach Gesellschaften"};
    if (kind == "dtaTermin")
        return {"Datum"};
    if (kind == "dtaVermittler")
        return {"nach Vermittlernummern"};
    if (kind == "tabVertraege")
        return {"nach Versicherungsnummer", "nach Ort/Sache/FZ-Kennz."};
    return {};
}

// The folder of a file path, with its trailing separator.
std::string FolderOf(const std::string& path) {
    const size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

// Puts the server at the end of the table, where a failed seek leaves it.
void GoEnd(DBServer& db) {
    db.GoBottom();
    if (!db.EoF())
        db.Skip(1);
}

}  // namespace

DlgSeek::DlgSeek(DataWindow* owner, const std::string& ownerKind)
    : DlgSeekLayout(owner), ownerKind_(ownerKind) {
    server_ = owner ? dynamic_cast<DBServer*>(owner->Server()) : nullptr;
    if (!server_) {
        RaiseGuiError(EG_WRONGCLASS, "DLGSEEK:INIT",
                      "Das Fenster hat keine Tabelle, in der gesucht werden kann. "
                      "Bitte aus einem Formular mit Tabelle suchen.");
        return;
    }
    startRecord_ = server_->RecNo();
    startOrder_ = server_->IndexOrd();
    if (ownerKind_ != "dtaAdressen")
        PshVolltextButton->Disable();
    captions_ = CaptionsOf(ownerKind_);
    LstIndex->FillUsing(captions_);
    if (ownerKind_ == "dtaAdressen")
        TxtSuchenNach->Caption("Kundensuche nach...");

    if (startOrder_ >= 1 && startOrder_ <= LstIndex->ItemCount())
        LstIndex->CurrentItemNo(startOrder_);
    if (ownerKind_ == "tabVertraege")
        LstIndex->CurrentItemNo(1);
    else if (ownerKind_ == "dtaAdressen" && startOrder_ < 3)
        LstIndex->CurrentItemNo(2);
    // An order the list does not offer (natural order, or one beyond the
    // list) would leave nothing to seek in: the first order is offered.
    if (LstIndex->CurrentItemNo() == 0 && LstIndex->ItemCount() > 0)
        LstIndex->CurrentItemNo(1);
    SleSuchbegriff->SetFocus();
}

Symbol DlgSeek::ClassName() const {
    return Symbol("DLGSEEK");
}

std::string DlgSeek::Term() const {
    return Trim(SleSuchbegriff->TextValue());
}

void DlgSeek::NotFound(const std::string& text) {
    CurrentPresenter().ShowMessage(Handle(), "KONTORPLUS", text, MB_OK | MB_ICONINFORMATION);
}

void DlgSeek::PshSuchen() {
    if (!server_ || !server_->Used()) {
        PshAbbruch();
        return;
    }
    const std::string term = Term();
    if (term.empty()) {
        // An empty term would find the first record of any order.
        CurrentPresenter().ShowMessage(Handle(), "KONTORPLUS", "Bitte einen Suchbegriff eingeben.",
                                       MB_OK | MB_ICONINFORMATION);
        SleSuchbegriff->SetFocus();
        return;
    }
    if (ownerKind_ == "tabVertraege") {
        if (!contractsOwnTable_)
            server_->SetOrder(1);
        PshSuchenVertraege();
        return;
    }
    const int order = LstIndex->CurrentItemNo() > 0 ? LstIndex->CurrentItemNo() : 1;
    server_->SetOrder(order);
    server_->Seek(Usual(term));
    if (ownerKind_ == "dtaTermin")
        server_->Seek(Usual(CToD(term)));

    if (ownerKind_ == "dtaAdressen") {
        const bool seekFound = !server_->EoF();
        const uint32_t seekRecord = server_->RecNo();
        // The owners hear of the record once, at the end; an error on the
        // way must not leave them deaf.
        const SuspendedNotification quiet(*server_);
        if (order == 2) {
            const SurnameSearch surnames = FindSurnames(*server_, term);
            // Nobody to choose from: the not-found message says it at once.
            if (surnames.letterFound && !surnames.hits.empty()) {
                DlgAuswahl list(this, surnames.hits);
                list.Show();
                if (!cSeekString_.empty()) {
                    server_->SetOrder(1);
                    server_->Seek(Usual(cSeekString_));
                    server_->SetOrder(2);
                }
            }
        }
        if (cSeekString_.empty()) {
            if (seekFound)
                server_->GoTo(seekRecord);
            else
                GoEnd(*server_);
        }
    }

    if (server_->EoF()) {
        server_->GoTo(startRecord_);
        NotFound("Der Suchbegriff wurde nicht gefunden!");
    }
    // The owner windows show the record the server now stands on.
    server_->Notify(NOTIFYRECORDCHANGE);
    EndDialog(1);
}

void DlgSeek::PshSuchenVertraege() {
    const std::string term = Term();
    const bool byVersNr = LstIndex->CurrentItemNo() != 2;
    std::string folder;
    if (contractsOwnTable_) {
        folder = FolderOf(server_->FullPath());
    } else {
        const Usual path2 = GetSetGlobal(Symbol("PATH2"));
        folder = path2.IsString() ? path2.AsString() : std::string();
        if (!folder.empty() && folder.back() != '\\' && folder.back() != '/')
            folder += '\\';
    }

    ContractSearch found;
    uint32_t chosenRecord = 0;
    {
        DBServer contracts(folder + "Vertrag.dbf");
        if (!contracts.Used() ||
            !contracts.SetIndex(folder + (byVersNr ? "Vertrag5.ntx" : "Vertrag6.ntx"))) {
            EndDialog(0);
            return;
        }
        found = FindContracts(contracts, byVersNr, term);
        if (found.several) {
            DlgAuswahl list(this, found.hits);
            list.Show();
            const int chosen = list.ChosenItem();
            if (!cSeekString_.empty()) {
                if (contractsOwnTable_) {
                    if (chosen >= 1 && static_cast<size_t>(chosen) <= found.recNos.size())
                        chosenRecord = found.recNos[static_cast<size_t>(chosen - 1)];
                } else {
                    server_->Seek(Usual(cSeekString_));
                }
            }
        }
        contracts.Close();
    }

    if (!found.found) {
        server_->GoTo(startRecord_);
        NotFound("nicht gefunden!");
    } else if (contractsOwnTable_) {
        server_->GoTo(chosenRecord ? chosenRecord : found.firstRecNo);
    } else if (cSeekString_.empty()) {
        server_->Seek(Usual(found.firstAdressNr));
    }
    server_->Notify(NOTIFYRECORDCHANGE);
    EndDialog(1);
}

void DlgSeek::PshVolltext() {
    if (!server_)
        return;
    DlgSeek2 fullText(this, server_, Term());
    fullText.Show();
    if (fullText.Result() == 1)
        PshAbbruch();
}

void DlgSeek::PshAbbruch() {
    EndDialog(0);
}

Method DlgSeek::FindMethod(Symbol name) {
    static const MethodTable<DlgSeek> methods{
        {"PshSuchen", &DlgSeek::PshSuchen},
        {"PshSuchenVertraege", &DlgSeek::PshSuchenVertraege},
        {"PshVolltext", &DlgSeek::PshVolltext},
        {"PshAbbruch", &DlgSeek::PshAbbruch},
    };
    if (Method m = methods.Bind(this, name))
        return m;
    return DlgSeekLayout::FindMethod(name);
}

}  // namespace kp
