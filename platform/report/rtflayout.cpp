#include "platform/report/rtflayout.h"

#include <algorithm>
#include <map>

namespace kp {

bool RtfRun::SameLook(const RtfRun& o) const {
    return face == o.face && heightTwips == o.heightTwips && bold == o.bold && italic == o.italic &&
           underline == o.underline && strike == o.strike && colour == o.colour &&
           charset == o.charset && pitchAndFamily == o.pitchAndFamily;
}

namespace {

RtfRun RunAt(HWND edit, long cp) {
    CHARRANGE sel{cp, cp + 1};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof(cf);
    SendMessageW(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    RtfRun r;
    if (cf.szFaceName[0])
        r.face = cf.szFaceName;
    if (cf.yHeight > 0)
        r.heightTwips = static_cast<int>(cf.yHeight);
    r.bold = (cf.dwEffects & CFE_BOLD) != 0;
    r.italic = (cf.dwEffects & CFE_ITALIC) != 0;
    r.underline = (cf.dwEffects & CFE_UNDERLINE) != 0;
    r.strike = (cf.dwEffects & CFE_STRIKEOUT) != 0;
    r.colour = (cf.dwEffects & CFE_AUTOCOLOR) ? RGB(0, 0, 0) : cf.crTextColor;
    r.charset = cf.bCharSet;
    r.pitchAndFamily = cf.bPitchAndFamily;
    return r;
}

}  // namespace

RtfDocument ReadRichEdit(HWND edit) {
    RtfDocument doc;
    GETTEXTLENGTHEX q{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const long n =
        static_cast<long>(SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&q), 0));
    if (n <= 0)
        return doc;
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GETTEXTEX gt{};
    gt.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    gt.flags = GT_DEFAULT;
    gt.codepage = 1200;
    const LRESULT got = SendMessageW(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, n)));
    doc.text = std::move(text);
    const long len = doc.Length();

    for (long cp = 0; cp < len; ++cp) {
        RtfRun r = RunAt(edit, cp);
        if (!doc.runs.empty() && doc.runs.back().SameLook(r)) {
            doc.runs.back().end = cp + 1;
            continue;
        }
        r.start = cp;
        r.end = cp + 1;
        doc.runs.push_back(std::move(r));
    }

    long start = 0;
    while (start <= len) {
        long end = start;
        while (end < len && doc.text[static_cast<size_t>(end)] != L'\r')
            ++end;
        CHARRANGE sel{start, start};
        SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&sel));
        PARAFORMAT2 pf{};
        pf.cbSize = sizeof(pf);
        SendMessageW(edit, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
        RtfParagraph p;
        p.start = start;
        p.end = end;
        if (pf.wAlignment)
            p.align = pf.wAlignment;
        p.startIndentTwips = pf.dxStartIndent;
        p.offsetTwips = pf.dxOffset;
        p.rightIndentTwips = pf.dxRightIndent;
        p.spaceBeforeTwips = pf.dySpaceBefore;
        p.spaceAfterTwips = pf.dySpaceAfter;
        // A text that ends with a paragraph end has no paragraph after it.
        if (start < len || doc.paragraphs.empty())
            doc.paragraphs.push_back(p);
        if (end >= len)
            break;
        start = end + 1;
    }
    CHARRANGE none{0, 0};
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&none));
    return doc;
}

namespace {

// The fonts of the runs on one device context, made when first needed.
class RunFonts {
  public:
    RunFonts(const RtfDocument& doc, HDC dc)
        : doc_(doc), dc_(dc), dpiY_(GetDeviceCaps(dc, LOGPIXELSY)) {
        old_ = GetCurrentObject(dc, OBJ_FONT);
    }
    ~RunFonts() {
        SelectObject(dc_, old_);
        for (auto& [i, f] : fonts_)
            DeleteObject(f.font);
    }
    RunFonts(const RunFonts&) = delete;
    RunFonts& operator=(const RunFonts&) = delete;

    struct Font {
        HFONT font = nullptr;
        int ascent = 0;
        int descent = 0;
    };
    // Selects the run's font and answers its metrics.
    const Font& Select(size_t run) {
        auto it = fonts_.find(run);
        if (it == fonts_.end()) {
            const RtfRun& r = doc_.runs[run];
            Font f;
            f.font = CreateFontW(-MulDiv(r.heightTwips, dpiY_, 1440), 0, 0, 0,
                                 r.bold ? FW_BOLD : FW_NORMAL, r.italic, r.underline, r.strike,
                                 r.charset, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 r.pitchAndFamily, r.face.c_str());
            SelectObject(dc_, f.font);
            TEXTMETRICW tm{};
            GetTextMetricsW(dc_, &tm);
            f.ascent = tm.tmAscent;
            f.descent = tm.tmDescent;
            it = fonts_.emplace(run, f).first;
        }
        SelectObject(dc_, it->second.font);
        return it->second;
    }

  private:
    const RtfDocument& doc_;
    HDC dc_;
    int dpiY_;
    HGDIOBJ old_;
    std::map<size_t, Font> fonts_;
};

// The run that holds character cp (the last run for the text's end).
size_t RunIndex(const RtfDocument& doc, long cp) {
    auto it = std::upper_bound(doc.runs.begin(), doc.runs.end(), cp,
                               [](long c, const RtfRun& r) { return c < r.start; });
    if (it == doc.runs.begin())
        return 0;
    return static_cast<size_t>(it - doc.runs.begin()) - 1;
}

// Tabs and forced line ends: not drawn as characters.
bool IsControl(wchar_t c) {
    return c == L'\t' || c == L'\v' || c == L'\f';
}

struct Line {
    long start = 0;
    long visibleEnd = 0;  // without the blanks it ends with
    long next = 0;        // where the next line starts
    int width = 0;        // of the visible part
    int ascent = 0;
    int descent = 0;
};

// Sets one line from start within [start, end) into width pixels.
Line SetLine(const RtfDocument& doc, HDC dc, RunFonts& fonts, long start, long end, int width,
             int tabPixels) {
    Line line;
    line.start = start;
    int x = 0;
    int visibleRight = 0;  // right edge of the last character that is no blank
    long lastBreak = -1;   // the line may end before this character
    int widthAtBreak = 0;
    long cp = start;
    std::vector<int> extents;
    auto finish = [&](long next, int width) {
        line.next = next;
        line.width = width;
    };
    bool ended = false;
    while (cp < end && !ended) {
        const size_t run = RunIndex(doc, cp);
        const RunFonts::Font& f = fonts.Select(run);
        line.ascent = std::max(line.ascent, f.ascent);
        line.descent = std::max(line.descent, f.descent);
        const long pieceEnd = std::min<long>(end, doc.runs[run].end);
        // The run's piece up to its first tab or forced line end.
        long stop = cp;
        while (stop < pieceEnd && !IsControl(doc.text[static_cast<size_t>(stop)]))
            ++stop;
        if (stop > cp) {
            const int n = static_cast<int>(stop - cp);
            extents.assign(static_cast<size_t>(n), 0);
            SIZE total{};
            GetTextExtentExPointW(dc, doc.text.c_str() + cp, n, 0, nullptr, extents.data(), &total);
            for (int i = 0; i < n && !ended; ++i) {
                const long at = cp + i;
                const wchar_t c = doc.text[static_cast<size_t>(at)];
                const int right = x + extents[static_cast<size_t>(i)];
                if (c != L' ' && right > width && at > start) {
                    // Overflow: back to the last blank, or break the word here.
                    if (lastBreak > start)
                        finish(lastBreak, widthAtBreak);
                    else
                        finish(at, visibleRight);
                    ended = true;
                } else if (c == L' ') {
                    if (at + 1 >= end || doc.text[static_cast<size_t>(at + 1)] != L' ') {
                        lastBreak = at + 1;
                        widthAtBreak = visibleRight;
                    }
                } else {
                    visibleRight = right;
                }
            }
            if (ended)
                break;
            x += extents[static_cast<size_t>(n - 1)];
            cp = stop;
            continue;
        }
        const wchar_t c = doc.text[static_cast<size_t>(cp)];
        if (c == L'\t') {
            lastBreak = cp + 1;
            widthAtBreak = visibleRight;
            x = tabPixels > 0 ? (x / tabPixels + 1) * tabPixels : x;
            ++cp;
            continue;
        }
        // A forced line end (\line, \page) ends the line after it.
        finish(cp + 1, visibleRight);
        ended = true;
    }
    if (!ended)
        finish(end, visibleRight);
    // The blanks and breaks at the line's end are not drawn.
    line.visibleEnd = line.next;
    while (line.visibleEnd > start) {
        const wchar_t c = doc.text[static_cast<size_t>(line.visibleEnd - 1)];
        if (c != L' ' && !IsControl(c))
            break;
        --line.visibleEnd;
    }
    if (line.ascent == 0) {
        const RunFonts::Font& f = fonts.Select(RunIndex(doc, start));
        line.ascent = f.ascent;
        line.descent = f.descent;
    }
    return line;
}

void DrawLine(const RtfDocument& doc, HDC dc, RunFonts& fonts, const Line& line, int left,
              int baseline, int tabPixels) {
    int x = 0;
    long cp = line.start;
    while (cp < line.visibleEnd) {
        const size_t run = RunIndex(doc, cp);
        fonts.Select(run);
        SetTextColor(dc, doc.runs[run].colour);
        const long pieceEnd = std::min<long>(line.visibleEnd, doc.runs[run].end);
        long stop = cp;
        while (stop < pieceEnd && doc.text[static_cast<size_t>(stop)] != L'\t')
            ++stop;
        if (stop > cp) {
            const int n = static_cast<int>(stop - cp);
            ExtTextOutW(dc, left + x, baseline, 0, nullptr, doc.text.c_str() + cp,
                        static_cast<UINT>(n), nullptr);
            SIZE s{};
            GetTextExtentPoint32W(dc, doc.text.c_str() + cp, n, &s);
            x += s.cx;
            cp = stop;
            continue;
        }
        x = tabPixels > 0 ? (x / tabPixels + 1) * tabPixels : x;
        ++cp;
    }
}

}  // namespace

PageLayout LayoutPage(const RtfDocument& doc, HDC dc, RECT box, long first, bool draw) {
    PageLayout result;
    const long len = doc.Length();
    first = std::clamp<long>(first, 0, len);
    result.next = first;
    result.bottom = box.top;
    if (!dc || first >= len || doc.paragraphs.empty())
        return result;
    const int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    if (dpiX <= 0 || dpiY <= 0)
        return result;
    auto px = [&](int twips) { return MulDiv(twips, dpiX, 1440); };
    auto py = [&](int twips) { return MulDiv(twips, dpiY, 1440); };
    const int tabPixels = px(720);
    const int boxWidth = static_cast<int>(box.right - box.left);

    RunFonts fonts(doc, dc);
    const int oldAlign = static_cast<int>(SetTextAlign(dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = GetTextColor(dc);

    int y = box.top;
    long cp = first;
    bool anything = false;
    auto para = std::upper_bound(doc.paragraphs.begin(), doc.paragraphs.end(), cp,
                                 [](long c, const RtfParagraph& p) { return c < p.start; });
    if (para != doc.paragraphs.begin())
        --para;
    for (; para != doc.paragraphs.end() && cp < len; ++para) {
        const RtfParagraph& p = *para;
        if (cp == p.start && anything)
            y += py(p.spaceBeforeTwips);
        bool stop = false;
        do {
            const bool firstLine = cp == p.start;
            const int indent = px(p.startIndentTwips + (firstLine ? 0 : p.offsetTwips));
            const int width = std::max(1, boxWidth - indent - px(p.rightIndentTwips));
            const Line line = SetLine(doc, dc, fonts, cp, p.end, width, tabPixels);
            const int height = line.ascent + line.descent;
            if (y + height > box.bottom) {
                stop = true;
                break;
            }
            if (draw) {
                int shift = 0;
                if (p.align == PFA_CENTER)
                    shift = (width - line.width) / 2;
                else if (p.align == PFA_RIGHT)
                    shift = width - line.width;
                DrawLine(doc, dc, fonts, line,
                         static_cast<int>(box.left) + indent + std::max(0, shift), y + line.ascent,
                         tabPixels);
            }
            y += height;
            anything = true;
            cp = line.next;
        } while (cp < p.end);
        if (stop)
            break;
        // Past the paragraph end.
        cp = std::max(cp, std::min(len, p.end + 1));
        y += py(p.spaceAfterTwips);
    }
    SetTextAlign(dc, static_cast<UINT>(oldAlign));
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
    result.next = cp;
    result.fittedNothing = !anything;
    result.bottom = y;
    return result;
}

}  // namespace kp
