#pragma once
// Command-line arguments as UTF-8 on every platform.
#include <string>
#include <vector>

namespace kp::tools {
std::vector<std::string> Arguments(int argc, char** argv);
}
