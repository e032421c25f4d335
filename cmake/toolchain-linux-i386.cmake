# The portable layers as 32-bit Linux programs (gcc -m32), so that faults
# that only a 32-bit build shows (pointer and size_t width, 32-bit long,
# file offsets beyond 2 GB, alignment of 8-byte values) surface in tests on
# machines that only test the Windows program as x86_64. No sanitizers here.
#
# The tests run through tools/run-i386: directly where the kernel executes
# 32-bit code, through qemu-i386 user mode where it cannot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../tools/run-i386")
