#pragma once
// DataWindow: a form. A frame window holds the form's surface, a child dialog
// made from the form's dialog resource; the frame's client area is exactly
// the dialog's size (its dialog units mapped to pixels by the dialog's font).
//
// The layout class of a form builds its controls by resource id after this
// constructor, in the order they should appear in Controls. Events of the
// surface (control notifications, painting, mouse) reach the DataWindow's
// Dispatch and handlers, so a form handles everything in one object.
//
// The frame is a top window (owned by the owner's window, if any), an MDI
// child when the owner is a ShellWindow, or a child window inside the owner's
// canvas when the form is a sub-form.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/data/dataserver.h"
#include "platform/gui/control.h"
#include "platform/gui/window.h"

namespace kp {

class DataWindow;
class DataBrowser;

// The form's surface: the dialog inside a DataWindow's frame.
class FormSurface : public Window {
  public:
    explicit FormSurface(DataWindow* form);
    ~FormSurface() override;
    Symbol ClassName() const override;
    DataWindow* Form() const { return form_; }
    LRESULT Dispatch(Event& e) override;

  private:
    friend class DataWindow;
    DataWindow* form_;
};

class DataWindow : public Window, public DataClient {
  public:
    // A form from a dialog resource; without a resource the surface is
    // empty. A sub-form lives inside the owner's canvas.
    DataWindow(Window* owner, const ResourceID& form, bool subForm = false);
    explicit DataWindow(Window* owner, bool subForm = false);
    ~DataWindow() override;
    Symbol ClassName() const override;

    HWND CanvasHandle() const override;
    Window* __GetFormSurface() const { return surface_.get(); }
    // The frame window of the form (the DataWindow's own window) and the
    // form's surface inside it, the dialog that holds the controls.
    Window* FormFrame() { return this; }
    FormSurface* Surface() const { return surface_.get(); }

    void Show(int showState = SHOWNORMAL) override;
    // Gives the keyboard to the form's first field that takes input (its
    // pages included), as a newly opened form should have it.
    void FocusFirstField();
    void Menu(std::shared_ptr<kp::Menu> menu) override;
    void StatusBar(kp::StatusBar* bar) override;
    using Window::Menu;
    using Window::StatusBar;

    // The form's sub-forms, in creation order.
    const std::vector<DataWindow*>& SubForms() const { return subForms_; }
    bool IsSubForm() const { return subForm_; }
    // The control that has (or last had) the focus; assigning only records.
    kp::Control* CurrentControl() const;
    void CurrentControl(kp::Control* c) { focusControl_ = c; }

    // The data server the form shows. The form keeps it alive while it is
    // attached and is told of its changes through Notify.
    DataServer* Server() const { return server_.get(); }
    void Server(std::shared_ptr<DataServer> server);
    // Told by the server: record and file changes read the server into the
    // controls (and the browse view); a closing server is let go.
    void Notify(int code, const Usual& description) override;

    // The two views of a form: the form itself (#FormView) and the browse
    // view (#BrowseView), a grid of the server's records (DataBrowser) that
    // covers the form's place in the frame. The browse view is made when it
    // is first shown; switching keeps both and the server's record.
    void ViewAs(Symbol view);
    Symbol CurrentView() const;
    // The browse view; null until it has been shown.
    DataBrowser* Browser() const { return browser_.get(); }
    // Whether the window shows its server as the browse view (rows) rather
    // than the form view (one record), and the refresh of that view's rows
    // from the server (the count and the rows shown are read anew).
    virtual bool ShowsBrowseView() const { return browseView_ && browser_; }
    virtual void RefreshBrowseView();

    LRESULT Dispatch(Event& e) override;

  protected:
    void AfterDispatch(Event& e) override;
    void Detached() override;

  private:
    void Create(const ResourceID* form);
    void LayoutFrame();  // status bar and surface in the client area
    // The frame has the focus: it goes on to the form's control.
    void PassFocusToForm();
    Dimension SurfaceSize() const;
    void FitFrameToSurface(Dimension surface);  // client area := surface (plus status bar)

    bool subForm_;
    bool browseView_ = false;
    std::unique_ptr<FormSurface> surface_;
    std::unique_ptr<DataBrowser> browser_;
    std::vector<DataWindow*> subForms_;
    std::shared_ptr<DataServer> server_;
};

}  // namespace kp
