#pragma once
// Dialog templates: reading the header of a dialog resource and making a
// copy with another window style. Forms and dialogs are made from copies so
// that a form's surface is always a child and a dialog starts hidden,
// whatever style its resource was written with.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gui/resource.h"

namespace kp {

struct DialogTemplateInfo {
    bool extended = false;  // DLGTEMPLATEEX
    size_t styleOffset = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    int itemCount = 0;
    int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
    std::wstring caption;
};

// Reads a template's header; false when the bytes are not a whole header.
bool ReadDialogTemplate(const std::vector<uint8_t>& bytes, DialogTemplateInfo& info);

// The bytes of a dialog resource; empty when there is none of that name.
std::vector<uint8_t> LoadDialogTemplate(const ResourceID& id);

// Sets the style of a template read by ReadDialogTemplate.
void SetTemplateStyle(std::vector<uint8_t>& bytes, const DialogTemplateInfo& info, DWORD style);

}  // namespace kp
