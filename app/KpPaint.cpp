#include "app/KpPaint.h"

#include "platform/gui/procaddress.h"

namespace kp {
namespace {

// The entry points with their exact types: each is looked up, kept and called
// only as what it is, so a wrong argument list or calling convention cannot
// compile. The arguments' meaning is the library's; they travel as
// pointer-wide integers, the scale of DIBStretch as an 8-byte double.
using FnCreateFromFile = intptr_t(WINAPI*)(intptr_t fileName);
using FnCreateFromPtr = intptr_t(WINAPI*)(intptr_t data, intptr_t size);
using FnDelete = intptr_t(WINAPI*)(intptr_t dib);
using FnStretch = intptr_t(WINAPI*)(intptr_t dib, intptr_t dc, intptr_t origin, intptr_t size,
                                    double scale);
using FnShow = intptr_t(WINAPI*)(intptr_t dib, intptr_t dc);
using FnGetInfo = intptr_t(WINAPI*)(intptr_t dib);
using FnSaveAs = intptr_t(WINAPI*)(intptr_t dib, intptr_t fileName);
using FnLastErrorMsg = intptr_t(WINAPI*)();
using FnLastError = intptr_t(WINAPI*)();
using FnShowErrors = intptr_t(WINAPI*)(intptr_t on);

// The binding is made once at start-up and only read afterwards.
struct Binding {
    LoadedLibrary library;
    bool available = false;
    FnCreateFromFile createFromFile = nullptr;
    FnCreateFromPtr createFromPtr = nullptr;
    FnDelete deleteDib = nullptr;
    FnStretch stretch = nullptr;
    FnShow show = nullptr;
    FnGetInfo getInfo = nullptr;
    FnSaveAs saveAs = nullptr;
    FnLastErrorMsg lastErrorMsg = nullptr;
    FnLastError lastError = nullptr;
    FnShowErrors showErrors = nullptr;
};

Binding& TheBinding() {
    static Binding binding;
    return binding;
}

template <typename Fn, typename... Args>
intptr_t Call(Fn Binding::*entry, Args... args) {
    const Binding& b = TheBinding();
    Fn fn = b.*entry;
    if (!b.available || fn == nullptr)
        return 0;
    return fn(args...);
}

}  // namespace

bool KpPaintUsable(const std::array<bool, 10>& found) {
    for (size_t i = 0; i < found.size(); ++i)
        if (i != 1 && !found[i])  // 1: DIBCreateFromPTR
            return false;
    return true;
}

bool BindKpPaint() {
    Binding& b = TheBinding();
    if (b.library)
        return b.available;
    b.library = LoadedLibrary(LoadLibraryA("KPPAINT.DLL"));
    if (!b.library)
        return false;
    const LoadedLibrary& lib = b.library;
    const auto& name = kKpPaintEntries;
    b.createFromFile = lib.Entry<FnCreateFromFile>(name[0]);
    b.createFromPtr = lib.Entry<FnCreateFromPtr>(name[1]);
    b.deleteDib = lib.Entry<FnDelete>(name[2]);
    b.stretch = lib.Entry<FnStretch>(name[3]);
    b.show = lib.Entry<FnShow>(name[4]);
    b.getInfo = lib.Entry<FnGetInfo>(name[5]);
    b.saveAs = lib.Entry<FnSaveAs>(name[6]);
    b.lastErrorMsg = lib.Entry<FnLastErrorMsg>(name[7]);
    b.lastError = lib.Entry<FnLastError>(name[8]);
    b.showErrors = lib.Entry<FnShowErrors>(name[9]);
    b.available = KpPaintUsable(
        {b.createFromFile != nullptr, b.createFromPtr != nullptr, b.deleteDib != nullptr,
         b.stretch != nullptr, b.show != nullptr, b.getInfo != nullptr, b.saveAs != nullptr,
         b.lastErrorMsg != nullptr, b.lastError != nullptr, b.showErrors != nullptr});
    return b.available;
}

bool KpPaintAvailable() {
    return TheBinding().available;
}

intptr_t DIBCreateFromFile(intptr_t fileName) {
    return Call(&Binding::createFromFile, fileName);
}
intptr_t DIBCreateFromPTR(intptr_t data, intptr_t size) {
    return Call(&Binding::createFromPtr, data, size);
}
intptr_t DIBDelete(intptr_t dib) {
    return Call(&Binding::deleteDib, dib);
}
intptr_t DIBStretch(intptr_t dib, intptr_t dc, intptr_t origin, intptr_t size, double scale) {
    return Call(&Binding::stretch, dib, dc, origin, size, scale);
}
intptr_t DIBShow(intptr_t dib, intptr_t dc) {
    return Call(&Binding::show, dib, dc);
}
intptr_t DIBGetInfo(intptr_t dib) {
    return Call(&Binding::getInfo, dib);
}
intptr_t DIBSaveAs(intptr_t dib, intptr_t fileName) {
    return Call(&Binding::saveAs, dib, fileName);
}
intptr_t KPPaintLastErrorMsg() {
    return Call(&Binding::lastErrorMsg);
}
intptr_t KPPaintLastError() {
    return Call(&Binding::lastError);
}
intptr_t KPPaintShowErrors(intptr_t on) {
    return Call(&Binding::showErrors, on);
}

}  // namespace kp
