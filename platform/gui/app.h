#pragma once
// The application object and the message loop.
#include <windows.h>

namespace kp {

// Modes of Exec and ApplicationExec.
inline constexpr int EXECNORMAL = 0;      // until the program ends
inline constexpr int EXECWHILEEVENT = 1;  // process what is pending, then return

// Runs the message loop in the given mode. Keys pass the active window's
// accelerators first, then the dialog navigation (Tab, arrows, Return,
// Escape) of the form surface or modeless dialog they are meant for.
// EXECNORMAL ends when no top window of the library is left or a quit is
// requested; EXECWHILEEVENT returns as soon as the queue is empty (a quit
// request stays queued for the outer loop).
void ApplicationExec(int mode = EXECNORMAL);

// The number of top windows the library holds (not child windows).
int TopWindowCount();

class App {
  public:
    // Prepares the library: common controls and the library's window classes.
    App();
    virtual ~App() = default;
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // The program's start: builds the first window and calls Exec.
    virtual void Start() {}

    void Exec(int mode = EXECNORMAL) { ApplicationExec(mode); }
    // Ends the running Exec once the current event is done.
    void Quit();
    // Three-dimensional control drawing; always on with the system's own
    // controls, kept for callers that switch it on.
    void Enable3dControls() { threeD_ = true; }
    bool ThreeDControls() const { return threeD_; }

  private:
    bool threeD_ = true;
};

// Registers the library's window classes and the common controls; App does
// this, and every window constructor makes sure it has happened.
void InitGuiLibrary();

}  // namespace kp
