#include "platform/gui/animationcontrol.h"

#include <commctrl.h>

namespace kp {

AnimationControl::AnimationControl(Window* owner, int id, Point origin, Dimension size, DWORD style,
                                   HINSTANCE module)
    : Control(owner, id, origin, size, ANIMATE_CLASSW, style), module_(module) {}

AnimationControl::AnimationControl(Window* owner, const ResourceID& id, HINSTANCE module)
    : Control(owner, id), module_(module) {}

AnimationControl::~AnimationControl() {
    CloseClip();
}

Symbol AnimationControl::ClassName() const {
    return Symbol("ANIMATIONCONTROL");
}

bool AnimationControl::Open(int resourceId) {
    return Open(module_ ? module_ : GetModuleHandleW(nullptr), resourceId);
}

bool AnimationControl::Open(HINSTANCE module, int resourceId) {
    CloseClip();
    if (!Handle())
        return false;
    // The control reads the clip from the module; a module without such a
    // resource (or with a clip it cannot decode) is refused here.
    if (!FindResourceW(module, MAKEINTRESOURCEW(resourceId), L"AVI"))
        return false;
    open_ = SendMessageW(Handle(), ACM_OPENW, reinterpret_cast<WPARAM>(module),
                         reinterpret_cast<LPARAM>(MAKEINTRESOURCEW(resourceId))) != 0;
    return open_;
}

bool AnimationControl::Play(int from, int to, int repeat) {
    if (!Handle() || !open_)
        return false;
    playing_ = SendMessageW(Handle(), ACM_PLAY, static_cast<WPARAM>(repeat),
                            MAKELPARAM(static_cast<WORD>(from), static_cast<WORD>(to))) != 0;
    return playing_;
}

void AnimationControl::Stop() {
    if (Handle() && playing_)
        SendMessageW(Handle(), ACM_STOP, 0, 0);
    playing_ = false;
}

void AnimationControl::CloseClip() {
    Stop();
    if (Handle() && open_)
        SendMessageW(Handle(), ACM_OPENW, 0, 0);
    open_ = false;
}

}  // namespace kp
