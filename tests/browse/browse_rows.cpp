// Opens a table in a data window's browse view, under the settings the
// program starts with, and writes the texts the grid shows for its first and
// last rows to a file (UTF-8, one row a line, cells separated by tabs,
// the row number first).
//   browse_rows TABLE COUNT OUTFILE
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/gui/app.h"
#include "platform/gui/databrowser.h"
#include "platform/gui/tablewindow.h"
#include "platform/runtime/date.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/utf8.h"

namespace {

std::string Cell(HWND list, int row, int column) {
    wchar_t buffer[1024] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = 1023;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return kp::WideToUtf8(buffer);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "browse_rows TABLE COUNT OUTFILE\n");
        return 2;
    }
    kp::SetDateCountry(5);
    kp::SetCentury(true);
    kp::SetEpoch(1920);
    kp::SetAnsi(false);
    kp::SetDeleted(true);
    kp::SetExclusive(false);
    kp::SetDecimalSep(',');
    kp::SetThousandSep('.');
    kp::InitGuiLibrary();

    auto window = kp::OpenTableWindow(nullptr, argv[1]);
    if (!window || !window->Browser())
        return 1;
    kp::ApplicationExec(kp::EXECWHILEEVENT);
    HWND list = window->Browser()->Handle();
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const int columns = window->Browser()->ColumnCount();
    const int count = std::atoi(argv[2]);
    FILE* out = std::fopen(argv[3], "wb");
    if (!out)
        return 1;
    std::fprintf(out, "%d\n", rows);
    auto print = [&](int row) {
        std::fprintf(out, "%d", row);
        for (int c = 0; c < columns; ++c)
            std::fprintf(out, "\t%s", Cell(list, row, c).c_str());
        std::fprintf(out, "\n");
    };
    for (int r = 0; r < count && r < rows; ++r)
        print(r);
    window->Browser()->GoBottom();
    kp::ApplicationExec(kp::EXECWHILEEVENT);
    for (int r = std::max(count, rows - count); r < rows; ++r)
        print(r);
    std::fclose(out);
    return 0;
}
