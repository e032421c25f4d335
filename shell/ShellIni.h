#pragma once
// Reading KpShell.ini.
#include <string>
#include <vector>

namespace kp {

class ShellIni {
  public:
    explicit ShellIni(std::string path) : path_(std::move(path)) {}
    std::string String(const std::string& section, const std::string& key) const;
    // A comma-separated list, each element trimmed; empty when the key is.
    std::vector<std::string> List(const std::string& section, const std::string& key) const;
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace kp
