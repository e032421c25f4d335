#pragma once
// Shared helpers of the application tests: a temporary folder, a contract
// table made by the data engine, and an error-handler host that tests
// answer themselves.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/ErrorSys.h"

namespace kp::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline std::string ReadBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}
inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Contract {
    std::string sparte;
    double vsteuer;
    double steuerdm;
    double beitrag;
    bool deleted = false;
};

// Vertrag.DBF with the four fields the conversion uses, a name field in
// front and a note field behind them (so that bytes outside the three
// written fields can be checked), widths as in the suite's table.
void MakeVertrag(const std::string& path, const std::vector<Contract>& rows);

// Offsets and widths of the fields of a DBF, from its header.
struct FieldPlace {
    std::string name;
    uint32_t offset;
    uint32_t width;
};
std::vector<FieldPlace> FieldPlaces(const std::string& dbfBytes);
uint32_t HeaderLength(const std::string& dbfBytes);
uint32_t RecordLength(const std::string& dbfBytes);
// The raw text of field `name` of record r (1-based).
std::string RawField(const std::string& dbfBytes, uint32_t r, const std::string& name);
void SetRawField(std::string& dbfBytes, uint32_t r, const std::string& name,
                 const std::string& text);

// An error-handler host whose box is answered by a function.
class FakeHost : public ErrorSysHost {
  public:
    struct Box {
        std::string text;
        std::string severityWord;
        uint32_t defaultFlag, retryFlag, breakFlag;
    };
    std::function<int(const Box&)> answer = [](const Box&) { return 1; };
    std::vector<Box> boxes;
    std::vector<std::string> plainBoxes;
    int tones = 0;
    std::vector<Frame> stack;

    int ErrorMessageBox(const std::string& text, const std::string& severityWord, uint32_t d,
                        uint32_t r, uint32_t b) override {
        boxes.push_back({text, severityWord, d, r, b});
        return answer(boxes.back());
    }
    void PlainBox(const std::string& title, const std::string& text) override {
        plainBoxes.push_back(title + "|" + text);
    }
    void Tones() override { ++tones; }
    std::vector<Frame> CallStack() override { return stack; }
};

// Installs the fake host and the error block for one test, with the log in
// a temporary program directory and a quit that throws QuitCalled.
struct QuitCalled {
    int code;
};
class ErrorSysFixture {
  public:
    ErrorSysFixture();
    ~ErrorSysFixture();
    FakeHost host;
    TempDir dir;
    std::string LogText() const { return ReadBytes(dir.File("KPERROR.LOG")); }
};

}  // namespace kp::test
