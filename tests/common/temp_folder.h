#pragma once
// A temporary folder of one test, removed with everything in it when the
// test ends. Names are UTF-8, as everywhere in the program.
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace kp::test {

class TempFolder {
  public:
    explicit TempFolder(const std::string& prefix = "kp_test_") {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / (prefix + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // With the separator at its end, as the data path is kept.
    std::string Folder() const { return Utf8(path_ / ""); }
    std::string File(const std::string& name) const { return Utf8(path_ / name); }

  private:
    static std::string Utf8(const std::filesystem::path& p) {
        const std::u8string s = p.u8string();
        return std::string(s.begin(), s.end());
    }
    std::filesystem::path path_;
};

}  // namespace kp::test
