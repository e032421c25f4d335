#pragma once
// Entry points of libraries loaded at run time.
//
// GetProcAddress answers an untyped address. Called through a pointer of the
// wrong calling convention, an entry point corrupts the stack on 32-bit
// Windows only: x86_64 has a single convention, so the fault would hide on
// every machine that runs the tests as 64-bit programs. Every look-up
// therefore names the exact WINAPI function type it expects, and the program
// keeps and calls the entry point only through that type. A pointer type of
// another convention (or an object pointer) does not compile.
#include <windows.h>

#include <type_traits>
#include <utility>

namespace kp {

template <typename Fn>
struct IsWinapiFunctionPointer : std::false_type {};
template <typename R, typename... Args>
struct IsWinapiFunctionPointer<R(WINAPI*)(Args...)> : std::true_type {};

// The entry point `name` of `module` as a function of type Fn; null when the
// library lacks it.
template <typename Fn>
Fn ProcAddress(HMODULE module, const char* name) {
    static_assert(IsWinapiFunctionPointer<Fn>::value,
                  "an entry point of a Windows library is a WINAPI function");
    FARPROC address = GetProcAddress(module, name);
    // void (*)() is the one function type that converts to any other without
    // defeating -Wcast-function-type for every other cast in the program.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(address));
}

// A library loaded with LoadLibrary, freed when the owner goes.
class LoadedLibrary {
  public:
    LoadedLibrary() = default;
    explicit LoadedLibrary(HMODULE module) : module_(module) {}
    ~LoadedLibrary() {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }
    LoadedLibrary(LoadedLibrary&& o) noexcept : module_(o.module_) { o.module_ = nullptr; }
    LoadedLibrary& operator=(LoadedLibrary&& o) noexcept {
        if (this != &o) {
            LoadedLibrary old(std::move(*this));
            module_ = o.module_;
            o.module_ = nullptr;
        }
        return *this;
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    HMODULE Get() const { return module_; }
    explicit operator bool() const { return module_ != nullptr; }

    template <typename Fn>
    Fn Entry(const char* name) const {
        return module_ != nullptr ? ProcAddress<Fn>(module_, name) : nullptr;
    }

  private:
    HMODULE module_ = nullptr;
};

}  // namespace kp
