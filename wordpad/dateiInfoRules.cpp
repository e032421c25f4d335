#include "wordpad/dateiInfoRules.h"

#include <initializer_list>
#include <utility>

#include "app/funVelto.h"
#include "platform/data/dbserver.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/error.h"
#include "platform/runtime/settings.h"
#include "platform/runtime/strings.h"

namespace kp {

namespace {

// A character field's value as stored (padded), "" when it is not one.
std::string Text(DBServer& server, const char* field) {
    const Usual v = server.FieldGet(Symbol(field));
    return v.IsString() ? v.AsString() : std::string();
}

double Number(DBServer& server, const char* field) {
    const Usual v = server.FieldGet(Symbol(field));
    return v.IsNumeric() ? v.AsFloat() : 0.0;
}

// The description of the error a server's last operation left, for a
// message; "" when it succeeded.
std::string ErrorText(const DBServer& server) {
    const Usual& s = server.Status();
    if (s.IsNil())
        return "";
    if (s.IsObject())
        if (auto* e = dynamic_cast<const Error*>(s.AsObject().get()))
            return e->Description.empty() ? ErrString(e->GenCode) : e->Description;
    return s.AsText();
}

std::string TableName(const DBServer& server) {
    return DateiName(server.FullPath());
}

// Whether the character fields of the table exist and the values fit.
enum class Fit { Cut, Refuse };

struct FieldValue {
    const char* field = "";
    Usual value;
    Fit fit = Fit::Cut;
    const char* label = "";  // what the user calls it, for messages
};

// Checks every value against its field and cuts descriptive texts to the
// width, before anything is written. False with a German message when a
// value cannot be stored.
bool Prepare(DBServer& server, std::vector<FieldValue>& values, std::string* message) {
    const auto specs = server.FieldSpecs();
    for (FieldValue& fv : values) {
        const Symbol name(fv.field);
        const FieldSpec* def = nullptr;
        for (const auto& [sym, s] : specs)
            if (sym == name)
                def = &s;
        if (!def) {
            *message = "Die Tabelle " + TableName(server) + " hat kein Feld " + fv.field +
                       ".\nBitte lassen Sie die Tabelle von der Datenpflege prüfen.";
            return false;
        }
        const int width = def->Length();
        if (fv.value.IsString()) {
            std::string text = fv.value.AsString();
            std::string bytes;
            size_t bad = 0;
            if (!Utf8ToCp(text, TableCodePage(), bytes, &bad)) {
                *message = std::string("Das Feld \"") + fv.label + "\" enthält das Zeichen \"" +
                           SubStr(text, static_cast<int>(bad) + 1, 1) + "\", das die Tabelle " +
                           TableName(server) +
                           " nicht speichern kann.\nBitte ersetzen Sie es und legen Sie das "
                           "Dokument erneut ab.";
                return false;
            }
            if (def->ValType() == 'C' && static_cast<int>(Len(text)) > width) {
                if (fv.fit == Fit::Refuse) {
                    *message = std::string("Das Feld \"") + fv.label + "\" ist mit " +
                               std::to_string(Len(text)) + " Zeichen zu lang für die Tabelle " +
                               TableName(server) + " (höchstens " + std::to_string(width) +
                               " Zeichen).\nBitte speichern Sie das Dokument unter einem "
                               "kürzeren Namen oder in einem kürzeren Verzeichnis.";
                    return false;
                }
                fv.value = Usual(Left(text, width));
            }
        } else if (fv.value.IsNumeric()) {
            const int decimals = def->Decimals();
            const double limit = [&] {
                double l = 1;
                for (int i = 0; i < width - (decimals > 0 ? decimals + 1 : 0); ++i)
                    l *= 10;
                return l;
            }();
            if (fv.value.AsFloat() >= limit) {
                *message = std::string("Die Tabelle ") + TableName(server) +
                           " hat keinen Platz für eine weitere Nummer (" + fv.label +
                           ").\nBitte wenden Sie sich an die Datenpflege.";
                return false;
            }
        }
    }
    return true;
}

// Appends one record with all values, or nothing: a failure after the
// append deletes the record again, so no blank or half-filled record stays.
bool AppendAll(DBServer& server, const std::vector<FieldValue>& values, std::string* message) {
    auto failed = [&](const std::string& what) {
        *message = "Das Dokument konnte nicht in " + TableName(server) + " abgelegt werden" +
                   (what.empty() ? "." : ":\n" + what);
    };
    if (!server.Append()) {
        failed(ErrorText(server));
        return false;
    }
    bool written = false;
    auto undo = [&] {
        server.Delete();
        server.Commit();
    };
    try {
        for (const FieldValue& fv : values) {
            server.FieldPut(Symbol(fv.field), fv.value);
            if (!server.Status().IsNil()) {
                failed(ErrorText(server));
                undo();
                return false;
            }
        }
        written = server.Commit();
        if (!written) {
            failed(ErrorText(server));
            undo();
        }
    } catch (...) {
        // An error handler that breaks: take the record back, then let the
        // break go on to its recovery point.
        if (!written)
            undo();
        throw;
    }
    return written;
}

// The highest number in the register's number order, deleted records
// included: a number once given stays given.
int32_t HighestNumber(DBServer& server, const char* field) {
    // The setting comes back also when reading the register fails.
    struct ShowDeleted {
        bool hidden = SetDeleted(false);
        ~ShowDeleted() { SetDeleted(hidden); }
    } showDeleted;
    server.GoBottom();
    const double n = server.EoF() ? 0.0 : Number(server, field);
    return static_cast<int32_t>(n);
}

std::string NotOpen(const char* what, const char* file) {
    return std::string("Das Dokument kann nicht abgelegt werden: ") + what + " (" + file +
           ") ist nicht geöffnet.\nBitte prüfen Sie den Datenpfad und ob die Tabelle "
           "vorhanden ist.";
}

// The file name without directory and extension, upper case.
std::string Stem(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos)
        name.resize(dot);
    return Upper(name);
}

bool NumberLockRefused(std::string* message) {
    *message =
        "Ein anderer Arbeitsplatz legt gerade ein Dokument ab, die nächste Nummer ist "
        "noch nicht frei.\nBitte versuchen Sie es in einem Augenblick noch einmal.";
    return false;
}

}  // namespace

bool IndexesOpen(const DBServer& server, const char* const* indexes, size_t count,
                 std::string* message) {
    for (size_t i = 0; i < count; ++i) {
        const int order = static_cast<int>(i) + 1;
        if (server.OrderCount() >= order && Stem(server.OrderPath(order)) == Stem(indexes[i]))
            continue;
        *message = std::string("Das Dokument kann nicht abgelegt werden: der Index ") + indexes[i] +
                   " von " + TableName(server) +
                   " ist nicht geöffnet.\nOhne ihn würde die Nummer in falscher Reihenfolge "
                   "gelesen oder der Index nicht fortgeschrieben. Bitte prüfen Sie, ob er im "
                   "Datenverzeichnis vorhanden ist, und lassen Sie die Indexe bei Bedarf neu "
                   "aufbauen (Reorganisation).";
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- boxes

DokAufruf ParseDokAufruf(std::string_view dokAufruf) {
    DokAufruf a;
    if (dokAufruf.empty())
        return a;
    const std::string rest(dokAufruf.substr(1));
    switch (dokAufruf.front()) {
        case 'K':
            a.cKunde = rest;
            break;
        case 'G':
            a.cGesell = rest;
            break;
        case 'B':
        case 'V':
            a.cVermittler = rest;
            break;
        default:
            break;
    }
    return a;
}

std::string PersonText(std::string_view anrede, std::string_view titel, std::string_view vname,
                       std::string_view nname) {
    std::string out;
    for (std::string_view part : {anrede, titel, vname, nname}) {
        const std::string t = AllTrim(part);
        if (t.empty())
            continue;
        if (!out.empty())
            out += ' ';
        out += t;
    }
    return out;
}

std::string PersonText(DBServer& server) {
    return PersonText(Text(server, "ANREDE"), Text(server, "TITEL"), Text(server, "VNAME"),
                      Text(server, "NNAME"));
}

std::string KundenEntry(DBServer& adressen) {
    return Text(adressen, "ADRESSNR") + " " + Text(adressen, "NNAME") + " " +
           Text(adressen, "VNAME");
}

std::string GesellEntry(DBServer& gesellA) {
    return Text(gesellA, "GESELL") + " " + Text(gesellA, "SPARTE") + " " + Text(gesellA, "GESNR");
}

std::string VermittEntry(DBServer& vermitt) {
    return Text(vermitt, "BETREUNR") + " " + Text(vermitt, "NNAME") + " " + Text(vermitt, "VNAME");
}

std::vector<std::string> GesellList(DBServer& gesellA) {
    std::vector<std::string> list;
    gesellA.GoTop();
    const uint32_t count = gesellA.RecCount();
    for (uint32_t i = 1; i <= count && !gesellA.EoF(); ++i) {
        list.push_back(GesellEntry(gesellA));
        gesellA.Skip(1);
    }
    return list;
}

std::vector<std::string> VermittList(DBServer& vermitt) {
    std::vector<std::string> list;
    vermitt.GoTop();
    const uint32_t count = vermitt.RecCount();
    for (uint32_t i = 1; i <= count && !vermitt.EoF(); ++i) {
        const Usual aktiv = vermitt.FieldGet(Symbol("AKTIV"));
        if (!(aktiv.IsLogic() && aktiv.AsLogic()))
            list.push_back(VermittEntry(vermitt));
        vermitt.Skip(1);
    }
    return list;
}

const std::vector<std::string>& VorlageTypen() {
    static const std::vector<std::string> types{" ", "Kunden", "Gesellschaften", "Betreuer"};
    return types;
}

std::string VorlageTyp(std::string_view typText) {
    return Left(AllTrim(typText), 1);
}

std::string BoxKey(std::string_view boxText, int n) {
    return Left(AllTrim(boxText), n);
}

namespace {

// Seeks the key in the order and stands on a record whose number field is
// exactly the key (the seek itself only compares the key's length).
bool SeekNumber(DBServer& server, int order, const char* numberField, std::string_view key) {
    if (AllTrim(key).empty())
        return false;
    server.SetOrder(order);
    server.Seek(Usual(std::string(key)));
    return server.Found() && AllTrim(Text(server, numberField)) == AllTrim(key);
}

std::string PersonBy(DBServer& server, int order, const char* numberField, std::string_view key) {
    return SeekNumber(server, order, numberField, key) ? PersonText(server) : std::string();
}

}  // namespace

std::string KundenEintrag(DBServer& adressen, std::string_view key) {
    return SeekNumber(adressen, 1, "ADRESSNR", key) ? KundenEntry(adressen) : std::string();
}

std::string GesellEintrag(DBServer& gesellA, std::string_view key) {
    return SeekNumber(gesellA, 2, "GESNR", key) ? GesellEntry(gesellA) : std::string();
}

std::string VermittEintrag(DBServer& vermitt, std::string_view key) {
    return SeekNumber(vermitt, 2, "BETREUNR", key) ? VermittEntry(vermitt) : std::string();
}

std::string KundeText(DBServer& adressen, std::string_view kundenNr) {
    return PersonBy(adressen, 1, "ADRESSNR", kundenNr);
}

std::string VermittlerText(DBServer& vermitt, std::string_view vermittNr) {
    return PersonBy(vermitt, 2, "BETREUNR", vermittNr);
}

// ---------------------------------------------------------------- filing

std::optional<NumberLock> NumberLock::Acquire(const std::string& dbfPath, int waitMs) {
    NumberLock n;
    uint32_t err = 0;
    n.file_ = OsFile::Open(dbfPath, OsFile::Share::Shared, OsFile::Access::ReadWrite, &err);
    if (!n.file_)
        return std::nullopt;
    const int64_t until = NowMs() + waitMs;
    while (!n.file_->TryLock(kOffset, 1)) {
        if (NowMs() >= until)
            return std::nullopt;
        SleepMs(20);
    }
    n.lock_ = RangeLock(n.file_.get(), kOffset, 1);
    return n;
}

NumberLock::~NumberLock() = default;

AblageErgebnis DateiAblegen(const DateiInfoTabellen& t, const DateiInfoEingabe& in,
                            int lockWaitMs) {
    AblageErgebnis r;
    const std::string cDateiName = DateiName(in.cAblage);
    const std::string titel = AllTrim(in.titel);

    if (in.vorlage) {
        if (!t.textVor || !t.textVor->Used()) {
            r.meldung = NotOpen("Vorlagenregister", "TextVor.dbf");
            return r;
        }
        DBServer& tv = *t.textVor;
        std::vector<FieldValue> values{
            {"VORNR", Usual(int32_t{0}), Fit::Refuse, "Vorlagennummer"},
            {"VORTYP", Usual(VorlageTyp(in.vorlageTyp)), Fit::Cut, "Vorlagetyp"},
            {"TXTVLDATEI", Usual(cDateiName), Fit::Refuse, "Dateiname"},
            {"TXTVLTITEL", Usual(titel), Fit::Cut, "Dokumenttitel"},
            {"DATUM", Usual(in.heute), Fit::Cut, "Erstellungsdatum"},
            {"ABLAGE", Usual(in.cAblage), Fit::Refuse, "Dateiablage"},
        };
        if (!IndexesOpen(tv, kTextVorIndexes, &r.meldung) || !Prepare(tv, values, &r.meldung))
            return r;
        auto lock = NumberLock::Acquire(tv.FullPath(), lockWaitMs);
        if (!lock) {
            NumberLockRefused(&r.meldung);
            return r;
        }
        tv.RepairAbandonedAppends();
        if (!tv.SetOrder(4)) {
            r.meldung = NotOpen("die Nummernfolge des Vorlagenregisters", "TextVor4.ntx");
            return r;
        }
        const int32_t nr = HighestNumber(tv, "VORNR") + 1;
        values[0].value = Usual(nr);
        if (!Prepare(tv, values, &r.meldung) || !AppendAll(tv, values, &r.meldung))
            return r;
        r.vorNr = nr;
        r.ok = true;
        return r;
    }

    if (!t.dokVW || !t.dokVW->Used()) {
        r.meldung = NotOpen("Dokumentenregister", "DokVW.dbf");
        return r;
    }
    // A resubmission needs a day to come back on.
    Date wvDatum;
    if (in.wiedervorlage) {
        wvDatum = CToD(AllTrim(in.wvDatum));
        if (wvDatum.IsEmpty()) {
            r.meldung =
                "Für die Wiedervorlage fehlt ein gültiges Datum (TT.MM.JJJJ).\nBitte tragen "
                "Sie das Wiedervorlagedatum ein oder nehmen Sie das Häkchen bei der "
                "Wiedervorlage weg.";
            return r;
        }
        if (!t.datWV || !t.datWV->Used()) {
            r.meldung = NotOpen("Wiedervorlage", "DatWV.dbf");
            return r;
        }
    }

    const std::string kundenNr = BoxKey(in.kundeBox, kKundenNrLen);
    const std::string kunde = t.adressen ? KundeText(*t.adressen, kundenNr) : std::string();
    const std::string gesell = BoxKey(in.gesellBox, kGesellLen);
    const std::string vermittNr = BoxKey(in.betreuerBox, kVermittNrLen);
    const std::string vermittler =
        t.vermitt ? VermittlerText(*t.vermitt, vermittNr) : std::string();

    DBServer& dv = *t.dokVW;
    std::vector<FieldValue> values{
        {"DOKNR", Usual(int32_t{0}), Fit::Refuse, "Dokumentnummer"},
        {"DURSPRUNG", Usual(in.cUrsprung), Fit::Cut, "Ursprung"},
        {"ADRESSNR", Usual(kundenNr), Fit::Cut, "Kundenname"},
        {"KUNDE", Usual(kunde), Fit::Cut, "Kundenname"},
        {"GESELL", Usual(gesell), Fit::Cut, "Gesellschaft"},
        {"VERMITTNR", Usual(vermittNr), Fit::Cut, "Betreuer"},
        {"VERMITTLER", Usual(vermittler), Fit::Cut, "Betreuer"},
        {"VERSSPARTE", Usual(AllTrim(in.verssparte)), Fit::Cut, "Versicherungssparte"},
        {"VERSANDART", Usual(AllTrim(in.versandart)), Fit::Cut, "Versandart"},
        {"DATUM", Usual(in.heute), Fit::Cut, "Erstellungsdatum"},
        {"DOKNAME", Usual(cDateiName), Fit::Refuse, "Dateiname"},
        {"DOKTITEL", Usual(titel), Fit::Cut, "Dokumenttitel"},
        {"ABLAGE", Usual(in.cAblage), Fit::Refuse, "Dateiablage"},
    };
    if (in.wiedervorlage) {
        // Built in place: a braced temporary here trips a false
        // uninitialised-value warning of the 32-bit compiler.
        FieldValue& v = values.emplace_back();
        v.field = "WVDATUM";
        v.value = Usual(wvDatum);
        v.label = "Wiedervorlagedatum";
    }
    std::vector<FieldValue> wv;
    if (in.wiedervorlage) {
        wv = {
            {"TAG", Usual(wvDatum), Fit::Cut, "Wiedervorlagedatum"},
            {"WV", Usual(Trim(cDateiName)), Fit::Refuse, "Dateiname"},
            {"WVGRUND", Usual(AllTrim(in.wvGrund)), Fit::Cut, "Wiedervorlagegrund"},
            {"DURSPRUNG", Usual(in.cUrsprung), Fit::Cut, "Ursprung"},
            {"DABLAGE", Usual(in.cAblage), Fit::Refuse, "Dateiablage"},
            {"DDOKNR", Usual(int32_t{0}), Fit::Refuse, "Dokumentnummer"},
        };
    }
    if (!IndexesOpen(dv, kDokVWIndexes, &r.meldung) ||
        (in.wiedervorlage && !IndexesOpen(*t.datWV, kDatWVIndexes, &r.meldung)))
        return r;
    if (!Prepare(dv, values, &r.meldung) ||
        (in.wiedervorlage && !Prepare(*t.datWV, wv, &r.meldung)))
        return r;

    auto lock = NumberLock::Acquire(dv.FullPath(), lockWaitMs);
    if (!lock) {
        NumberLockRefused(&r.meldung);
        return r;
    }
    // A record a killed filing left blank, or written without its number's
    // key, would hide the highest number: it is put right first.
    dv.RepairAbandonedAppends();
    if (in.wiedervorlage)
        t.datWV->RepairAbandonedAppends();
    if (!dv.SetOrder(7)) {
        r.meldung = NotOpen("die Nummernfolge des Dokumentenregisters", "DokVW7.ntx");
        return r;
    }
    const int32_t nr = HighestNumber(dv, "DOKNR") + 1;
    values[0].value = Usual(nr);
    if (in.wiedervorlage)
        wv.back().value = Usual(nr);
    if (!Prepare(dv, values, &r.meldung) ||
        (in.wiedervorlage && !Prepare(*t.datWV, wv, &r.meldung)))
        return r;
    if (!AppendAll(dv, values, &r.meldung))
        return r;
    const uint32_t dokRecNo = dv.RecNo();
    lock.reset();  // the number is in the register: the next filing may go on

    if (in.wiedervorlage && !AppendAll(*t.datWV, wv, &r.meldung)) {
        // The letter is filed only with everything it was filed with.
        if (dv.GoTo(dokRecNo)) {
            dv.Delete();
            dv.Commit();
        }
        return r;
    }
    r.dokNr = nr;
    r.wiedervorlage = in.wiedervorlage;
    r.ok = true;
    return r;
}

}  // namespace kp
