#include "platform/report/pages.h"

#include <cstring>

#include "platform/runtime/utf8.h"

namespace kp {

namespace {

int CALLBACK CollectRecord(HDC, HANDLETABLE*, const ENHMETARECORD* rec, int, LPARAM data) {
    auto* out = reinterpret_cast<std::vector<PageRecord>*>(data);
    PageRecord r;
    r.type = rec->iType;
    const auto* p = reinterpret_cast<const BYTE*>(rec);
    r.bytes.assign(p, p + rec->nSize);
    out->push_back(std::move(r));
    return 1;
}

}  // namespace

std::vector<PageRecord> ReadPageRecords(HENHMETAFILE page) {
    std::vector<PageRecord> out;
    if (page)
        EnumEnhMetaFile(nullptr, page, &CollectRecord, &out, nullptr);
    return out;
}

std::vector<std::vector<BYTE>> ReadPageComments(HENHMETAFILE page) {
    std::vector<std::vector<BYTE>> out;
    for (const PageRecord& r : ReadPageRecords(page)) {
        if (r.type != EMR_GDICOMMENT || r.bytes.size() < sizeof(EMRGDICOMMENT))
            continue;
        const auto* c = reinterpret_cast<const EMRGDICOMMENT*>(r.bytes.data());
        const size_t at = offsetof(EMRGDICOMMENT, Data);
        if (at + c->cbData > r.bytes.size())
            continue;
        out.emplace_back(r.bytes.begin() + at, r.bytes.begin() + at + c->cbData);
    }
    return out;
}

std::vector<PageText> ReadPageTexts(HENHMETAFILE page) {
    std::vector<PageText> out;
    for (const PageRecord& r : ReadPageRecords(page)) {
        if (r.type != EMR_EXTTEXTOUTW || r.bytes.size() < sizeof(EMREXTTEXTOUTW))
            continue;
        const auto* t = reinterpret_cast<const EMREXTTEXTOUTW*>(r.bytes.data());
        const size_t at = t->emrtext.offString;
        const size_t n = t->emrtext.nChars;
        if (at > r.bytes.size() || n > (r.bytes.size() - at) / sizeof(wchar_t))
            continue;
        std::wstring text(n, L'\0');
        std::memcpy(text.data(), r.bytes.data() + at, n * sizeof(wchar_t));
        // Glyph indices instead of characters carry no text to read.
        if (t->emrtext.fOptions & ETO_GLYPH_INDEX)
            continue;
        PageText pt;
        pt.text = WideToUtf8(text);
        pt.at = {t->emrtext.ptlReference.x, t->emrtext.ptlReference.y};
        out.push_back(std::move(pt));
    }
    return out;
}

bool SavePage(HENHMETAFILE page, const std::string& path) {
    if (!page)
        return false;
    HENHMETAFILE copy = CopyEnhMetaFileW(page, Utf8ToWide(path).c_str());
    if (!copy)
        return false;
    DeleteEnhMetaFile(copy);
    return true;
}

}  // namespace kp
