#include "wordpad/DokName.h"

#include <algorithm>
#include <optional>

#include "platform/data/dbserver.h"
#include "platform/runtime/numbers.h"
#include "platform/runtime/strings.h"
#include "wordpad/dateiInfoRules.h"

namespace kp {

namespace {

int Chars(const std::string& s) {
    return static_cast<int>(Len(s));
}

// SubStr with a start before the string or a count below zero taken as
// nothing, as short keys need.
std::string Part(const std::string& s, int start, int count) {
    if (count <= 0 || start < 1 || start > Chars(s))
        return {};
    return SubStr(s, start, count);
}

std::string Field(DBServer& db, const char* name) {
    return Trim(db.FieldGet(Symbol(name)).AsString());
}

// The index key a record of the key's type has, by the key expressions of
// DokName.ntx, DokName2.ntx and DokName3.ntx.
std::string IndexKey(DokTyp typ, const std::string& adressNr, const std::string& initial,
                     const std::string& gesNr, const std::string& gKurz,
                     const std::string& vermittNr, const std::string& jahr) {
    switch (typ) {
        case DokTyp::Kunde:
            return PadR(adressNr, 6) + PadR(initial, 2) + PadR(jahr, 4);
        case DokTyp::Gesell:
            return PadR(gesNr, 4) + Trim(gKurz) + PadR(jahr, 4);
        case DokTyp::Vermitt:
            return Trim(vermittNr) + PadR(initial, 2) + PadR(jahr, 4);
        case DokTyp::Keiner:
            break;
    }
    return {};
}

std::string SeekKey(const DokKey& k) {
    return IndexKey(k.typ, k.adressNr, k.initial, k.gesNr, k.gKurz, k.vermittNr, k.jahr);
}

// Whether the current record is the addressee's: every field of the type
// equal, not merely a key that begins like the sought one.
bool IsAddressee(DBServer& db, const DokKey& k) {
    if (Field(db, "JAHR") != Trim(k.jahr))
        return false;
    switch (k.typ) {
        case DokTyp::Kunde:
            return Field(db, "ADRESSNR") == Trim(k.adressNr) &&
                   Field(db, "INITIAL") == Trim(k.initial);
        case DokTyp::Gesell:
            return Field(db, "GESNR") == Trim(k.gesNr) && Field(db, "GKURZ") == Trim(k.gKurz);
        case DokTyp::Vermitt:
            return Field(db, "VERMITTNR") == Trim(k.vermittNr) &&
                   Field(db, "INITIAL") == Trim(k.initial);
        case DokTyp::Keiner:
            break;
    }
    return false;
}

// The addressee's live record with the lowest number (equal keys follow
// each other in record order), or nothing.
std::optional<uint32_t> FindAddressee(DBServer& db, const DokKey& k) {
    const std::string sought = SeekKey(k);
    if (!db.SetOrder(k.order) || !db.Seek(Usual(sought)))
        return std::nullopt;
    for (; !db.EoF(); db.Skip(1)) {
        const std::string current =
            IndexKey(k.typ, Field(db, "ADRESSNR"), Field(db, "INITIAL"), Field(db, "GESNR"),
                     Field(db, "GKURZ"), Field(db, "VERMITTNR"), Field(db, "JAHR"));
        if (current.compare(0, sought.size(), sought) != 0)
            break;  // past the keys that begin like the sought one
        if (!db.Deleted() && IsAddressee(db, k))
            return db.RecNo();
    }
    return std::nullopt;
}

// Whether every part of the key fits its field, so that a new record is
// never appended with a part cut off or left blank.
bool FitsFields(DBServer& db, const DokKey& k) {
    const std::pair<const char*, const std::string*> parts[] = {
        {"ADRESSNR", &k.adressNr}, {"INITIAL", &k.initial},     {"GESNR", &k.gesNr},
        {"GKURZ", &k.gKurz},       {"VERMITTNR", &k.vermittNr}, {"JAHR", &k.jahr}};
    const auto specs = db.FieldSpecs();
    for (const auto& [name, value] : parts) {
        if (value->empty())
            continue;
        auto spec = std::find_if(specs.begin(), specs.end(),
                                 [&](const auto& s) { return s.first == Symbol(name); });
        if (spec == specs.end() || static_cast<int>(Len(*value)) > spec->second.Length())
            return false;
    }
    return true;
}

bool Ok(DBServer& db) {
    return db.Status().IsNil();
}

DokNumberResult Failed(const std::string& what) {
    DokNumberResult r;
    r.message = what;
    return r;
}

const char* const kTableFailed =
    "Die laufende Nummer des Briefs konnte in DokName.dbf nicht vergeben werden.\r\n"
    "Bitte prüfen Sie, ob die Tabelle erreichbar ist, und versuchen Sie es erneut.";

// Takes the next number from the current record under its lock.
DokNumberResult TakeNext(DBServer& db, const DokKey& k) {
    if (!db.RLock() || !Ok(db))
        return Failed(kTableFailed);
    const int last = static_cast<int>(Val(AllTrim(db.FieldGet(Symbol("DOKLFDNR")).AsString())));
    if (last >= kMaxDokNumber) {
        db.Commit();  // releases the lock, nothing written
        return Failed("Für diesen Empfänger sind alle laufenden Nummern bis " +
                      std::to_string(kMaxDokNumber) +
                      " vergeben; ein weiterer Brief würde einen vorhandenen überschreiben.\r\n"
                      "Bitte legen Sie den Brief unter einem anderen Schlüssel an (zum Beispiel "
                      "mit dem neuen Jahr).");
    }
    const int next = last < 0 ? 1 : last + 1;
    db.FieldPut(Symbol("DOKLFDNR"), Usual(PadL(std::to_string(next), 4, "0")));
    if (!Ok(db) || !db.Commit())
        return Failed(kTableFailed);
    DokNumberResult r;
    r.ok = true;
    r.number = next;
    r.dokName = DokBaseName(k.key, next);
    return r;
}

}  // namespace

DokKey ParseDokKey(const std::string& dokNameNeu) {
    DokKey k;
    if (dokNameNeu.empty())
        return k;
    const std::string key = SubStr(dokNameNeu, 2);
    if (key.empty())
        return k;
    const int n = Chars(key);
    switch (dokNameNeu[0]) {
        case 'K':
            k.typ = DokTyp::Kunde;
            k.ordner = "Texte\\Kunden\\";
            k.order = 1;
            k.adressNr = Part(key, 1, 6);
            k.initial = Part(key, 7, 2);
            k.jahr = Part(key, 9, 4);
            break;
        case 'G':
            k.typ = DokTyp::Gesell;
            k.ordner = "Texte\\Gesell\\";
            k.order = 2;
            k.gesNr = Part(key, 1, 4);
            k.gKurz = Part(key, 5, n - 8);
            k.jahr = Part(key, std::max(n - 3, 5), 4);
            break;
        case 'V':
        case 'B':
            k.typ = DokTyp::Vermitt;
            k.ordner = "Texte\\Vermitt\\";
            k.order = 3;
            k.vermittNr = Part(key, 1, n - 6);
            k.initial = Part(key, std::max(n - 5, 1), std::min(2, n - 4));
            k.jahr = Part(key, std::max(n - 3, 1), 4);
            break;
        default:
            return k;
    }
    k.key = key;
    return k;
}

std::string DokAufrufFor(const DokKey& k) {
    switch (k.typ) {
        case DokTyp::Kunde:
            return "K" + AllTrim(k.adressNr);
        case DokTyp::Gesell:
            return "G" + AllTrim(k.gesNr);
        case DokTyp::Vermitt:
            return "V" + AllTrim(k.vermittNr);
        case DokTyp::Keiner:
            break;
    }
    return std::string();
}

std::string DokBaseName(const std::string& key, int number) {
    return key + "_" + PadL(std::to_string(number), 4, "0");
}

DokNumberResult ReserveDokNumber(DBServer& db, const DokKey& k,
                                 const std::function<void()>& afterMiss, int lockWaitMs) {
    if (!k.HasKey())
        return Failed("Der Brief hat keinen Empfänger, daher keine laufende Nummer.");
    if (!db.Used())
        return Failed(kTableFailed);
    if (auto found = FindAddressee(db, k); found && db.GoTo(*found))
        return TakeNext(db, k);
    if (!FitsFields(db, k))
        return Failed("Der Dokumentschlüssel „" + k.key +
                      "“ passt nicht in die Felder von DokName.dbf.\r\n"
                      "Bitte prüfen Sie den Schlüssel des Empfängers.");
    if (afterMiss)
        afterMiss();

    // A new addressee: its record is appended under the register's
    // numbering lock, so that two workstations never both append one; the
    // first look was without it, so look again under it.
    auto lock = NumberLock::Acquire(db.FullPath(), lockWaitMs);
    if (!lock)
        return Failed(
            "Ein anderer Arbeitsplatz vergibt gerade eine laufende Nummer in DokName.dbf.\r\n"
            "Bitte versuchen Sie es in einem Augenblick erneut.");
    // What a program killed in the middle of this left behind goes first.
    db.RepairAbandonedAppends();
    if (auto found = FindAddressee(db, k); found && db.GoTo(*found))
        return TakeNext(db, k);

    // Claim the key with "0000", then look again: a program that does not
    // take the numbering lock may have claimed it at the same moment.
    if (!db.Append() || !Ok(db))
        return Failed(kTableFailed);
    const uint32_t own = db.RecNo();
    // A failed reservation takes its claim back, unless another program
    // counted on it meanwhile.
    auto takeBack = [&] {
        if (!db.GoTo(own) || !db.RLock())
            return;
        const std::string taken = Field(db, "DOKLFDNR");
        if (taken.empty() || taken == "0000")
            db.Delete();
        db.Commit();
    };
    auto put = [&](const char* field, const std::string& value) {
        if (!value.empty())
            db.FieldPut(Symbol(field), Usual(value));
    };
    put("ADRESSNR", k.adressNr);
    put("INITIAL", k.initial);
    put("GESNR", k.gesNr);
    put("GKURZ", k.gKurz);
    put("VERMITTNR", k.vermittNr);
    put("JAHR", k.jahr);
    db.FieldPut(Symbol("DOKLFDNR"), Usual(std::string("0000")));
    if (!Ok(db) || !db.Commit()) {
        takeBack();
        return Failed(kTableFailed);
    }
    auto winner = FindAddressee(db, k);
    if (!winner) {
        takeBack();
        return Failed(kTableFailed);
    }
    if (*winner != own)
        takeBack();
    if (!db.GoTo(*winner))
        return Failed(kTableFailed);
    DokNumberResult r = TakeNext(db, k);
    if (!r.ok && *winner == own)
        takeBack();
    return r;
}

}  // namespace kp
