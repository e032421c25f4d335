#include "platform/data/rowsource.h"

#include <algorithm>
#include <bit>

#include "platform/runtime/codepage.h"
#include "platform/runtime/date.h"
#include "platform/runtime/numbers.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"

namespace kp {

namespace {

// Records are read in runs of about this many bytes; the pass over the
// deletion flags reads larger ones.
constexpr size_t kChunkBytes = 256 * 1024;
constexpr size_t kScanBytes = 1024 * 1024;

bool IsDeleted(const char* record) {
    return record[0] == '*';
}

}  // namespace

RowSource::RowSource(DBServer& server) : server_(server) {
    Refresh();
}

template <class Fn>
bool RowSource::ForEachRecord(uint32_t first, uint32_t last, uint32_t chunk, Fn&& fn) {
    if (recSize_ == 0 || first == 0 || first > last)
        return true;
    const size_t bytes = chunk == UINT32_MAX ? kScanBytes : kChunkBytes;
    const uint32_t per =
        std::max<uint32_t>(1, std::min<uint32_t>(chunk, static_cast<uint32_t>(bytes / recSize_)));
    scratch_.resize(static_cast<size_t>(per) * recSize_);
    for (uint32_t r = first; r <= last;) {
        const uint32_t want = std::min(per, last - r + 1);
        const uint32_t got = server_.ReadRecords(r, want, scratch_.data());
        ++reads_;
        if (got == 0) {
            // The end of the file, or a failed read (already reported).
            if (!server_.Status().IsNil())
                broken_ = true;
            return !broken_;
        }
        for (uint32_t i = 0; i < got; ++i)
            if (!fn(r + i, scratch_.data() + static_cast<size_t>(i) * recSize_))
                return true;
        r += got;
        if (got < want)
            return true;
    }
    return true;
}

uint32_t RowSource::Refresh() {
    pages_.clear();
    visible_.clear();
    before_.clear();
    broken_ = false;
    hidden_ = 0;
    fields_.clear();
    offsets_.clear();
    uint32_t offset = 1;
    for (const auto& [name, spec] : server_.FieldSpecs()) {
        fields_.push_back(spec);
        offsets_.push_back(offset);
        offset += static_cast<uint32_t>(spec.Length());
    }
    recSize_ = server_.RecSize();
    records_ = server_.Used() ? server_.RecCount() : 0;
    rows_ = records_;
    if (records_ == 0 || !GetDeleted())
        return rows_;

    // One pass over the deletion flags.
    visible_.assign((static_cast<size_t>(records_) + 63) / 64, 0);
    uint32_t seen = 0, rows = 0;
    const bool ok = ForEachRecord(1, records_, UINT32_MAX, [&](uint32_t r, const char* rec) {
        seen = r;
        if (!IsDeleted(rec)) {
            visible_[(r - 1) / 64] |= uint64_t{1} << ((r - 1) % 64);
            ++rows;
        }
        return true;
    });
    if (scratch_.size() > kChunkBytes)
        std::vector<char>().swap(scratch_);  // the scan's buffer is not kept
    // What could be read is what there is.
    records_ = ok ? seen : 0;
    rows_ = ok ? rows : 0;
    hidden_ = records_ - rows_;
    if (hidden_ == 0) {
        visible_.clear();  // every record is a row: row n is record n+1
        visible_.shrink_to_fit();
        return rows_;
    }
    visible_.resize((static_cast<size_t>(records_) + 63) / 64);
    const uint32_t blocks = (records_ + kBlockRecords - 1) / kBlockRecords;
    before_.assign(static_cast<size_t>(blocks) + 1, 0);
    constexpr size_t kWords = kBlockRecords / 64;
    for (uint32_t b = 0; b < blocks; ++b) {
        uint32_t n = 0;
        for (size_t w = b * kWords; w < std::min(visible_.size(), (b + 1) * kWords); ++w)
            n += static_cast<uint32_t>(std::popcount(visible_[w]));
        before_[b + 1] = before_[b] + n;
    }
    return rows_;
}

bool RowSource::Visible(uint32_t recNo) const {
    if (visible_.empty())
        return true;
    return (visible_[(recNo - 1) / 64] >> ((recNo - 1) % 64)) & 1;
}

uint32_t RowSource::RecNo(uint32_t row) {
    if (row >= rows_)
        return 0;
    if (before_.empty())
        return row + 1;
    // The block whose rows include this one: before_[b] <= row < before_[b+1].
    const auto it = std::upper_bound(before_.begin(), before_.end(), row);
    const auto block = static_cast<uint32_t>(it - before_.begin()) - 1;
    uint32_t k = row - before_[block];
    constexpr size_t kWords = kBlockRecords / 64;
    for (size_t w = block * kWords; w < visible_.size(); ++w) {
        uint64_t bits = visible_[w];
        const auto n = static_cast<uint32_t>(std::popcount(bits));
        if (k >= n) {
            k -= n;
            continue;
        }
        while (k-- > 0)
            bits &= bits - 1;  // drop the lowest set bit
        return static_cast<uint32_t>(w * 64) + static_cast<uint32_t>(std::countr_zero(bits)) + 1;
    }
    return 0;
}

int64_t RowSource::RowOf(uint32_t recNo) {
    if (recNo == 0 || recNo > records_ || !Visible(recNo))
        return -1;
    if (before_.empty())
        return recNo - 1;
    const uint32_t block = (recNo - 1) / kBlockRecords;
    constexpr size_t kWords = kBlockRecords / 64;
    int64_t row = before_[block];
    const size_t word = (recNo - 1) / 64;
    for (size_t w = block * kWords; w < word; ++w)
        row += std::popcount(visible_[w]);
    const uint64_t below = (uint64_t{1} << ((recNo - 1) % 64)) - 1;
    return row + std::popcount(visible_[word] & below);
}

void RowSource::Fill(Page& page) {
    page.recNos.clear();
    page.bytes.clear();
    const uint32_t firstRow = page.index * kPageRows;
    if (firstRow >= rows_)
        return;
    const uint32_t want = std::min(kPageRows, rows_ - firstRow);
    page.bytes.reserve(static_cast<size_t>(want) * recSize_);
    uint32_t from = RecNo(firstRow);
    if (from == 0)
        return;
    // A page's records in one read, with room for a few hidden ones.
    const uint32_t chunk = visible_.empty() ? want : want + want / 4;
    ForEachRecord(from, records_, chunk, [&](uint32_t r, const char* rec) {
        if (!Visible(r))
            return true;
        page.recNos.push_back(r);
        page.bytes.insert(page.bytes.end(), rec, rec + recSize_);
        return page.recNos.size() < want;
    });
}

const RowSource::Page* RowSource::GetPage(uint32_t index) {
    for (Page& p : pages_) {
        if (p.index == index) {
            p.used = ++clock_;
            return &p;
        }
    }
    if (broken_)
        return nullptr;
    Page* slot = nullptr;
    if (pages_.size() < kPages) {
        pages_.emplace_back();
        slot = &pages_.back();
    } else {
        slot = &*std::min_element(pages_.begin(), pages_.end(),
                                  [](const Page& a, const Page& b) { return a.used < b.used; });
    }
    slot->index = index;
    slot->used = ++clock_;
    Fill(*slot);
    return slot;
}

const char* RowSource::Record(uint32_t row, int field) {
    if (row >= rows_ || field < 1 || field > static_cast<int>(fields_.size()))
        return nullptr;
    const Page* page = GetPage(row / kPageRows);
    const uint32_t i = row % kPageRows;
    if (!page || i >= page->recNos.size())
        return nullptr;
    return page->bytes.data() + static_cast<size_t>(i) * recSize_;
}

bool RowSource::Value(uint32_t row, int field, Usual* value) {
    const char* rec = Record(row, field);
    return rec && server_.FieldGetFrom(rec, field, value);
}

std::string RowSource::Text(uint32_t row, int field) {
    const char* rec = Record(row, field);
    if (!rec)
        return {};
    const FieldSpec& spec = fields_[static_cast<size_t>(field - 1)];
    const std::string_view stored(rec + offsets_[static_cast<size_t>(field - 1)],
                                  static_cast<size_t>(spec.Length()));
    if (spec.ValType() == 'M') {
        // Only whether there is a memo: its text is not read for a cell.
        const bool none = stored.find_first_not_of(" 0") == std::string_view::npos;
        return none ? std::string() : std::string(kMemoMarker);
    }
    Usual v;
    if (!server_.FieldGetFrom(rec, field, &v))
        return AllTrim(CpToUtf8(stored, TableCodePage()));
    return FormatValue(spec, v);
}

void RowSource::Hint(uint32_t first, uint32_t last) {
    if (first > last || first >= rows_)
        return;
    last = std::min(last, rows_ - 1);
    const uint32_t from = first / kPageRows, to = last / kPageRows;
    for (uint32_t p = from; p <= to && p - from < kPages; ++p)
        GetPage(p);
}

void RowSource::DropCache() {
    pages_.clear();
}

std::string RowSource::FormatValue(const FieldSpec& field, const Usual& value) {
    if (value.IsNil())
        return {};
    switch (field.ValType()) {
        case 'N':
        case 'F':
            return LTrim(Str(value.AsFloat(), field.Length(), field.Decimals()));
        case 'D':
            return DToC(value.AsDate());
        case 'L':
            return value.AsLogic() ? "T" : "F";
        case 'M':
            return value.IsString() && !value.AsString().empty() ? kMemoMarker : "";
        default:
            return value.IsString() ? RTrim(value.AsString()) : value.AsText();
    }
}

bool RowSource::ParseText(const FieldSpec& field, const std::string& text, Usual* value) {
    const std::string t = AllTrim(text);
    switch (field.ValType()) {
        case 'C':
            *value = Usual(RTrim(text));
            return true;
        case 'N':
        case 'F': {
            // A sign, digits and at most one decimal separator: no more.
            const char32_t sep = GetDecimalSep();
            bool point = false, digits = false;
            for (size_t i = 0; i < t.size(); ++i) {
                const char c = t[i];
                if (c >= '0' && c <= '9')
                    digits = true;
                else if ((c == '-' || c == '+') && i == 0)
                    continue;
                else if (!point && (c == '.' || (sep < 0x80 && c == static_cast<char>(sep))))
                    point = true;
                else
                    return false;
            }
            if (!digits && !t.empty())
                return false;
            *value = Usual(Float{Val(t), field.Decimals()});
            return true;
        }
        case 'D': {
            if (t.find_first_not_of(" ./-") == std::string::npos) {
                *value = Usual(Date());
                return true;
            }
            const Date d = CToD(t);
            if (d.IsEmpty())
                return false;
            *value = Usual(d);
            return true;
        }
        case 'L': {
            if (t.empty()) {
                *value = Usual(false);
                return true;
            }
            const std::string u = Upper(t);
            if (u == "T" || u == "J" || u == "Y" || u == "JA" || u == ".T.") {
                *value = Usual(true);
                return true;
            }
            if (u == "F" || u == "N" || u == "NEIN" || u == ".F.") {
                *value = Usual(false);
                return true;
            }
            return false;
        }
        default:
            return false;
    }
}

}  // namespace kp
