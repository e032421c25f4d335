#pragma once
// AnimationControl: the common controls' animation (an AVI clip without
// sound) played from a resource of a module or from a file.
//
// The clip is read from the module while it plays, so the module must stay
// loaded until the clip is closed: the destructor stops and closes the clip
// before the control goes, and an owner that frees the module closes the
// clip first.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "platform/gui/control.h"

namespace kp {

class AnimationControl : public Control {
  public:
    // A new control; module is where Open looks for clip resources (null:
    // the program itself).
    AnimationControl(Window* owner, int id, Point origin, Dimension size,
                     DWORD style = ACS_CENTER | ACS_TRANSPARENT | WS_VISIBLE,
                     HINSTANCE module = nullptr);
    AnimationControl(Window* owner, const ResourceID& id, HINSTANCE module = nullptr);
    ~AnimationControl() override;
    Symbol ClassName() const override;

    // Opens the clip of resource type "AVI" with this id in the module; false
    // (and no clip) when the module has none that the control can play.
    bool Open(int resourceId);
    // Opens a clip from another module.
    bool Open(HINSTANCE module, int resourceId);
    bool IsOpen() const { return open_; }
    // Plays frames from..to (-1: to the end) repeat times (-1: until stopped).
    bool Play(int from = 0, int to = -1, int repeat = -1);
    bool IsPlaying() const { return playing_; }
    void Stop();
    // Stops and closes the clip; the control then shows nothing.
    void CloseClip();

  private:
    HINSTANCE module_;
    bool open_ = false;
    bool playing_ = false;
};

}  // namespace kp
