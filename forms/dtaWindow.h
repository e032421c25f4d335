#pragma once
// DtaWindow: the form window every top-level form of the suite is. It
// registers with an owner that keeps a list of its children, always lets
// the user close it, keeps the Close entry of its own and its shell's system
// menu in step with the valid flag, centres itself on its owner or on the
// screen, and fills tab controls with pages given in code or in an INI
// section. With it come the framework's small window utilities.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/dtaAbstract.h"
#include "platform/gui/controls.h"
#include "platform/gui/tabcontrol.h"

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

// Where Center puts a window in an area (offsets from the area's lower-left
// corner): in the middle. A window wider or higher than the area gets its
// left edge, or its top edge, on the area's edge instead of a negative
// offset, so its caption stays reachable.
Point CenterOrigin(Dimension area, Dimension window);

// One tab page as AddTabPages takes it: the tab's name and caption, and
// optionally an image number and a tip text (nothing: not set; 0 and ""
// are values).
struct TabPageDescription {
    Symbol name;
    std::string caption;
    std::optional<int> image;
    std::optional<std::string> tip;
};

// The most pages an INI section may ask for; a larger count is cut to it.
inline constexpr int kMaxTabPages = 64;

// Reads of one section of an INI file: the integer of a key (0 when the key
// is missing) and the string of a key ("" when missing).
struct IniSectionReader {
    std::function<int32_t(const std::string& key)> getInt;
    std::function<std::string(const std::string& key)> getString;
};

// The tab pages an INI section describes: "Laschen" is the page count,
// "Lasche1" ... "Lasche<n>" each one page as "name, caption, image, tip".
// A count below 1 gives no pages, one above kMaxTabPages is cut to it, and a
// missing or nameless "Lasche" line gives no page.
std::vector<TabPageDescription> TabPagesFromIni(const IniSectionReader& section);

// The reader of a section of the INI file of that name (IniFile: a name
// without directory is in the current directory, ".INI" is appended to a
// name without extension).
IniSectionReader OpenIniSection(const std::string& iniName, const std::string& section);

// Screen and system metrics, in pixels.
int GetScreenX();
int GetScreenY();
int GetCaptionY();
int GetFrameY();
int GetMenuY();
// Moves a window to the middle of the screen (Windows' screen co-ordinates),
// keeping its size; never to a negative position.
void CenterWindow(Window& window);
void EditSetReadOnly(Edit& edit);
void EditSetReadWrite(Edit& edit);
// The library's objects of the window's child windows, in Windows' child
// order; children without an object are left out.
std::vector<Window*> GetAllControls(const Window& window);
bool IsEnabled(const Window& window);
// Colour capabilities of the display of a window (null: the screen).
int GetColorDepth(HWND hwnd);
int GetColorCount(HWND hwnd);

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
    // Logging off only asks: the window stays as it is, as the session may
    // go on after all; while the valid flag is off (a walk that must not be
    // cut short) the session waits.
    bool QueryEndSession(Event& e) override { return DtaAbstract::QueryClose(e); }
    void MenuInit(MenuInitEvent& e) override;
    // Also greys or enables the Close entry of the owning shell's system menu.
    void Valid(bool on) override;
    using DtaAbstract::Valid;

    // Centres the window on its owner's canvas (showing a minimised or too
    // small owner normally first), or on the screen without an owner.
    void Center();
    void Center2();
    // A fixed frame without maximise box, or (with true) a sizing frame
    // with one.
    void SetNonResize(bool maxBox = false);

    // Fills the tab control with the pages and selects the page at the first
    // tab number (cut to the pages there are). No pages: nothing happens.
    void AddTabPages(TabControl& tabs, const std::vector<TabPageDescription>& pages);
    // The same with the pages of a section of an INI file.
    void AddTabPagesIni(TabControl& tabs, const std::string& iniName, const std::string& section);
    // After the library's page switch: a tab whose page has not come up yet
    // is selected again, so that its page is made and shown.
    void TabSelect(ControlNotifyEvent& e) override;

    int32_t FirstTabNo() const { return firstTabNo_; }
    void FirstTabNo(int32_t n) { firstTabNo_ = n; }

  private:
    void Unregister();
    int32_t firstTabNo_ = 1;
    bool registered_ = false;
    bool greyedShellClose_ = false;  // this form greyed the shell's Close entry
};

}  // namespace kp
