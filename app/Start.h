#pragma once
// The program's start and end: the preparation of the process and the
// application object that opens the conversion window.
#include "platform/gui/app.h"

namespace kp {

// Installs the error handler, takes the international settings from
// Windows, registers the title controls' window classes and binds the
// image library, in this order.
void PrepareProcess();

// The run-time options the suite's programs run with: German
// day.month.year dates with four-digit years and epoch 1920, OEM character
// data in the tables, deleted records hidden, tables opened shared.
void SetRunTimeOptions();

class VeltoApp : public App {
  public:
    // Sets the run-time options, shows the conversion window and runs the
    // message loop until the window is gone; then releases the global
    // value store.
    void Start() override;
};

}  // namespace kp
