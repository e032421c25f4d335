#include "app/KpPaint.h"

#include <windows.h>

namespace kp {
namespace {

// The binding is made once at start-up and only read afterwards.
struct Binding {
    HMODULE module = nullptr;
    std::array<void*, 10> entry{};
    bool available = false;
};

Binding& TheBinding() {
    static Binding binding;
    return binding;
}

enum Entry {
    kCreateFromFile,
    kCreateFromPtr,
    kDelete,
    kStretch,
    kShow,
    kGetInfo,
    kSaveAs,
    kLastErrorMsg,
    kLastError,
    kShowErrors
};

template <typename Fn, typename... Args>
intptr_t Call(Entry which, Args... args) {
    const Binding& b = TheBinding();
    if (!b.available || b.entry[which] == nullptr)
        return 0;
    return reinterpret_cast<Fn>(b.entry[which])(args...);
}

using Fn0 = intptr_t(WINAPI*)();
using Fn1 = intptr_t(WINAPI*)(intptr_t);
using Fn2 = intptr_t(WINAPI*)(intptr_t, intptr_t);
using FnStretch = intptr_t(WINAPI*)(intptr_t, intptr_t, intptr_t, intptr_t, double);

}  // namespace

bool KpPaintUsable(const std::array<void*, 10>& addresses) {
    for (size_t i = 0; i < addresses.size(); ++i)
        if (i != kCreateFromPtr && addresses[i] == nullptr)
            return false;
    return true;
}

bool BindKpPaint() {
    Binding& b = TheBinding();
    if (b.module != nullptr)
        return b.available;
    b.module = LoadLibraryA("KPPAINT.DLL");
    if (b.module == nullptr)
        return false;
    for (size_t i = 0; i < kKpPaintEntries.size(); ++i)
        b.entry[i] = reinterpret_cast<void*>(GetProcAddress(b.module, kKpPaintEntries[i]));
    b.available = KpPaintUsable(b.entry);
    return b.available;
}

bool KpPaintAvailable() {
    return TheBinding().available;
}

intptr_t DIBCreateFromFile(intptr_t fileName) {
    return Call<Fn1>(kCreateFromFile, fileName);
}
intptr_t DIBCreateFromPTR(intptr_t data, intptr_t size) {
    return Call<Fn2>(kCreateFromPtr, data, size);
}
intptr_t DIBDelete(intptr_t dib) {
    return Call<Fn1>(kDelete, dib);
}
intptr_t DIBStretch(intptr_t dib, intptr_t dc, intptr_t origin, intptr_t size, double scale) {
    return Call<FnStretch>(kStretch, dib, dc, origin, size, scale);
}
intptr_t DIBShow(intptr_t dib, intptr_t dc) {
    return Call<Fn2>(kShow, dib, dc);
}
intptr_t DIBGetInfo(intptr_t dib) {
    return Call<Fn1>(kGetInfo, dib);
}
intptr_t DIBSaveAs(intptr_t dib, intptr_t fileName) {
    return Call<Fn2>(kSaveAs, dib, fileName);
}
intptr_t KPPaintLastErrorMsg() {
    return Call<Fn0>(kLastErrorMsg);
}
intptr_t KPPaintLastError() {
    return Call<Fn0>(kLastError);
}
intptr_t KPPaintShowErrors(intptr_t on) {
    return Call<Fn1>(kShowErrors, on);
}

}  // namespace kp
