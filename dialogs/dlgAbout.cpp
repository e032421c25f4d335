#include "dialogs/dlgAbout.h"

#include "platform/runtime/program.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/transform.h"

namespace kp {

std::string FreeMemoryText(uint64_t bytes) {
    const auto kilobytes = static_cast<int64_t>(bytes / 1024);
    return LTrim(TransformInt(kilobytes, "@E 999,999,999,999")) + " KB frei";
}

std::string FreeResourcesText(uint64_t percent) {
    return PadL(std::to_string(percent), 3) + " % frei";
}

DlgAbout::DlgAbout(Window* owner) : DlgAboutLayout(owner) {
    TxtFreeMemory->Caption(FreeMemoryText(Memory(0)));
    TxtFreeRessources->Caption(FreeResourcesText(Memory(100)));
}

Symbol DlgAbout::ClassName() const {
    return Symbol("DLGABOUT");
}

Method DlgAbout::FindMethod(Symbol name) {
    static const MethodTable<DlgAbout> methods{{"PshOK", &DlgAbout::PshOK}};
    if (Method m = methods.Bind(this, name))
        return m;
    return DlgAboutLayout::FindMethod(name);
}

}  // namespace kp
