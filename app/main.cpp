// VeltoTax2010: converts the contracts of Vertrag.DBF to the insurance-tax
// rates of 2010.
#include <windows.h>

#include "app/Start.h"
#include "platform/runtime/program.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    kp::PrepareProcess();
    {
        kp::VeltoApp app;
        app.Start();
    }
    return kp::ErrorLevel();
}
