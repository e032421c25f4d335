#pragma once
// The conversion window: counts the contracts of Vertrag.DBF that the 2010
// insurance-tax change affects, shows the counts, converts them on
// "&Anpassen" while the progress bar runs and ends the program on
// "&Schliessen".
#include <memory>
#include <string>

#include "app/VSteuerUmstellung.h"
#include "app/dtaStart_layout.h"
#include "platform/data/dbserver.h"

namespace kp {

class DtaStart : public DtaStartLayout {
  public:
    // Opens <directory>Vertrag.DBF (the program's own directory by default)
    // and counts.
    explicit DtaStart(Window* owner, const std::string& directory = {});
    ~DtaStart() override;
    Symbol ClassName() const override;

    // "&Anpassen": converts the affected contracts.
    void PshBerechnen();
    // "&Schliessen": closes the table and ends the program.
    void PshOK();
    // The window's update: shows the progress position on the bar and lets
    // pending events through. The conversion itself moves the bar as it goes.
    void Update() override;

    Method FindMethod(Symbol name) override;
    // While a conversion runs the window cannot be closed: the walk needs
    // the window, its controls and the table until it ends.
    bool QueryClose(Event& e) override;

    uint32_t AffectedTotal() const { return affectedTotal_; }
    uint32_t ProgressPosition() const { return progressPosition_; }
    bool Converting() const { return converting_; }

  private:
    std::unique_ptr<DBServer> contractServer_;
    uint32_t progressPosition_ = 0;
    uint32_t affectedTotal_ = 0;
    bool converting_ = false;
};

}  // namespace kp
