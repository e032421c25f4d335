#pragma once
// Names of resources and the hyper-label of windows, controls and menu items.
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/data/dataserver.h"
#include "platform/runtime/symbol.h"

namespace kp {

// A resource of a module, named by number or by name. Names are compared by
// Windows without regard to case ("dtaStart_layout" finds DTASTART_LAYOUT).
// The module defaults to the program's own.
class ResourceID {
  public:
    explicit ResourceID(int id, HINSTANCE module = nullptr);
    explicit ResourceID(std::string_view name, HINSTANCE module = nullptr);

    bool IsNumber() const { return name_.empty(); }
    int Number() const { return id_; }  // 0 for a named resource
    std::string Name() const;           // the name, or "#<number>"
    LPCWSTR Ptr() const;                // for the resource functions
    HINSTANCE Module() const;

  private:
    int id_ = 0;
    std::wstring name_;
    HINSTANCE module_ = nullptr;
};

// Name, caption, description and help context of a control, window or menu
// item. The name is what named calls go by.
class HyperLabel {
  public:
    HyperLabel() = default;
    explicit HyperLabel(Symbol name, std::string caption = {}, std::string description = {},
                        std::string helpContext = {})
        : name_(name),
          caption_(std::move(caption)),
          description_(std::move(description)),
          helpContext_(std::move(helpContext)) {}
    explicit HyperLabel(std::string_view name, std::string caption = {},
                        std::string description = {}, std::string helpContext = {})
        : HyperLabel(Symbol(name), std::move(caption), std::move(description),
                     std::move(helpContext)) {}
    explicit HyperLabel(const HyperLabelData& d)
        : HyperLabel(d.name, d.caption, d.description, d.helpContext) {}

    Symbol NameSym() const { return name_; }
    const std::string& Caption() const { return caption_; }
    const std::string& Description() const { return description_; }
    const std::string& HelpContext() const { return helpContext_; }
    HyperLabelData Data() const { return {name_, caption_, description_, helpContext_}; }
    friend bool operator==(const HyperLabel&, const HyperLabel&) = default;

  private:
    Symbol name_;
    std::string caption_;
    std::string description_;
    std::string helpContext_;
};

}  // namespace kp
