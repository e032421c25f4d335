#pragma once
// Menus and accelerator tables from resources.
#include <windows.h>

#include <map>
#include <memory>
#include <optional>

#include "platform/gui/geometry.h"
#include "platform/gui/resource.h"
#include "platform/runtime/usual.h"

namespace kp {

class Window;

// An accelerator table. The library's message loop translates the keys of
// the active window's menu's accelerators into menu commands.
class Accelerator {
  public:
    explicit Accelerator(const ResourceID& id);
    virtual ~Accelerator();
    Accelerator(const Accelerator&) = delete;
    Accelerator& operator=(const Accelerator&) = delete;

    HACCEL Handle() const { return handle_; }
    void Destroy();

  private:
    HACCEL handle_ = nullptr;
};

// A menu bar or pop-up menu. Items are registered with a hyper-label whose
// name is the method a command of the item calls on the window.
class Menu : public Object {
  public:
    Menu();                               // an empty pop-up menu
    explicit Menu(const ResourceID& id);  // a menu bar from a resource
    ~Menu() override;
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;
    Symbol ClassName() const override;

    HMENU Handle() const { return handle_; }
    void Destroy();

    // Registers an item (or a pop-up, with its parent menu and position).
    void RegisterItem(int id, const kp::HyperLabel& label, HMENU parent = nullptr,
                      int position = -1);
    Symbol NameSym(int id) const;                    // null when not registered
    const kp::HyperLabel* HyperLabel(int id) const;  // null when not registered
    int ItemID(Symbol name) const;                   // 0 when not registered
    // A registered pop-up's label by the menu it opens; null when none.
    const kp::HyperLabel* PopupLabel(HMENU popup) const;

    // Adds a command item or a separator (for menus built in code).
    void AppendItem(int id, const std::string& text);
    void AppendSeparator();

    void EnableItem(int id);
    void DisableItem(int id);
    void CheckItem(int id);
    void UncheckItem(int id);

    // Shows the menu as a pop-up; its commands go to the owner's window. The
    // position is in the library's coordinates of the owner's canvas (of a
    // control's parent, where its Origin is measured); without one the menu
    // opens at the mouse. A menu bar shows its first pop-up.
    void ShowAsPopup(Window* owner, std::optional<Point> at = std::nullopt);

    std::shared_ptr<kp::Accelerator> Accelerator() const { return accelerator_; }
    void Accelerator(std::shared_ptr<kp::Accelerator> a) { accelerator_ = std::move(a); }

  private:
    struct Item {
        kp::HyperLabel label;
        HMENU parent = nullptr;
        int position = -1;
        HMENU popup = nullptr;  // the menu a registered pop-up opens
    };
    HMENU handle_ = nullptr;
    bool popup_ = false;
    std::map<int, Item> items_;
    std::shared_ptr<kp::Accelerator> accelerator_;
};

}  // namespace kp
