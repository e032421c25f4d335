#pragma once
// DtaWindow: the form window every top-level form of the suite is. It
// registers with an owner that keeps a list of its children, always lets
// the user close it, keeps the Close entry of its system menu in step with
// the valid flag, and places itself in the middle of the screen.
#include "forms/dtaAbstract.h"

namespace kp {

// An owner that keeps track of the forms it owns.
class ChildRegistry {
  public:
    virtual ~ChildRegistry() = default;
    virtual void RegisterChild(Window* child) = 0;
    virtual void UnRegisterChild(Window* child) = 0;
};

// Where Center2 puts a window, as offsets from the screen's lower-left
// corner: centred both ways, except on a screen of 600 pixels or fewer in
// height, where it sits at the top, one pixel below the edge. A window larger
// than the screen is placed so that its left edge and its caption stay on
// the screen.
Point Center2Origin(Dimension screen, Dimension window);

int GetScreenX();
int GetScreenY();

class DtaWindow : public DtaAbstract {
  public:
    DtaWindow(Window* owner, const ResourceID& form, bool subForm = false);
    ~DtaWindow() override;
    Symbol ClassName() const override;

    void Destroy() override;
    void Activate(Event& e) override { DtaAbstract::Activate(e); }
    void Deactivate(Event& e) override { DtaAbstract::Deactivate(e); }
    // Hides the window and lets it close, whatever the valid flag says.
    bool QueryClose(Event& e) override;
    void MenuInit(MenuInitEvent& e) override;

    void Center2();
    // A fixed frame without maximise box, or (with true) a sizing frame
    // with one.
    void SetNonResize(bool maxBox = false);

    int32_t FirstTabNo() const { return firstTabNo_; }

  private:
    void Unregister();
    int32_t firstTabNo_ = 1;
    bool registered_ = false;
};

}  // namespace kp
