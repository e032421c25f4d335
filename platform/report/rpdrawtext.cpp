#include "platform/report/rpdrawtext.h"

#include <algorithm>
#include <string_view>

#include "platform/runtime/utf8.h"

namespace kp {

int rpDrawText(RpDrawTextParams& p) {
    p.bottomReached = p.top;
    HDC measure = p.currentDC ? p.currentDC : p.printerDC;
    HDC target = p.printerDC ? p.printerDC : p.currentDC;
    if (!measure || !p.text || p.length <= 0 || p.right <= p.left)
        return 0;
    const std::wstring text = Utf8ToWide(std::string_view(p.text, static_cast<size_t>(p.length)));
    UINT format = DT_NOPREFIX | DT_EXPANDTABS | DT_TOP;
    if (p.wordWrap)
        format |= DT_WORDBREAK | DT_EDITCONTROL;
    const int32_t align = p.paragraph ? p.paragraph->alignment : kRpAlignLeft;
    if (align == kRpAlignCentre)
        format |= DT_CENTER;
    else if (align == kRpAlignRight)
        format |= DT_RIGHT;

    RECT r{p.left, p.top, p.right, p.top};
    DrawTextW(measure, text.c_str(), static_cast<int>(text.size()), &r, format | DT_CALCRECT);
    int height = std::max(0, static_cast<int>(r.bottom - r.top));
    bool limited = false;
    if (p.paragraph && p.paragraph->maxLines > 0) {
        TEXTMETRICW tm{};
        if (GetTextMetricsW(measure, &tm) && tm.tmHeight > 0) {
            const long long limit = static_cast<long long>(p.paragraph->maxLines) * tm.tmHeight;
            limited = height > limit;
            height = static_cast<int>(std::min<long long>(height, limit));
        }
    }
    p.bottomReached = p.top + height;
    if (p.draw && target) {
        // The box ends at its bottom, or where the measured text ends.
        RECT box{p.left, p.top, p.right, p.bottom > p.top ? p.bottom : p.top + height};
        if (limited)
            box.bottom = std::min<LONG>(box.bottom, p.top + height);
        DrawTextW(target, text.c_str(), static_cast<int>(text.size()), &box, format);
    }
    return height;
}

}  // namespace kp
