#pragma once
// Starting a second process for the tests that need two programs on one
// table: the helper executable lies beside the test executable.
#include <memory>
#include <string>
#include <vector>

namespace kp::test {

class Process {
  public:
    // Starts the helper with these arguments; null on failure.
    static std::unique_ptr<Process> StartHelper(const std::vector<std::string>& args);
    // Starts the program `name` (without extension) that lies beside the
    // test executable.
    static std::unique_ptr<Process> Start(const std::string& name,
                                          const std::vector<std::string>& args);
    ~Process();  // kills it if it still runs
    int Wait();  // exit code
    void Kill();

  private:
    Process() = default;
    intptr_t handle_ = 0;
    bool done_ = false;
    int code_ = -1;
};

std::string TempDir(const std::string& name);  // a fresh empty directory
bool FileExists(const std::string& path);
void SleepMillis(int ms);

}  // namespace kp::test
