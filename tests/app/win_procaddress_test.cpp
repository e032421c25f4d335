// Entry points of run-time loaded libraries are looked up and called only
// through their exact WINAPI type.
#include "platform/gui/procaddress.h"

#include <gtest/gtest.h>

#include <utility>

namespace kp {
namespace {

static_assert(IsWinapiFunctionPointer<int(WINAPI*)(LPCSTR)>::value);
static_assert(IsWinapiFunctionPointer<DWORD(WINAPI*)()>::value);
static_assert(!IsWinapiFunctionPointer<void*>::value);
static_assert(!IsWinapiFunctionPointer<FARPROC*>::value);
#if defined(__i386__)
// The conventions differ only on 32-bit Windows, where a mix-up corrupts the stack.
static_assert(!IsWinapiFunctionPointer<int(__cdecl*)(LPCSTR)>::value);
static_assert(!IsWinapiFunctionPointer<int(__fastcall*)(LPCSTR)>::value);
#endif

TEST(ProcAddress, CallsAnEntryPointWithArgumentsAsTheDirectCallDoes) {
    LoadedLibrary kernel(LoadLibraryA("kernel32.dll"));
    ASSERT_TRUE(kernel);
    auto length = kernel.Entry<int(WINAPI*)(LPCSTR)>("lstrlenA");
    auto mulDiv = kernel.Entry<int(WINAPI*)(int, int, int)>("MulDiv");
    auto processId = kernel.Entry<DWORD(WINAPI*)()>("GetCurrentProcessId");
    ASSERT_NE(length, nullptr);
    ASSERT_NE(mulDiv, nullptr);
    ASSERT_NE(processId, nullptr);
    // Many calls in a row: a callee that cleaned up the stack differently
    // from the caller would have moved the stack pointer by now.
    long sum = 0;
    for (int i = 0; i < 10000; ++i)
        sum += length("Vertrag") + mulDiv(i, 6, 3) - 2 * i;
    EXPECT_EQ(sum, 7 * 10000);
    EXPECT_EQ(processId(), GetCurrentProcessId());
}

TEST(ProcAddress, MissingLibraryOrEntryGivesNull) {
    LoadedLibrary missing(LoadLibraryA("KPNOSUCHLIBRARY.DLL"));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.Entry<int(WINAPI*)(LPCSTR)>("lstrlenA"), nullptr);

    LoadedLibrary kernel(LoadLibraryA("kernel32.dll"));
    ASSERT_TRUE(kernel);
    EXPECT_EQ(kernel.Entry<DWORD(WINAPI*)()>("KpNoSuchEntryPoint"), nullptr);
    EXPECT_EQ(ProcAddress<DWORD(WINAPI*)()>(kernel.Get(), "KpNoSuchEntryPoint"), nullptr);
}

TEST(ProcAddress, LibraryIsFreedOnceByItsLastOwner) {
    // A system library that nothing in the test program has loaded yet.
    const char* name = nullptr;
    for (const char* candidate : {"dciman32.dll", "msacm32.dll", "imagehlp.dll", "mpr.dll"})
        if (GetModuleHandleA(candidate) == nullptr) {
            name = candidate;
            break;
        }
    if (name == nullptr)
        GTEST_SKIP() << "every candidate library is loaded already";
    HMODULE own = LoadLibraryA(name);  // the test's own reference
    ASSERT_NE(own, nullptr);
    {
        LoadedLibrary first(LoadLibraryA(name));
        ASSERT_TRUE(first);
        LoadedLibrary second(std::move(first));
        LoadedLibrary third;
        third = std::move(second);
        EXPECT_FALSE(first);
        EXPECT_FALSE(second);
        EXPECT_EQ(third.Get(), own);
    }
    // One FreeLibrary for the one LoadLibrary: the test's reference keeps it,
    EXPECT_NE(GetModuleHandleA(name), nullptr);
    FreeLibrary(own);
    // and nothing else does.
    EXPECT_EQ(GetModuleHandleA(name), nullptr);
}

}  // namespace
}  // namespace kp
