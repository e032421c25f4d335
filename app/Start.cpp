#include "app/Start.h"

#include "app/ErrorBox.h"
#include "app/International.h"
#include "app/KpPaint.h"
#include "app/dtaStart.h"
#include "app/funGlobal.h"
#include "platform/runtime/date.h"
#include "platform/runtime/program.h"
#include "platform/runtime/settings.h"
#include "titles/Farbverlauf.h"

namespace kp {

void PrepareProcess() {
    static WinErrorSysHost host;
    InstallErrorSys(&host);
    SetInternational(Symbol("WINDOWS"));
    InitGuiLibrary();
    RegisterTitelClasses();
    BindKpPaint();
    // Ending the program from anywhere (the "&Schliessen" button, the error
    // handler) still gives the global store back.
    SetQuitHandler([] { AxitGlobal(); });
}

void SetRunTimeOptions() {
    SetDateCountry(5);
    SetCentury(true);
    SetEpoch(1920);
    SetAnsi(false);
    SetDeleted(true);
    SetExclusive(false);
}

void VeltoApp::Start() {
    SetRunTimeOptions();
    Enable3dControls();
    {
        DtaStart window(nullptr);
        window.Show();
        Exec();
    }
    AxitGlobal();
}

}  // namespace kp
