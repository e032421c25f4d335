#include "tests/app/test_support.h"

#include <atomic>
#include <cstring>

#include "platform/data/dbf.h"
#include "platform/data/dbserver.h"
#include "platform/runtime/program.h"
#include "platform/runtime/settings.h"

namespace kp::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("kp_app_" + std::to_string(reinterpret_cast<uintptr_t>(this) & 0xFFFFFF) + "_" +
             std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void MakeVertrag(const std::string& path, const std::vector<Contract>& rows) {
    Table::Create(path,
                  {{"VERTRAGNR", 'C', 10, 0},
                   {"VERSSPARTE", 'C', 20, 0},
                   {"VSTEUER", 'N', 6, 2},
                   {"VSTEUERDM", 'N', 10, 2},
                   {"BEITRAG", 'N', 12, 2},
                   {"NOTIZ", 'C', 12, 0}},
                  850);
    DBServer db(path);
    int n = 0;
    for (const Contract& c : rows) {
        db.Append();
        db.FieldPut(Symbol("VERTRAGNR"), Usual("V" + std::to_string(++n)));
        db.FieldPut(Symbol("VERSSPARTE"), Usual(c.sparte));
        db.FieldPut(Symbol("VSTEUER"), Usual(c.vsteuer));
        db.FieldPut(Symbol("VSTEUERDM"), Usual(c.steuerdm));
        db.FieldPut(Symbol("BEITRAG"), Usual(c.beitrag));
        db.FieldPut(Symbol("NOTIZ"), Usual(std::string("unverändert")));
        if (c.deleted)
            db.Delete();
    }
    db.Close();
}

static uint32_t U16(const std::string& b, size_t off) {
    return static_cast<uint8_t>(b[off]) | static_cast<uint32_t>(static_cast<uint8_t>(b[off + 1]))
                                              << 8;
}

uint32_t HeaderLength(const std::string& b) {
    return U16(b, 8);
}
uint32_t RecordLength(const std::string& b) {
    return U16(b, 10);
}

std::vector<FieldPlace> FieldPlaces(const std::string& b) {
    std::vector<FieldPlace> out;
    uint32_t offset = 1;
    for (size_t d = 32; d + 32 <= HeaderLength(b) && b[d] != 0x0D; d += 32) {
        std::string name(b.data() + d, strnlen(b.data() + d, 11));
        const uint32_t width = static_cast<uint8_t>(b[d + 16]);
        out.push_back({name, offset, width});
        offset += width;
    }
    return out;
}

static const FieldPlace& Place(const std::string& b, const std::string& name) {
    static std::vector<FieldPlace> places;
    places = FieldPlaces(b);
    for (const auto& p : places)
        if (p.name == name)
            return p;
    throw std::runtime_error("no field " + name);
}

std::string RawField(const std::string& b, uint32_t r, const std::string& name) {
    const FieldPlace& p = Place(b, name);
    return b.substr(HeaderLength(b) + (r - 1) * RecordLength(b) + p.offset, p.width);
}

void SetRawField(std::string& b, uint32_t r, const std::string& name, const std::string& text) {
    const FieldPlace& p = Place(b, name);
    std::string t = text;
    t.resize(p.width, ' ');
    b.replace(HeaderLength(b) + (r - 1) * RecordLength(b) + p.offset, p.width, t);
}

ErrorSysFixture::ErrorSysFixture() {
    ResetSettings();
    SetProgramDirForTest(dir.Path().string());
    InstallErrorSys(&host);
    SetExitFunctionForTest([](int code) { throw QuitCalled{code}; });
}

ErrorSysFixture::~ErrorSysFixture() {
    SetExitFunctionForTest({});
    ErrorBlock(ErrorBlockFn());
    SetErrorSysHost(nullptr);
    SetProgramDirForTest("");
    ResetSettings();
}

}  // namespace kp::test
