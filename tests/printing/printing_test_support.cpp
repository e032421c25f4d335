#include "tests/printing/printing_test_support.h"

#include <winspool.h>

namespace kp::test {

std::vector<PageRecord> RecordsOf(HENHMETAFILE page) {
    return ReadPageRecords(page);
}

std::vector<TextBoxComment> CommentsOf(HENHMETAFILE page) {
    std::vector<TextBoxComment> out;
    for (const auto& data : ReadPageComments(page)) {
        TextBoxComment c;
        if (TextBoxComment::Parse(data.data(), static_cast<uint32_t>(data.size()), c))
            out.push_back(c);
    }
    return out;
}

std::vector<uint8_t> TinyBitmapFile() {
    // 2 x 2 pixels, 24 bits, rows padded to 8 bytes.
    std::vector<uint8_t> f(14 + 40 + 16, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            f[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    f[0] = 'B';
    f[1] = 'M';
    put32(2, static_cast<uint32_t>(f.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 2);
    put32(22, 2);
    f[26] = 1;
    f[28] = 24;
    for (size_t i = 54; i < f.size(); ++i)
        f[i] = 0x80;
    return f;
}

namespace {

std::wstring DefaultPrinterName() {
    DWORD n = 0;
    GetDefaultPrinterW(nullptr, &n);
    if (n == 0)
        return {};
    std::wstring name(n, L'\0');
    if (!GetDefaultPrinterW(name.data(), &n))
        return {};
    name.resize(n > 0 ? n - 1 : 0);
    return name;
}

class Printer600 : public PrinterLink {
  public:
    explicit Printer600(std::wstring name) : name_(std::move(name)) {}
    std::string Name() const override { return "600 dpi"; }
    HDC NewDC() const override {
        DEVMODEW dm{};
        dm.dmSize = sizeof(dm);
        dm.dmFields = DM_PRINTQUALITY | DM_YRESOLUTION;
        dm.dmPrintQuality = 600;
        dm.dmYResolution = 600;
        return CreateDCW(L"WINSPOOL", name_.c_str(), nullptr, &dm);
    }
    bool Spools() const override { return false; }

  private:
    std::wstring name_;
};

}  // namespace

std::unique_ptr<PrinterLink> PrinterAt600Dpi() {
    const std::wstring name = DefaultPrinterName();
    if (name.empty())
        return nullptr;
    auto link = std::make_unique<Printer600>(name);
    HDC dc = link->NewDC();
    if (!dc)
        return nullptr;
    DeleteDC(dc);
    return link;
}

bool HavePrinter() {
    return DefaultPrinterLink() != nullptr;
}

}  // namespace kp::test
