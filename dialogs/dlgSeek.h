#pragma once
// DlgSeek: the modal "Suchen nach..." dialog a data window opens to find a
// record of its own table by one of its orders, and DlgAuswahl, the
// "Mehrfachauswahl" list in which the searches show several hits.
//
//   DlgSeek dlg(form, "dtaAdressen");   // the form's server is a DBServer
//   dlg.Show();                         // the server stands on the record found
//
// What is sought and listed is in seekRules.h; the dialogs ask and move.
#include <cstdint>
#include <string>
#include <vector>

#include "dialogs/dlgSeek_layout.h"

namespace kp {

class DBServer;
class DataWindow;

// An owner that takes the key chosen in the selection list.
class SeekStringOwner {
  public:
    virtual ~SeekStringOwner() = default;
    virtual void cSeekString(const std::string& key) = 0;
};

class DlgAuswahl : public DlgAuswahlLayout {
  public:
    // Fills the list with the entries in the order given; the first is selected.
    DlgAuswahl(Window* owner, const std::vector<std::string>& entries);
    Symbol ClassName() const override;

    // The owner's cSeekString gets the first 6 characters of the selected
    // entry; the dialog ends.
    void PshGeheZu();
    // Ends the dialog; the owner's cSeekString is left as it was.
    void PshAbbruch();
    void ListBoxClick(ControlEvent& e) override;
    Method FindMethod(Symbol name) override;

    // The entry chosen with "Gehe zu" (1-based), 0 when none was.
    int ChosenItem() const { return chosen_; }

  private:
    int chosen_ = 0;
};

class DlgSeek : public DlgSeekLayout, public SeekStringOwner {
  public:
    // The owner's server must be a DBServer (a run-time error otherwise);
    // ownerKind is "dtaAdressen", "dtaGesell", "dtaTermin", "dtaVermittler"
    // or "tabVertraege".
    DlgSeek(DataWindow* owner, const std::string& ownerKind);
    Symbol ClassName() const override;

    void cSeekString(const std::string& key) override { cSeekString_ = key; }
    const std::string& cSeekString() const { return cSeekString_; }

    // A contract window whose server is the contract table itself (a browse
    // view of Vertrag.dbf) rather than the address table: the contract
    // search then opens the table beside the owner's and moves the owner to
    // the contract chosen instead of seeking its customer.
    void ContractsOwnTable(bool on) { contractsOwnTable_ = on; }

    void PshSuchen();
    void PshSuchenVertraege();
    void PshVolltext();
    void PshAbbruch();
    Method FindMethod(Symbol name) override;

    const std::string& OwnerKind() const { return ownerKind_; }
    const std::vector<std::string>& IndexCaptions() const { return captions_; }

  private:
    void NotFound(const std::string& text);
    std::string Term() const;

    DBServer* server_ = nullptr;
    uint32_t startRecord_ = 0;
    int startOrder_ = 0;
    std::vector<std::string> captions_;
    std::string ownerKind_;
    std::string cSeekString_;
    bool contractsOwnTable_ = false;
};

}  // namespace kp
