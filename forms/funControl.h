#pragma once
// Window helpers of the form framework: finding the shell above a window,
// and telling whether a call comes from an object's own class.
#include "platform/gui/shellwindow.h"

namespace kp {

// The first ShellWindow in the owner chain of the window, starting with its
// owner (not the window itself). The walk ends at the top of the chain:
// null when there is no shell above the window (or no window).
ShellWindow* GetShell(const Window* window);
// The same walk, for callers that ask for the shell window by that name.
ShellWindow* GetShellWindow(const Window* window);

// Whether a call comes from a method of the object's class or of one of its
// base classes. C++ knows no caller names at run time, so the calling method
// names its class by passing its own `this`: CallFromSelf(object, this) is
// true when the object is an instance of the caller's class (its own class
// or a class derived from it). Called from outside any method (a null
// caller) it is false.
template <class Caller>
bool CallFromSelf(const Object& object, const Caller* caller) {
    return caller != nullptr && dynamic_cast<const Caller*>(&object) != nullptr;
}

}  // namespace kp
