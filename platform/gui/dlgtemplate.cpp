#include "platform/gui/dlgtemplate.h"

#include <cstring>

namespace kp {

namespace {

// Reads little-endian values from a byte buffer, refusing to read past it.
class Reader {
  public:
    explicit Reader(const std::vector<uint8_t>& b) : b_(b) {}
    size_t Pos() const { return pos_; }
    bool Word(uint16_t& v) {
        if (pos_ + 2 > b_.size())
            return false;
        v = static_cast<uint16_t>(b_[pos_] | (b_[pos_ + 1] << 8));
        pos_ += 2;
        return true;
    }
    bool DWord(uint32_t& v) {
        uint16_t lo, hi;
        if (!Word(lo) || !Word(hi))
            return false;
        v = lo | (static_cast<uint32_t>(hi) << 16);
        return true;
    }
    bool Short(int& v) {
        uint16_t w;
        if (!Word(w))
            return false;
        v = static_cast<int16_t>(w);
        return true;
    }
    // A string or an ordinal (sz_Or_Ord); text gets the string, "" otherwise.
    bool StringOrOrdinal(std::wstring& text) {
        text.clear();
        uint16_t first;
        if (!Word(first))
            return false;
        if (first == 0)
            return true;
        if (first == 0xFFFF) {
            uint16_t ordinal;
            return Word(ordinal);
        }
        text.push_back(static_cast<wchar_t>(first));
        return String(text);
    }
    // A zero-terminated UTF-16 string, appended to text.
    bool String(std::wstring& text) {
        for (;;) {
            uint16_t c;
            if (!Word(c))
                return false;
            if (c == 0)
                return true;
            text.push_back(static_cast<wchar_t>(c));
        }
    }

  private:
    const std::vector<uint8_t>& b_;
    size_t pos_ = 0;
};

}  // namespace

bool ReadDialogTemplate(const std::vector<uint8_t>& bytes, DialogTemplateInfo& info) {
    info = DialogTemplateInfo{};
    Reader r(bytes);
    uint16_t version, signature;
    if (!r.Word(version) || !r.Word(signature))
        return false;
    info.extended = version == 1 && signature == 0xFFFF;
    uint32_t style = 0, exStyle = 0;
    uint16_t count = 0;
    if (info.extended) {
        uint32_t helpId;
        if (!r.DWord(helpId) || !r.DWord(exStyle))
            return false;
        info.styleOffset = r.Pos();
        if (!r.DWord(style))
            return false;
    } else {
        info.styleOffset = 0;
        style = version | (static_cast<uint32_t>(signature) << 16);
        if (!r.DWord(exStyle))
            return false;
    }
    if (!r.Word(count))
        return false;
    if (!r.Short(info.x) || !r.Short(info.y) || !r.Short(info.cx) || !r.Short(info.cy))
        return false;
    std::wstring menu, cls;
    if (!r.StringOrOrdinal(menu) || !r.StringOrOrdinal(cls) || !r.String(info.caption))
        return false;
    info.style = style;
    info.exStyle = exStyle;
    info.itemCount = count;
    return true;
}

std::vector<uint8_t> LoadDialogTemplate(const ResourceID& id) {
    HINSTANCE module = id.Module();
    HRSRC res = FindResourceW(module, id.Ptr(), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (!res)
        return {};
    HGLOBAL data = LoadResource(module, res);
    DWORD size = SizeofResource(module, res);
    const void* p = data ? LockResource(data) : nullptr;
    if (!p || size == 0)
        return {};
    std::vector<uint8_t> bytes(size);
    std::memcpy(bytes.data(), p, size);
    return bytes;
}

void SetTemplateStyle(std::vector<uint8_t>& bytes, const DialogTemplateInfo& info, DWORD style) {
    if (info.styleOffset + 4 > bytes.size())
        return;
    for (int i = 0; i < 4; ++i)
        bytes[info.styleOffset + i] = static_cast<uint8_t>(style >> (8 * i));
}

}  // namespace kp
