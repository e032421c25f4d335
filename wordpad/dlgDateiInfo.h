#pragma once
// The document-information dialog: files a letter that has just been saved
// under a new name in the document register (or the template register) and,
// on request, in the resubmission file. What it writes is decided by
// DateiAblegen (wordpad/dateiInfoRules.h); the dialog gathers the boxes,
// keeps the controls' enabled states in step and tells refusals.
#include <memory>
#include <string>
#include <vector>

#include "platform/data/dbserver.h"
#include "platform/runtime/date.h"
#include "wordpad/dateiInfoRules.h"
#include "wordpad/dlgDateiInfo_layout.h"

namespace kp {

class Window;

// Creates and shows the modeless dialog for the letter saved as cAblage
// (full file name). The caller does not wait: the dialog owns itself and
// frees itself when it ends.
void OpenDlgDateiInfo(Window* owner, const std::string& cAblage);

class DlgDateiInfo : public DlgDateiInfoLayout {
  public:
    // Reads the shared PATH, DURSPRUNG, DOKAUFRUF, VERSANDART and
    // VERSSPARTE, opens the tables below PATH and fills the boxes.
    DlgDateiInfo(Window* owner, const std::string& cAblage);
    ~DlgDateiInfo() override;
    Symbol ClassName() const override;

    // Files the letter and ends the dialog; a refusal is told and the
    // dialog stays open for a correction.
    void PshOK();
    // Ends the dialog; nothing is written.
    void PshAbbruch();
    // After any check box: which controls may be used.
    void ButtonClick(ControlEvent& e) override;
    // Closes every table and forgets the lists.
    void Destruct();

    // From now on the object deletes itself once its window is gone
    // (OpenDlgDateiInfo hands it over this way).
    void OwnItself() { ownsItself_ = true; }

    // What filing gave (for the caller and tests); ok false until filed.
    const AblageErgebnis& Ergebnis() const { return ergebnis_; }

    Method FindMethod(Symbol name) override;

    // The tables, open from construction until the dialog ends.
    std::unique_ptr<DBServer> oDokVW, oAdressen, oGesellA, oVermitt, oDatWV, oTextVor;
    std::string cAblage;     // full file name
    std::string cDateiName;  // without directory
    Date dHeute;
    std::string cUrsprung;
    std::string cDokAufruf;
    std::string cKunde, cGesell, cVermittler;
    std::vector<std::string> aKunden, aGesell, aVermitt, aVorlageTyp;

  protected:
    void Detached() override;

  private:
    // Re-derives the enabled states from the two check boxes.
    void UpdateEnabling();
    void Ended();

    std::string cPath;
    AblageErgebnis ergebnis_;
    bool ownsItself_ = false;
    bool ending_ = false;
};

}  // namespace kp
