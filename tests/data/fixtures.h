#pragma once
// Test fixtures: hand-made table bytes, file helpers and a run-time setup.
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/runtime/codepage.h"
#include "platform/runtime/error.h"
#include "platform/runtime/settings.h"
#include "tests/data/proc.h"

namespace kp::test {

inline std::string ReadFile(const std::string& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}
inline void WriteFile(const std::string& p, const std::string& bytes) {
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct RawField {
    std::string name;
    char type;
    unsigned char len;
    unsigned char dec;
};

// A DBF byte for byte: header, descriptors, terminator, records.
struct RawDbf {
    unsigned char version = 0x03;
    std::vector<RawField> fields;
    std::vector<std::string> records;  // each without... with its deletion flag
    int count = -1;                    // header count; -1: records.size()
    int hdrLen = -1;                   // -1: 32 + 32n + 1
    int recLen = -1;                   // -1: 1 + sum of widths
    bool terminator = true;            // the 0x0D
    std::string afterTerminator;       // padding bytes between 0x0D and hdrLen
    bool eofByte = true;
    unsigned char cpByte = 0;

    std::string Bytes() const {
        std::string h(32, '\0');
        h[0] = static_cast<char>(version);
        h[1] = 99;
        h[2] = 12;
        h[3] = 31;
        uint32_t n =
            count < 0 ? static_cast<uint32_t>(records.size()) : static_cast<uint32_t>(count);
        for (int i = 0; i < 4; ++i)
            h[4 + static_cast<size_t>(i)] = static_cast<char>(n >> (8 * i));
        int rl = 1;
        for (const auto& f : fields)
            rl += f.type == 'C' ? f.dec * 256 + f.len : f.len;
        if (recLen >= 0)
            rl = recLen;
        std::string d;
        for (const auto& f : fields) {
            std::string fd(32, '\0');
            fd.replace(0, f.name.size(), f.name);
            fd[11] = f.type;
            fd[16] = static_cast<char>(f.len);
            fd[17] = static_cast<char>(f.dec);
            d += fd;
        }
        std::string body = h + d;
        if (terminator)
            body += '\x0D';
        body += afterTerminator;
        int hl = hdrLen >= 0 ? hdrLen : static_cast<int>(body.size());
        body.resize(static_cast<size_t>(hl), '\0');
        body[8] = static_cast<char>(hl & 0xFF);
        body[9] = static_cast<char>(hl >> 8);
        body[10] = static_cast<char>(rl & 0xFF);
        body[11] = static_cast<char>(rl >> 8);
        body[29] = static_cast<char>(cpByte);
        for (const auto& r : records)
            body += r;
        if (eofByte)
            body += '\x1A';
        return body;
    }
};

// Settings of the office, no error block, reset after each test.
class DataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetOemCodePage(850);
        oldAnsi_ = SetAnsi(false);
        oldDeleted_ = SetDeleted(false);
        oldExclusive_ = SetExclusive(false);
        oldBlock_ = ErrorBlock(ErrorBlockFn());
        dir_ = TempDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override {
        SetAnsi(oldAnsi_);
        SetDeleted(oldDeleted_);
        SetExclusive(oldExclusive_);
        ErrorBlock(oldBlock_);
    }
    // Records every error raised; answers `answer`.
    void CatchErrors(bool answer = false) {
        ErrorBlock([this, answer](std::shared_ptr<Error> e) {
            errors_.push_back(e);
            return Usual(answer);
        });
    }
    std::string dir_;
    std::vector<std::shared_ptr<Error>> errors_;

  private:
    bool oldAnsi_ = false, oldDeleted_ = false, oldExclusive_ = false;
    ErrorBlockFn oldBlock_;
};

}  // namespace kp::test
