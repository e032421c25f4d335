#pragma once
// Window: the base of every window and control object.
//
// An object is bound to its Windows handle (GetObjectByHandle answers the
// object of a handle). Every message of the handle passes through the virtual
// Dispatch; returning 1 means handled, and Windows is then answered with the
// object's EventReturnValue. The default Dispatch calls the typed handlers
// (Expose, KeyDown, ButtonClick ...), whose own defaults run the window's
// default processing. A recovery point surrounds each dispatched message: a
// run-time error answered with "break" abandons that message only.
//
// Positions (Origin, BoundingBox, mouse positions) are in the library's
// coordinates: from the lower-left corner of the container, y upwards. The
// container is the parent's client area for child windows, the owner
// window's canvas for owned windows, and the screen otherwise.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/gui/drawing.h"
#include "platform/gui/event.h"
#include "platform/gui/geometry.h"
#include "platform/gui/menu.h"
#include "platform/gui/methods.h"
#include "platform/gui/resource.h"
#include "platform/runtime/usual.h"

namespace kp {

class Control;
class StatusBar;
class Toolbar;

// Show states (the Windows SW_ codes).
inline constexpr int SHOWNORMAL = SW_SHOWNORMAL;        // 1
inline constexpr int SHOWMINIMIZED = SW_SHOWMINIMIZED;  // 2
inline constexpr int SHOWZOOMED = SW_SHOWMAXIMIZED;     // 3
inline constexpr int SHOWINACTIVE = SW_SHOWNOACTIVATE;  // 4

// Border styles of EnableBorder.
inline constexpr int WINDOWNOBORDER = 0;
inline constexpr int WINDOWSIZINGBORDER = 1;
inline constexpr int WINDOWNONSIZINGBORDER = 2;

void InitGuiLibrary();

// The object bound to a handle; null for handles the library does not know.
Window* GetObjectByHandle(HWND hwnd);

// Accelerators and dialog navigation for a message from the queue; true when
// the message was used up. The message loops call it before dispatching.
bool PreTranslateMessage(MSG& msg);

class Window : public Object {
  public:
    // A null owner means the application.
    explicit Window(Window* owner = nullptr);
    ~Window() override;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    Symbol ClassName() const override;

    HWND Handle() const { return hwnd_; }
    Window* Owner() const { return owner_; }
    // The window whose client area holds this window's controls and against
    // which owned windows are placed.
    virtual HWND CanvasHandle() const { return hwnd_; }
    bool IsAlive() const { return hwnd_ != nullptr; }

    // --- showing and ending
    virtual void Show(int showState = SHOWNORMAL);
    virtual void Hide();
    bool IsVisible() const;
    // Paints what is waiting to be painted, in the window and its children,
    // now rather than when the message loop gets to it.
    virtual void Update();
    virtual void Enable();
    virtual void Disable();
    bool IsEnabled() const;
    virtual void SetFocus();
    // Destroys the Windows window; the object stays, without a handle.
    virtual void Destroy();
    // Asks the window to close (QueryClose, then Close) as its close box
    // does: posted, or at once when sendNow. Returns true.
    virtual bool EndWindow(bool sendNow = false);

    // --- properties
    std::string Caption() const;
    void Caption(const std::string& text);
    Dimension Size() const;
    void Size(Dimension size);
    Point Origin() const;
    void Origin(Point origin);
    Dimension CanvasSize() const;                     // client area of the canvas
    void RepaintBoundingBox(const BoundingBox& box);  // in canvas coordinates

    std::shared_ptr<kp::Menu> Menu() const { return menu_; }
    virtual void Menu(std::shared_ptr<kp::Menu> menu);
    std::shared_ptr<kp::Icon> Icon() const { return icon_; }
    void Icon(std::shared_ptr<kp::Icon> icon);
    std::shared_ptr<kp::Icon> IconSm() const { return iconSm_; }
    void IconSm(std::shared_ptr<kp::Icon> icon);
    std::shared_ptr<kp::Pointer> Pointer() const { return pointer_; }
    void Pointer(std::shared_ptr<kp::Pointer> pointer);

    const kp::HyperLabel& HyperLabel() const { return hyperLabel_; }
    virtual void HyperLabel(const kp::HyperLabel& label) { hyperLabel_ = label; }
    Symbol NameSym() const { return hyperLabel_.NameSym(); }

    LRESULT EventReturnValue() const { return eventReturnValue_; }
    void EventReturnValue(LRESULT value) { eventReturnValue_ = value; }

    // Frame styles; they keep the client area's size.
    virtual void EnableBorder(int borderStyle);
    virtual void EnableMaxBox(bool on);
    virtual void EnableMinBox(bool on);

    kp::StatusBar* StatusBar() const { return statusBar_; }
    virtual void StatusBar(kp::StatusBar* bar);

    // The toolbar at the top of the window (null: none). Frames lay their
    // client area out below a visible toolbar; setting null removes it.
    std::shared_ptr<kp::Toolbar> ToolBar() const { return toolBar_; }
    virtual void ToolBar(std::shared_ptr<kp::Toolbar> bar);
    // The toolbar was shown, hidden, resized or destroyed: lay out again.
    virtual void ToolBarChanged() {}

    // The controls made on this window, in creation order.
    const std::vector<kp::Control*>& Controls() const { return controls_; }

    // --- calls by name (see methods.h)
    virtual Method FindMethod(Symbol name);
    bool HasMethod(Symbol name) { return static_cast<bool>(FindMethod(name)); }
    bool CallMethod(Symbol name);  // false when there is no such method

    // --- events
    virtual LRESULT Dispatch(Event& e);
    // A key this window handles itself even where an accelerator of its
    // frame would take it (a grid's F2 and F5).
    virtual bool ClaimsKey(const MSG&) const { return false; }
    // Runs the window's default processing of the event (once) and makes
    // its result the EventReturnValue.
    void Default(Event& e);

    virtual void Expose(ExposeEvent& e) { Default(e); }
    virtual void KeyDown(KeyEvent& e) { Default(e); }
    virtual void KeyUp(KeyEvent& e) { Default(e); }
    virtual void MouseButtonDown(MouseEvent& e) { Default(e); }
    virtual void MouseButtonUp(MouseEvent& e) { Default(e); }
    virtual void MouseButtonDoubleClick(MouseEvent& e) { Default(e); }
    virtual void MouseDrag(MouseEvent& e) { Default(e); }
    virtual void MouseMove(MouseEvent& e) { Default(e); }
    virtual void FocusChange(FocusChangeEvent& e) { Default(e); }
    virtual void Resize(ResizeEvent& e) { Default(e); }
    virtual void Move(Event& e) { Default(e); }
    virtual void Activate(Event& e) { Default(e); }
    virtual void Deactivate(Event& e) { Default(e); }
    virtual void MenuInit(MenuInitEvent& e) { Default(e); }
    virtual void MenuCommand(MenuCommandEvent& e) { Default(e); }
    virtual void HelpRequest(HelpRequestEvent& e) { Default(e); }
    // Notifications of this window's controls.
    virtual void ButtonClick(ControlEvent& e) { Default(e); }
    virtual void EditChange(ControlEvent& e) { Default(e); }
    virtual void EditFocusChange(EditFocusChangeEvent& e) { Default(e); }
    virtual void ListBoxSelect(ControlEvent& e) { Default(e); }
    virtual void ListBoxClick(ControlEvent& e) { Default(e); }
    virtual void ControlNotify(ControlNotifyEvent& e) { Default(e); }
    // Closing: QueryClose false keeps the window open; Close ends it.
    virtual bool QueryClose(Event& e);
    virtual void Close(Event& e);
    // Windows ends the session (log-off, shut-down) and asks each top-level
    // window first: false keeps the session going. By default the question
    // of the close box, so that nothing typed goes without a word.
    virtual bool QueryEndSession(Event& e) { return QueryClose(e); }
    // The session ends now (true: close as after an agreed close box, and
    // the program's loop ends, as no further message may come) or goes on
    // after all because another program refused (false: whatever
    // QueryEndSession agreed to drop stays, and the next close asks again).
    virtual void EndSession(Event& e, bool ending);

  protected:
    // How the bound handle's default processing is reached.
    enum class DefaultKind { Window, Subclass, MdiFrame, MdiChild };

    // Binds a handle made by the library's own window classes (or adopts one
    // of another class by subclassing it).
    void Attach(HWND hwnd, DefaultKind kind);
    // Creates a window of a library class bound to this object.
    HWND CreateBound(DWORD exStyle, LPCWSTR className, const std::wstring& text, DWORD style, int x,
                     int y, int w, int h, HWND parent, HMENU menuOrId,
                     DefaultKind kind = DefaultKind::Window);
    // Unbinds and destroys the handle; safe in destructors (no dispatch).
    void DestroyHandle();

    virtual LRESULT DefaultProc(Event& e);

    // Library work that runs around Dispatch whatever an override does.
    virtual void BeforeDispatch(Event& e);
    virtual void AfterDispatch(Event& e);
    // The handle has gone (WM_NCDESTROY): the object is unbound.
    virtual void Detached() {}

    // Places the window's outer rectangle given in its container's top-down
    // pixels, and reads it back.
    PixelRect ContainerRect() const;
    void PlaceInContainer(const PixelRect& r, UINT extraFlags = 0);

    void SetMdiClient(HWND client) { mdiClient_ = client; }
    // Keeps the client area's size across a frame style change.
    void ChangeFrameStyle(LONG_PTR addStyle, LONG_PTR removeStyle);

    void AddControl(kp::Control* c) { controls_.push_back(c); }
    void RemoveControl(kp::Control* c);
    kp::Control* focusControl_ = nullptr;  // the control that last had the focus
    bool dialogNavigation_ = false;        // IsDialogMessage applies to this window
    bool ownsHandle_ = true;               // the handle goes with the object
    bool dying_ = false;                   // being taken apart: no more dispatch

    // The window procedure of the library's classes, and the dialog
    // procedure that binds dialogs made from templates (pass the object as
    // the creation parameter).
    static LRESULT CALLBACK ClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static bool IsLibraryClassWindow(HWND hwnd);

  private:
    friend class Control;
    friend class FormSurface;
    friend bool PreTranslateMessage(MSG& msg);
    friend void InitGuiLibrary();

    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR ref);

    LRESULT Route(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void DispatchCommand(Event& e);
    void Unbind();

    HWND hwnd_ = nullptr;
    Window* owner_;
    DefaultKind defaultKind_ = DefaultKind::Window;
    HWND mdiClient_ = nullptr;
    LRESULT eventReturnValue_ = 0;
    kp::HyperLabel hyperLabel_;
    std::shared_ptr<kp::Menu> menu_;
    std::shared_ptr<kp::Icon> icon_;
    std::shared_ptr<kp::Icon> iconSm_;
    std::shared_ptr<kp::Pointer> pointer_;
    kp::StatusBar* statusBar_ = nullptr;
    std::vector<kp::Control*> controls_;
    // After controls_: a toolbar going with the window still finds the list.
    std::shared_ptr<kp::Toolbar> toolBar_;
};

}  // namespace kp
