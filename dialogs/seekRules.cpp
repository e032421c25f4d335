#include "dialogs/seekRules.h"

#include <array>

#include "platform/data/dbserver.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"

namespace kp {

namespace {

std::string Field(DBServer& db, const char* name) {
    Usual v = db.FieldGet(Symbol(name));
    return v.IsString() ? v.AsString() : std::string();
}

std::string FieldFrom(RecordBlock& block, uint32_t r, int pos) {
    if (pos <= 0)
        return {};
    Usual v = block.FieldGet(r, pos);
    return v.IsString() ? v.AsString() : std::string();
}

std::string JoinAddress(const std::string& nr, const std::string& vname, const std::string& nname,
                        const std::string& strasse, const std::string& plz,
                        const std::string& ort) {
    return nr + "  " + Trim(vname) + " " + Trim(nname) + " " + Trim(strasse) + " " + Trim(plz) +
           " " + Trim(ort);
}

// A term's bytes in the table's code page and the upper-case map of that
// code page: the scan compares stored bytes without decoding each record.
class ByteMatcher {
  public:
    ByteMatcher(const std::string& term, int cp) {
        ok_ = Utf8ToCp(Upper(term), cp, term_);
        for (int c = 0; c < 256; ++c)
            upper_[static_cast<size_t>(c)] = CpUpper(static_cast<unsigned char>(c), cp);
    }
    bool Possible() const { return ok_; }
    bool In(std::string_view text) const {
        const size_t n = term_.size();
        if (n == 0)
            return true;
        if (text.size() < n)
            return false;
        const auto first = static_cast<unsigned char>(term_[0]);
        for (size_t i = 0; i + n <= text.size(); ++i) {
            if (upper_[static_cast<unsigned char>(text[i])] != first)
                continue;
            size_t j = 1;
            while (j < n && upper_[static_cast<unsigned char>(text[i + j])] ==
                                static_cast<unsigned char>(term_[j]))
                ++j;
            if (j == n)
                return true;
        }
        return false;
    }

  private:
    bool ok_ = false;
    std::string term_;
    std::array<unsigned char, 256> upper_{};
};

void ToEnd(DBServer& db) {
    db.GoBottom();
    if (!db.EoF())
        db.Skip(1);
}

}  // namespace

std::string AddressEntry(DBServer& db) {
    return JoinAddress(Field(db, "ADRESSNR"), Field(db, "VNAME"), Field(db, "NNAME"),
                       Field(db, "STRASSE"), Field(db, "PLZ"), Field(db, "ORT"));
}

std::string ContractEntry(DBServer& db, bool byVersNr) {
    std::string entry = Field(db, "ADRESSNR") + "  " + Field(db, "NNAME") + "  ";
    if (byVersNr)
        return entry + Trim(Field(db, "VERSNR"));
    return entry + Field(db, "VERSNR") + Trim(Field(db, "ORT_S_FZKZ"));
}

bool StartsWithTerm(std::string_view text, std::string_view term) {
    const int n = static_cast<int>(Len(term));
    return Upper(Left(text, n)) == term;
}

SurnameSearch FindSurnames(DBServer& db, const std::string& term) {
    SurnameSearch result;
    const std::string upperTerm = Upper(term);
    db.GoTop();
    if (!db.Seek(Usual(Left(upperTerm, 1))) || db.EoF())
        return result;
    result.letterFound = true;
    // The names that begin with the term follow one another in the order.
    if (!db.Seek(Usual(upperTerm)))
        return result;
    while (!db.EoF()) {
        const std::string nname = Field(db, "NNAME");
        if (!StartsWithTerm(nname, upperTerm))
            break;
        result.hits.push_back(AddressEntry(db));
        db.Skip(1);
    }
    return result;
}

ContractSearch FindContracts(DBServer& db, bool byVersNr, const std::string& term, size_t limit) {
    ContractSearch result;
    const std::string upperTerm = Upper(term);
    const char* field = byVersNr ? "VERSNR" : "ORT_S_FZKZ";
    db.Seek(Usual(term));
    if (db.EoF())
        return result;
    result.found = true;
    result.firstRecNo = db.RecNo();
    result.firstAdressNr = Field(db, "ADRESSNR");
    db.Skip(1);
    if (db.EoF() || !StartsWithTerm(Field(db, field), upperTerm))
        return result;
    result.several = true;
    db.Skip(-1);
    for (size_t i = 0; i < limit && !db.EoF(); ++i) {
        if (!StartsWithTerm(Field(db, field), upperTerm))
            break;
        result.hits.push_back(ContractEntry(db, byVersNr));
        result.recNos.push_back(db.RecNo());
        db.Skip(1);
    }
    return result;
}

std::vector<std::string> FindContaining(DBServer& db, const std::string& term, bool wholeTable) {
    std::vector<std::string> hits;
    if (!db.Used())
        return hits;
    const ByteMatcher matcher(term, TableCodePage());
    const int vname = db.FieldPos(Symbol("VNAME"));
    const int nname = db.FieldPos(Symbol("NNAME"));
    const int posNr = db.FieldPos(Symbol("ADRESSNR")), posStr = db.FieldPos(Symbol("STRASSE")),
              posPlz = db.FieldPos(Symbol("PLZ")), posOrt = db.FieldPos(Symbol("ORT"));

    if (!wholeTable && db.IndexOrd() != 0) {
        // The rest in the order the user sees.
        const std::string upperTerm = Upper(term);
        while (!db.EoF()) {
            if (Upper(Field(db, "VNAME")).find(upperTerm) != std::string::npos ||
                Upper(Field(db, "NNAME")).find(upperTerm) != std::string::npos)
                hits.push_back(AddressEntry(db));
            db.Skip(1);
        }
        ToEnd(db);
        return hits;
    }

    uint32_t first = 1;
    if (!wholeTable)
        first = db.EoF() ? db.RecCount() + 1 : db.RecNo();
    const bool hideDeleted = GetDeleted();
    const uint32_t count = db.RecCount();
    constexpr uint32_t kBlock = 2048;
    RecordBlock block;
    for (uint32_t r0 = first; matcher.Possible() && r0 <= count; r0 += kBlock) {
        const uint32_t n = db.ReadBlock(r0, kBlock, block);
        if (n == 0)
            break;
        for (uint32_t r = r0; r < r0 + n; ++r) {
            if (hideDeleted && block.Deleted(r))
                continue;
            if (!matcher.In(block.FieldText(r, vname)) && !matcher.In(block.FieldText(r, nname)))
                continue;
            hits.push_back(JoinAddress(FieldFrom(block, r, posNr), FieldFrom(block, r, vname),
                                       FieldFrom(block, r, nname), FieldFrom(block, r, posStr),
                                       FieldFrom(block, r, posPlz), FieldFrom(block, r, posOrt)));
        }
    }
    ToEnd(db);
    return hits;
}

}  // namespace kp
