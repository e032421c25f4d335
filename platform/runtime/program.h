#pragma once
// The running program: its directory, memory figures, exit code and the quit
// operation, the current directory, the run-time's version text.
#include <cstdint>
#include <functional>
#include <string>

namespace kp {

// Directory of the running executable with its trailing separator ('\' on
// Windows, '/' elsewhere), in UTF-8. A test may override it; "" restores it.
std::string ProgramDir();
void SetProgramDirForTest(std::string dir);  // a missing trailing separator is added

// Memory(0): free physical memory in bytes. Memory(100): free physical memory
// in percent (0-100). Other arguments: 0. A test may override the figures;
// an empty function restores them.
uint64_t Memory(int what);
void SetMemoryForTest(std::function<uint64_t(int)> figures);

// The process exit code that Quit ends with. ErrorLevel(n) sets it and
// returns the previous one.
int ErrorLevel();
int ErrorLevel(int code);

// The quit operation: runs the application's cleanup (once, not again if the
// cleanup itself quits) and ends the process with ErrorLevel().
[[noreturn]] void Quit();
// Installs the application's cleanup; returns the previous one.
std::function<void()> SetQuitHandler(std::function<void()> cleanup);
// Tests: replaces the process exit (it receives the exit code and must not
// return, e.g. throw); an empty function restores std::exit.
std::function<void(int)> SetExitFunctionForTest(std::function<void(int)> exitFn);

// The current drive letter ("C"; "" where there are no drives) and the
// current directory without drive and leading separator ("DATEN\KP").
std::string DiskName();
std::string CurDir();

// The run-time's version text (for the error log).
std::string Version();

}  // namespace kp
