// libFuzzer target: arbitrary bytes as a table, its index and its memo
// file; opens, scans, seeks and writes through the data server. Nothing may
// crash or touch memory outside what it owns.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/data/dbserver.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/settings.h"

namespace {

void Put(const std::string& path, const uint8_t* p, size_t n) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return;
    if (n)
        std::fwrite(p, 1, n, f);
    std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("kpfuzz_" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d.string() + "/";
    }();
    kp::SetOemCodePage(850);
    // Input: u16 length of the table part, u16 length of the index part, the
    // parts, then the memo file.
    if (size < 4)
        return 0;
    size_t a = data[0] | (data[1] << 8), b = data[2] | (data[3] << 8);
    data += 4;
    size -= 4;
    a = a > size ? size : a;
    b = b > size - a ? size - a : b;
    Put(dir + "f.dbf", data, a);
    Put(dir + "f.ntx", data + a, b);
    Put(dir + "f.dbt", data + a + b, size - a - b);
    kp::SetDeleted((size & 1) != 0);
    kp::DBServer db(dir + "f.dbf");
    if (!db.Used())
        return 0;
    db.SetLockTimeout(0);
    db.SetIndex("f.ntx");
    int steps = 0;
    for (db.GoTop(); !db.EoF() && steps < 64; ++steps) {
        for (int i = 1; i <= db.FCount(); ++i)
            db.FieldGet(i);
        if (!db.Skip(1))
            break;
    }
    for (db.GoBottom(); !db.BoF() && !db.EoF() && steps < 128; ++steps)
        if (!db.Skip(-1))
            break;
    db.Seek(kp::Usual(std::string("A")));
    db.Seek(kp::Usual(1.0));
    db.SetOrder(0);
    db.GoTo(2);
    if (db.FCount() > 0)
        db.FieldPut(1, db.FieldGet(1));
    db.Append();
    db.Close();
    return 0;
}
