#pragma once
// The MDI frame (ShellWindow) and its children (ChildAppWindow). Data windows
// owned by a shell window become MDI children of it as well.
#include <windows.h>

#include <memory>

#include "platform/gui/helpdisplay.h"
#include "platform/gui/window.h"

namespace kp {

class ShellWindow : public Window {
  public:
    explicit ShellWindow(Window* owner = nullptr);
    ~ShellWindow() override;
    Symbol ClassName() const override;

    HWND CanvasHandle() const override { return client_; }
    HWND MdiClient() const { return client_; }
    void Menu(std::shared_ptr<kp::Menu> menu) override;
    using Window::Menu;
    void StatusBar(kp::StatusBar* bar) override;
    using Window::StatusBar;
    // The MDI client lies below a visible toolbar.
    void ToolBar(std::shared_ptr<kp::Toolbar> bar) override;
    using Window::ToolBar;
    void ToolBarChanged() override;

    // The active MDI child's object, or null.
    Window* ActiveChild() const;
    // Another child came to the front (null: none is left in front). The
    // status bar lets go of the descriptions of the one before; the new
    // one's focus brings its own.
    virtual void ChildActivated(Window* child);
    void Tile();
    void Cascade();
    void ArrangeIcons();

    LRESULT Dispatch(Event& e) override;

    // The help its forms' help requests are shown with (none: no help).
    std::shared_ptr<kp::HelpDisplay> HelpDisplay() const { return helpDisplay_; }
    void HelpDisplay(std::shared_ptr<kp::HelpDisplay> help) { helpDisplay_ = std::move(help); }

  protected:
    void AfterDispatch(Event& e) override;

  private:
    void LayoutClient();
    HWND client_ = nullptr;
    std::shared_ptr<kp::HelpDisplay> helpDisplay_;
};

class ChildAppWindow : public Window {
  public:
    // Managed: an MDI child of the owner, which must be a ShellWindow;
    // otherwise an ordinary top window.
    explicit ChildAppWindow(Window* owner, bool managed = false);
    ~ChildAppWindow() override;
    Symbol ClassName() const override;

    bool IsManaged() const { return managed_; }
    // An MDI child's menu replaces the shell's menu while the child is active.
    // An MDI child is destroyed through its MDI client, which then
    // activates the next child (and gives it the keyboard).
    void Destroy() override;
    void Menu(std::shared_ptr<kp::Menu> menu) override;
    using Window::Menu;
    // The toolbar stays at the top of the client area as the window resizes.
    void ToolBar(std::shared_ptr<kp::Toolbar> bar) override;
    using Window::ToolBar;

  protected:
    void AfterDispatch(Event& e) override;

  private:
    void ShowMenuInShell(bool active);
    bool managed_ = false;
};

}  // namespace kp
