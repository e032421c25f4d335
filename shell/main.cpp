// KpShell: a small stand-in for the suite's shell window. It opens the
// library's windows from the shell menu, on the tables of the data path
// that KpShell.ini beside the program names.
#include <windows.h>

#include "app/Start.h"
#include "app/funGlobal.h"
#include "platform/gui/app.h"
#include "platform/runtime/program.h"
#include "shell/KpShell.h"
#include "shell/ShellDialogs.h"

namespace {

class ShellApp : public kp::App {
  public:
    void Start() override {
        kp::SetRunTimeOptions();
        kp::ShellSettings settings = kp::LoadShellSettings(kp::ProgramDir());
        kp::PublishShellSettings(settings);
        {
            const std::string dataPath = settings.dataPath;
            kp::KpShell shell(std::move(settings));
            shell.Show(kp::SHOWNORMAL);
            // A reorganisation killed part-way is settled before any window
            // opens a table.
            kp::RecoverReorganisation(&shell, dataPath);
            Exec();
        }
        kp::AxitGlobal();
    }
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    kp::PrepareProcess();
    {
        ShellApp app;
        app.Start();
    }
    return kp::ErrorLevel();
}
