#pragma once
// Desktops for driven programs. A test run creates a desktop of its own and
// starts the program on it; under Wine it is a virtual desktop, one X window
// that holds all of the run's windows. That keeps test runs apart (each sees
// only its own windows) and keeps them fast: on a bare X server without a
// window manager, Wine waits two seconds for every top-level window that is
// hidden or closed, and on a virtual desktop it does not wait at all.
//
// The driver's searches look at the desktop of the calling thread, so a
// thread enters the desktop before it searches.
#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

namespace kp::uidriver {

class Desktop {
  public:
    // Creates the desktop `name`, under Wine a virtual desktop of width x
    // height pixels. nullptr on failure.
    static std::unique_ptr<Desktop> Create(std::string_view name, int width = 1024,
                                           int height = 768);
    // Opens an existing desktop (as "wine explorer /desktop=NAME,..." makes
    // one). nullptr when there is none of that name.
    static std::unique_ptr<Desktop> Open(std::string_view name);

    // Leaves the desktop if the thread that entered it is still on it, and
    // closes it.
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // Moves the calling thread onto this desktop. Fails once the thread has
    // windows of its own: enter first, then create windows.
    bool Enter();

    const std::string& name() const { return name_; }
    HDESK handle() const { return handle_; }

  private:
    Desktop(std::string name, HDESK handle, bool created);

    std::string name_;
    HDESK handle_;
    bool created_;              // we created it: remove its size entry again
    HDESK previous_ = nullptr;  // where Enter() found its thread
    DWORD entered_by_ = 0;
};

// Moves the calling thread onto a desktop handle (as another thread's
// desktop); false when the thread already has windows.
bool EnterDesktop(HDESK desktop);

// The name of the calling thread's desktop ("Default" normally).
std::string CurrentDesktopName();

}  // namespace kp::uidriver
