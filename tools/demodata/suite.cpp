// The suite's tables with realistic German content. Field lists, widths and
// index keys are documented in docs/tables.md; keep the two in step.
#include <array>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "platform/data/dbf.h"
#include "platform/data/ntx.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"
#include "tools/demodata/demodata.h"
#include "tools/demodata/rng.h"

namespace kp::demo {

namespace {

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

constexpr int kCodePage = 850;
constexpr int kAblageWidth = 120;

struct TableDef {
    const char* file;
    std::vector<FieldDef> fields;
    std::vector<SuiteIndex> indexes;
};

const TableDef kAdressen = {
    "Adressen.dbf",
    {{"ADRESSNR", 'C', 6, 0},
     {"ANREDE", 'C', 15, 0},
     {"TITEL", 'C', 15, 0},
     {"VNAME", 'C', 30, 0},
     {"NNAME", 'C', 30, 0},
     {"STRASSE", 'C', 30, 0},
     {"PLZ", 'C', 5, 0},
     {"ORT", 'C', 30, 0},
     {"TELEFON", 'C', 20, 0},
     {"GEBDATUM", 'D', 8, 0},
     {"KUNDE", 'L', 1, 0},
     {"BETREUNR", 'C', 12, 0},
     {"ANGELEGT", 'D', 8, 0},
     {"NOTIZ", 'M', 10, 0}},
    {{"Adressnr.ntx", "ADRESSNR"},
     {"Adrename.ntx", "UPPER(NNAME+VNAME)"},
     {"Adresplz.ntx", "PLZ+UPPER(NNAME)"},
     {"Adresstr.ntx", "UPPER(STRASSE)"},
     {"Adresort.ntx", "UPPER(ORT)+UPPER(NNAME)"}},
};

const TableDef kGesellA = {
    "GesellA.dbf",
    {{"GESNR", 'C', 4, 0},
     {"GESELL", 'C', 15, 0},
     {"GKURZ", 'C', 10, 0},
     {"SPARTE", 'C', 20, 0},
     {"GESNAME", 'C', 40, 0},
     {"STRASSE", 'C', 30, 0},
     {"PLZ", 'C', 5, 0},
     {"ORT", 'C', 30, 0},
     {"TELEFON", 'C', 20, 0},
     {"AGENTURNR", 'C', 15, 0}},
    {{"Gesella.ntx", "UPPER(GESELL)"}, {"Gesella2.ntx", "GESNR"}},
};

const TableDef kVermitt = {
    "Vermitt.dbf",
    {{"BETREUNR", 'C', 12, 0},
     {"ANREDE", 'C', 15, 0},
     {"TITEL", 'C', 15, 0},
     {"VNAME", 'C', 30, 0},
     {"NNAME", 'C', 30, 0},
     {"STRASSE", 'C', 30, 0},
     {"PLZ", 'C', 5, 0},
     {"ORT", 'C', 30, 0},
     {"TELEFON", 'C', 20, 0},
     {"PROVSATZ", 'N', 5, 2},
     {"AKTIV", 'L', 1, 0}},
    {{"Vermitt.ntx", "BETREUNR"}, {"Vermitt2.ntx", "BETREUNR+UPPER(NNAME)"}},
};

const TableDef kDokName = {
    "DokName.dbf",
    {{"ADRESSNR", 'C', 6, 0},
     {"INITIAL", 'C', 2, 0},
     {"GESNR", 'C', 4, 0},
     {"GKURZ", 'C', 10, 0},
     {"VERMITTNR", 'C', 12, 0},
     {"JAHR", 'C', 4, 0},
     {"DOKLFDNR", 'C', 4, 0}},
    {{"DokName.ntx", "ADRESSNR+INITIAL+JAHR"},
     {"DokName2.ntx", "GESNR+TRIM(GKURZ)+JAHR"},
     {"DokName3.ntx", "TRIM(VERMITTNR)+INITIAL+JAHR"}},
};

const TableDef kDokVW = {
    "DokVW.dbf",
    {{"DOKNR", 'N', 8, 0},
     {"DURSPRUNG", 'C', 20, 0},
     {"ADRESSNR", 'C', 6, 0},
     {"KUNDE", 'C', 100, 0},
     {"GESELL", 'C', 15, 0},
     {"VERMITTNR", 'C', 12, 0},
     {"VERMITTLER", 'C', 100, 0},
     {"VERSSPARTE", 'C', 20, 0},
     {"VERSANDART", 'C', 20, 0},
     {"DATUM", 'D', 8, 0},
     {"DOKNAME", 'C', 60, 0},
     {"DOKTITEL", 'C', 60, 0},
     {"ABLAGE", 'C', kAblageWidth, 0},
     {"WVDATUM", 'D', 8, 0}},
    {{"DokVW.ntx", "ADRESSNR+DTOS(DATUM)"},
     {"DokVW2.ntx", "UPPER(GESELL)+DTOS(DATUM)"},
     {"DokVW3.ntx", "VERMITTNR+DTOS(DATUM)"},
     {"DokVW4.ntx", "DTOS(DATUM)"},
     {"DokVW5.ntx", "ABLAGE"},
     {"DokVW6.ntx", "UPPER(DOKTITEL)"},
     {"DokVW7.ntx", "DOKNR"}},
};

const TableDef kTextVor = {
    "TextVor.dbf",
    {{"VORNR", 'N', 6, 0},
     {"VORTYP", 'C', 1, 0},
     {"TXTVLDATEI", 'C', 60, 0},
     {"TXTVLTITEL", 'C', 60, 0},
     {"DATUM", 'D', 8, 0},
     {"ABLAGE", 'C', kAblageWidth, 0}},
    {{"TextVor.ntx", "UPPER(TXTVLTITEL)"},
     {"TextVor2.ntx", "VORTYP+UPPER(TXTVLTITEL)"},
     {"TextVor3.ntx", "ABLAGE"},
     {"TextVor4.ntx", "VORNR"}},
};

const TableDef kDatWV = {
    "DatWV.dbf",
    {{"TAG", 'D', 8, 0},
     {"WV", 'C', 60, 0},
     {"WVGRUND", 'C', 60, 0},
     {"DURSPRUNG", 'C', 20, 0},
     {"DABLAGE", 'C', kAblageWidth, 0},
     {"DDOKNR", 'N', 8, 0}},
    {{"DatWV.ntx", "DTOS(TAG)"}},
};

std::filesystem::path Fs(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

// One table being filled: set the fields of a record, append it; the
// indexes are built at the end.
class Writer {
  public:
    Writer(const std::string& dir, const TableDef& def) : dir_(dir), def_(def) {
        Table::Create(dir + def.file, def.fields, kCodePage);
        TableOptions opt;
        opt.exclusive = true;
        opt.codePage = kCodePage;
        t_ = Table::Open(dir + def.file, opt);
        rec_.resize(t_->RecLen());
        t_->BlankRecord(rec_.data());
    }
    Writer& Set(const char* field, const Usual& value) {
        const int i = t_->FieldIndex(field);
        if (i < 0)
            throw std::logic_error(std::string("no field ") + field + " in " + def_.file);
        t_->PutValue(rec_.data(), i, value);
        return *this;
    }
    void Append() {
        t_->AppendRecords(rec_.data(), 1);
        t_->BlankRecord(rec_.data());
        ++count_;
    }
    uint32_t Finish() {
        for (const auto& index : def_.indexes)
            NtxIndex::Create(dir_ + index.file, *t_, index.key, false);
        t_.reset();
        return count_;
    }

  private:
    std::string dir_;
    const TableDef& def_;
    std::unique_ptr<Table> t_;
    std::vector<char> rec_;
    uint32_t count_ = 0;
};

struct City {
    const char* ort;
    int plz;
    const char* vorwahl;
};
const City kCities[] = {
    {"Köln", 50667, "0221"},        {"Düsseldorf", 40213, "0211"}, {"München", 80331, "089"},
    {"Nürnberg", 90402, "0911"},    {"Würzburg", 97070, "0931"},   {"Lübeck", 23552, "0451"},
    {"Essen", 45127, "0201"},       {"Bonn", 53111, "0228"},       {"Aachen", 52062, "0241"},
    {"Münster", 48143, "0251"},     {"Göttingen", 37073, "0551"},  {"Bad Tölz", 83646, "08041"},
    {"Saarbrücken", 66111, "0681"}, {"Osnabrück", 49074, "0541"},  {"Fürth", 90762, "0911"},
};
const char* kStreets[] = {"Hauptstraße",
                          "Bahnhofstraße",
                          "Kirchweg",
                          "Am Markt",
                          "Goethestraße",
                          "Schillerstraße",
                          "Lindenallee",
                          "Mühlenweg",
                          "Königsallee",
                          "Rosenstraße",
                          "Gartenstraße",
                          "Am Bürgerpark",
                          "Friedrich-Ebert-Straße",
                          "Zur Aue",
                          "Höhenweg",
                          "Brückenstraße"};
const char* kMen[] = {"Hans",    "Peter",   "Jürgen", "Klaus", "Stefan", "Thomas",
                      "Michael", "Andreas", "Günter", "Jörg",  "Heinz",  "Uwe"};
const char* kWomen[] = {"Ursula", "Monika", "Petra", "Sabine", "Brigitte", "Renate",
                        "Anja",   "Käthe",  "Jutta", "Bärbel", "Gisela",   "Doris"};
const char* kNotes[] = {
    "Kunde wünscht Rückruf nach 17 Uhr.",
    "Hat nach einer Wohngebäudeversicherung gefragt;\r\nAngebot bis Monatsende schicken.",
    "Umzug geplant, neue Anschrift erfragen.",
    "Schadensfall Glasbruch 2009 reguliert.",
    "Bevorzugt Kontakt per Brief, nicht telefonisch.",
};
struct Firm {
    const char* line1;
    const char* line2;
};
const Firm kFirms[] = {
    {"Bäckerei Jansen", "Inh. Peter Jansen"},
    {"Autohaus Küppers", "GmbH & Co. KG"},
    {"Schreinerei Wörner", "Meisterbetrieb"},
    {"Elektro Böhm", "GmbH"},
    {"Gaststätte Zur Post", "Inh. Maria Sänger"},
    {"Kanzlei Dr. Reuter", "Rechtsanwälte"},
    {"Gärtnerei Blümel", "e.K."},
    {"Müller Logistik", "GmbH"},
};
const char* kProspectNames[] = {"Krämer", "Vogel", "Kühn", "Frank", "Berger", "Roth",    "Seidel",
                                "Böhm",   "Jung",  "Hahn", "Voß",   "Brandt", "Dietrich"};

struct Insurer {
    const char* nr;
    const char* gesell;  // at most 15 characters: the filing dialog keeps 15
    const char* kurz;
    const char* sparte;
    const char* name;
    int city;
};
const Insurer kInsurers[] = {
    {"0012", "Albis Versich.", "ALBIS", "HAUSRAT", "Albis Versicherung AG", 0},
    {"0027", "Rheinische Leb.", "RHEINLEB", "LEBEN", "Rheinische Lebensversicherung a.G.", 1},
    {"0042", "Hanseatica AG", "HANSEATICA", "WOHNGEBÄUDE", "Hanseatica Versicherungs-AG", 5},
    {"0058", "Südstern Vers.", "SUEDSTERN", "KFZ", "Südstern Versicherung AG", 2},
    {"0063", "Nordkontor VVaG", "NORDKONTOR", "HAFTPFLICHT", "Nordkontor Versicherungsverein", 5},
    {"0071", "Moselland VVaG", "MOSELLAND", "UNFALL", "Moselland Versicherungsverein a.G.", 12},
    {"0085", "Alpenland Vers.", "ALPENLAND", "RECHTSSCHUTZ", "Alpenland Versicherung AG", 11},
    {"0096", "Elbtal Versich.", "ELBTAL", "GLAS", "Elbtal Versicherung AG", 10},
    {"0104", "Kontorhaus VVaG", "KONTORHAUS", "WOHNGEBÄUDE", "Kontorhaus Versicherungsverein", 6},
    {"0117", "Lindenhof AG", "LINDENHOF", "HAUSRAT", "Lindenhof Allgemeine Versicherung AG", 7},
    {"0123", "Würmtal Assek.", "WUERMTAL", "KFZ", "Würmtal Assekuranz AG", 2},
    {"0139", "Ostsee Leben", "OSTSEE", "LEBEN", "Ostsee Lebensversicherung AG", 5},
};

struct Broker {
    const char* nr;
    const char* anrede;
    const char* titel;
    const char* vname;
    const char* nname;
    int city;
    double prov;
    bool aktiv;
};
const Broker kBrokers[] = {
    {"1001", "Herr", "", "Rainer", "Kowalski", 0, 12.5, true},
    {"1002", "Frau", "", "Heike", "Lindner", 1, 10.0, true},
    {"1003", "Herr", "Dr.", "Walter", "Görtz", 7, 15.0, true},
    {"1004", "Frau", "", "Sigrid", "Pöhlmann", 3, 11.25, false},
    {"1005", "Herr", "", "Bernd", "Haßelbach", 8, 9.5, true},
    {"1006", "Herr", "", "Ömer", "Yılmaz", 6, 10.0, true},
    {"1007", "Frau", "", "Claudia", "Strüwe", 9, 12.0, true},
    {"1008", "Herr", "", "Dieter", "Quast", 4, 8.75, false},
};

std::string Num(uint32_t n, int width) {
    std::string s = std::to_string(n);
    return s.size() < static_cast<size_t>(width) ? std::string(width - s.size(), '0') + s : s;
}

std::string Phone(Rng& rng, const City& c) {
    return std::string(c.vorwahl) + " " + std::to_string(100000 + rng.Below(8999999) % 900000);
}

std::string Street(Rng& rng) {
    std::string s = kStreets[rng.Below(16)];
    s += " " + std::to_string(1 + rng.Below(120));
    if (rng.Below(8) == 0)
        s += static_cast<char>('a' + rng.Below(3));
    return s;
}

std::string Plz(Rng& rng, const City& c) {
    return std::to_string(c.plz + static_cast<int>(rng.Below(30)));
}

std::string GermanDate(Date d) {
    const std::string s = DToS(d);  // YYYYMMDD
    return s.substr(6, 2) + "." + s.substr(4, 2) + "." + s.substr(0, 4);
}

// Words joined by single blanks, empty words left out.
std::string Join(std::initializer_list<std::string_view> words) {
    std::string out;
    for (std::string_view w : words) {
        const std::string t = AllTrim(w);
        if (t.empty())
            continue;
        if (!out.empty())
            out += ' ';
        out += t;
    }
    return out;
}

// RTF text of UTF-8: ASCII as it is, the rest as 1252 escapes, lines as
// paragraphs.
std::string Rtf(std::string_view text) {
    std::string out;
    for (size_t pos = 0; pos < text.size();) {
        const char32_t c = DecodeUtf8(text, pos);
        if (c == '\n') {
            out += "\\par\r\n";
        } else if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            const int b = CharToCp(c, 1252);
            char hex[16];
            std::snprintf(hex, sizeof hex, "\\'%02x", b < 0 ? '?' : b);
            out += hex;
        }
    }
    return out;
}

void WriteLetter(const std::string& path, const std::string& heading, const std::string& body) {
    std::ofstream f(Fs(path), std::ios::binary | std::ios::trunc);
    f << "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n"
         "\\viewkind4\\uc1\\pard\\f0\\fs22 "
      << Rtf("Kontor Versicherungsmakler GmbH · Hauptstraße 1 · 50667 Köln\n\n") << "\\b "
      << Rtf(heading) << "\\b0\\par\r\n\\par\r\n"
      << Rtf(body) << "}\r\n";
    if (!f)
        throw std::filesystem::filesystem_error("Brief lässt sich nicht schreiben", Fs(path),
                                                std::make_error_code(std::errc::io_error));
}

struct Address {
    std::string nr, anrede, titel, vname, nname, strasse, plz, ort;
};

// One letter in the document tables: its DokName number, DokVW record and
// perhaps a resubmission.
struct Letter {
    Letter(char t, std::string k, std::string f, std::string u, Address a)
        : type(t),
          key(std::move(k)),
          folder(std::move(f)),
          dursprung(std::move(u)),
          to(std::move(a)) {}
    char type;              // 'K', 'G', 'V'
    std::string key;        // the document key without its type letter
    std::string folder;     // "Kunden", "Gesell", "Vermitt"
    std::string dursprung;  // where it was written from
    Address to;             // addressee (customer or broker)
    const Insurer* insurer = nullptr;
    std::string sparte, versandart, titel, text;
    Date datum, wv;
    std::string wvGrund;
};

}  // namespace

namespace {

// The suite's tables besides Vertrag.DBF, in the order docs/tables.md has them.
const std::array<const TableDef*, 7> kSuiteDefs = {&kAdressen, &kGesellA, &kVermitt, &kDokName,
                                                   &kDokVW,    &kTextVor, &kDatWV};

std::string WithSeparator(const std::string& dir) {
    std::string d = dir;
    if (!d.empty() && d.back() != '/' && d.back() != '\\')
        d += kSep;
    return d;
}

}  // namespace

std::vector<SuiteTable> SuiteTables() {
    std::vector<SuiteTable> out;
    out.push_back({"Vertrag.DBF", {{"Vertrag5.ntx", "VERSNR"}, {"Vertrag6.ntx", "ORT_S_FZKZ"}}});
    for (const TableDef* t : kSuiteDefs)
        out.push_back({t->file, t->indexes});
    return out;
}

bool WriteEmptySuiteTable(const std::string& dir, const std::string& file) {
    for (const TableDef* t : kSuiteDefs) {
        if (file == t->file) {
            Writer(WithSeparator(dir), *t).Finish();
            return true;
        }
    }
    return false;
}

SuiteSummary WriteSuite(const std::string& dir, uint32_t contracts, uint64_t seed) {
    const std::string d = WithSeparator(dir);
    std::filesystem::create_directories(Fs(d));
    SuiteSummary sum;
    sum.vertrag = WriteVertrag(dir, contracts, seed);

    // Customers: every address number of the contracts, with the contract's
    // surname.
    std::map<std::string, std::string> customers;
    {
        TableOptions opt;
        opt.readOnly = true;
        opt.codePage = kCodePage;
        auto t = Table::Open(d + "Vertrag.DBF", opt);
        const int fAdr = t->FieldIndex("ADRESSNR"), fName = t->FieldIndex("NNAME");
        for (uint32_t r = 1; r <= t->Count(); ++r) {
            const char* rec = t->Fetch(r, true);
            customers.emplace(AllTrim(t->GetValue(rec, fAdr).AsString()),
                              AllTrim(t->GetValue(rec, fName).AsString()));
        }
    }

    Rng rng(seed * 7919 + 17);
    std::vector<Address> people;  // customers, for the letters
    Writer adressen(d, kAdressen);
    auto personFields = [&](const std::string& nr, const std::string& nname, bool kunde) {
        const bool female = rng.Below(2) == 0;
        const City& c = kCities[rng.Below(15)];
        Address a;
        a.nr = nr;
        a.nname = nname;
        a.anrede = female ? "Frau" : "Herr";
        a.vname = female ? kWomen[rng.Below(12)] : kMen[rng.Below(12)];
        const uint32_t title = rng.Below(60);
        a.titel = title < 4 ? "Dr." : title == 4 ? "Prof. Dr." : "";
        if (rng.Below(20) == 0) {
            a.anrede = "Eheleute";
            a.vname = std::string(kMen[rng.Below(12)]) + " und " + kWomen[rng.Below(12)];
            a.titel.clear();
        }
        a.strasse = Street(rng);
        a.plz = Plz(rng, c);
        a.ort = c.ort;
        adressen.Set("ADRESSNR", a.nr)
            .Set("ANREDE", a.anrede)
            .Set("TITEL", a.titel)
            .Set("VNAME", a.vname)
            .Set("NNAME", a.nname)
            .Set("STRASSE", a.strasse)
            .Set("PLZ", a.plz)
            .Set("ORT", a.ort)
            .Set("TELEFON", Phone(rng, c))
            .Set("GEBDATUM", Date::FromYMD(1935 + static_cast<int>(rng.Below(58)),
                                           1 + static_cast<int>(rng.Below(12)),
                                           1 + static_cast<int>(rng.Below(28))))
            .Set("KUNDE", kunde)
            .Set("BETREUNR", kBrokers[rng.Below(8)].nr)
            .Set("ANGELEGT", Date::FromYMD(1995 + static_cast<int>(rng.Below(15)),
                                           1 + static_cast<int>(rng.Below(12)),
                                           1 + static_cast<int>(rng.Below(28))));
        if (rng.Below(8) == 0)
            adressen.Set("NOTIZ", kNotes[rng.Below(5)]);
        adressen.Append();
        return a;
    };
    for (const auto& [nr, nname] : customers)
        people.push_back(personFields(nr, nname, true));
    sum.kunden = static_cast<uint32_t>(customers.size());

    // Prospects: people and firms without contracts, numbers not yet used.
    const uint32_t prospects = std::max<uint32_t>(6, contracts / 5);
    for (uint32_t i = 0; i < prospects; ++i) {
        std::string nr;
        do
            nr = Num(rng.Below(999999) + 1, 6);
        while (customers.count(nr));
        customers.emplace(nr, "");
        if (i % 3 == 2) {
            const Firm& f = kFirms[(i / 3) % 8];
            const City& c = kCities[rng.Below(15)];
            adressen.Set("ADRESSNR", nr)
                .Set("ANREDE", "Firma")
                .Set("VNAME", f.line1)
                .Set("NNAME", f.line2)
                .Set("STRASSE", Street(rng))
                .Set("PLZ", Plz(rng, c))
                .Set("ORT", c.ort)
                .Set("TELEFON", Phone(rng, c))
                .Set("KUNDE", false)
                .Set("BETREUNR", kBrokers[rng.Below(8)].nr)
                .Set("ANGELEGT", Date::FromYMD(2009, 1 + static_cast<int>(rng.Below(12)), 15))
                .Set("NOTIZ", "Interessent aus der Gewerbeschau; Betriebshaftpflicht anbieten.");
            adressen.Append();
        } else {
            personFields(nr, kProspectNames[rng.Below(13)], false);
        }
    }
    sum.adressen = adressen.Finish();

    Writer gesell(d, kGesellA);
    for (const Insurer& g : kInsurers) {
        const City& c = kCities[g.city];
        gesell.Set("GESNR", g.nr)
            .Set("GESELL", g.gesell)
            .Set("GKURZ", g.kurz)
            .Set("SPARTE", g.sparte)
            .Set("GESNAME", g.name)
            .Set("STRASSE", Street(rng))
            .Set("PLZ", Plz(rng, c))
            .Set("ORT", c.ort)
            .Set("TELEFON", Phone(rng, c))
            .Set("AGENTURNR", "AG-" + Num(rng.Below(99999), 5));
        gesell.Append();
    }
    sum.gesell = gesell.Finish();

    Writer vermitt(d, kVermitt);
    std::vector<Address> brokers;
    for (const Broker& b : kBrokers) {
        const City& c = kCities[b.city];
        Address a{b.nr, b.anrede, b.titel, b.vname, b.nname, Street(rng), Plz(rng, c), c.ort};
        vermitt.Set("BETREUNR", a.nr)
            .Set("ANREDE", a.anrede)
            .Set("TITEL", a.titel)
            .Set("VNAME", a.vname)
            .Set("NNAME", a.nname)
            .Set("STRASSE", a.strasse)
            .Set("PLZ", a.plz)
            .Set("ORT", a.ort)
            .Set("TELEFON", Phone(rng, c))
            .Set("PROVSATZ", b.prov)
            .Set("AKTIV", b.aktiv);
        vermitt.Append();
        brokers.push_back(a);
    }
    sum.vermitt = vermitt.Finish();

    // Letters: a few customers, one insurer, one broker.
    std::vector<Letter> letters;
    auto greeting = [](const Address& a) {
        if (a.anrede == "Herr")
            return "Sehr geehrter Herr " + Join({a.titel, a.nname}) + ",";
        if (a.anrede == "Frau")
            return "Sehr geehrte Frau " + Join({a.titel, a.nname}) + ",";
        return std::string("Sehr geehrte Damen und Herren,");
    };
    auto address = [](const Address& a) {
        return Join({a.anrede}) + "\n" + Join({a.titel, a.vname, a.nname}) + "\n" + a.strasse +
               "\n" + a.plz + " " + a.ort + "\n\n";
    };
    const size_t nCustomerLetters = std::min<size_t>(people.size(), 3);
    for (size_t i = 0; i < nCustomerLetters; ++i) {
        const Address& a = people[i];
        Letter l{'K', a.nr + "HM2010", "Kunden", "Kunden", a};
        l.sparte = i == 1 ? "WOHNGEBÄUDE" : "HAUSRAT";
        l.versandart = "Brief";
        l.titel = i == 1 ? "Beitragsanpassung Wohngebäude 2010" : "Beitragsanpassung Hausrat 2010";
        l.datum = Date::FromYMD(2010, 1, 11 + static_cast<int>(i));
        l.text = address(a) + "Köln, " + GermanDate(l.datum) + "\n\n" + greeting(a) +
                 "\n\nzum 1. Januar 2010 ändert sich der Satz der Versicherungsteuer. Ihr Beitrag "
                 "wird ab der nächsten Fälligkeit entsprechend angepasst; Sie müssen nichts "
                 "weiter tun.\n\nMit freundlichen Grüßen\n\nIhr Kontor-Team\n";
        if (i == 0) {
            l.wv = Date::FromYMD(2010, 2, 15);
            l.wvGrund = "Rückmeldung des Kunden abwarten";
        }
        letters.push_back(l);
        if (i == 0) {  // a second letter to the first customer
            Letter second = l;
            second.versandart = "E-Mail";
            second.titel = "Terminbestätigung Beratungsgespräch";
            second.datum = Date::FromYMD(2010, 3, 2);
            second.wv = Date();
            second.wvGrund.clear();
            second.text = address(a) + greeting(a) +
                          "\n\nwie besprochen bestätigen wir Ihnen den Termin zur Überprüfung "
                          "Ihres Versicherungsschutzes.\n\nMit freundlichen Grüßen\n\nIhr "
                          "Kontor-Team\n";
            letters.push_back(second);
        }
    }
    {
        const Insurer& g = kInsurers[2];
        Letter l{'G', std::string(g.nr) + g.kurz + "2010", "Gesell", "Gesellschaften", Address{}};
        l.insurer = &g;
        l.sparte = g.sparte;
        l.versandart = "Fax";
        l.titel = "Bestandsübertragung Wohngebäude";
        l.datum = Date::FromYMD(2010, 2, 3);
        l.text = std::string(g.name) +
                 "\nMaklerbetreuung\n\nSehr geehrte Damen und Herren,\n\nbitte übertragen Sie "
                 "die Verträge unserer Kunden in unseren Bestand.\n\nMit freundlichen Grüßen\n";
        letters.push_back(l);
    }
    {
        const Address& b = brokers[0];
        Letter l{'V', b.nr + "HM2010", "Vermitt", "Vermittler", b};
        l.sparte = "KFZ";
        l.versandart = "Brief";
        l.titel = "Provisionsabrechnung Januar 2010";
        l.datum = Date::FromYMD(2010, 2, 1);
        l.wv = Date::FromYMD(2010, 3, 1);
        l.wvGrund = "Abrechnung Februar vorbereiten";
        l.text = address(b) + greeting(b) +
                 "\n\nanbei erhalten Sie Ihre Provisionsabrechnung für Januar 2010.\n\nMit "
                 "freundlichen Grüßen\n";
        letters.push_back(l);
    }

    // The data folder as the document tables name it.
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(Fs(d), ec);
    std::string base = ec ? d : Utf8Of(abs.make_preferred());
    if (!base.empty() && base.back() != kSep)
        base += kSep;
    for (const char* folder : {"Kunden", "Gesell", "Vermitt"})
        std::filesystem::create_directories(Fs(d + "Texte" + kSep + folder));
    auto ablage = [&](const std::string& folder, const std::string& file) {
        const std::string rel = std::string("Texte") + kSep + folder + kSep + file;
        // A data folder too deep for the field keeps the name below it.
        return Len(base + rel) <= static_cast<size_t>(kAblageWidth) ? base + rel : rel;
    };

    Writer dokName(d, kDokName), dokVW(d, kDokVW), datWV(d, kDatWV);
    std::map<std::string, uint32_t> numbers;  // running number per document key
    for (const Letter& l : letters)
        ++numbers[std::string(1, l.type) + l.key];
    for (const auto& [typedKey, count] : numbers) {
        const std::string key = typedKey.substr(1);
        const std::string jahr = key.substr(key.size() - 4);
        switch (typedKey[0]) {
            case 'K':
                dokName.Set("ADRESSNR", key.substr(0, 6)).Set("INITIAL", key.substr(6, 2));
                break;
            case 'G':
                dokName.Set("GESNR", key.substr(0, 4)).Set("GKURZ", key.substr(4, key.size() - 8));
                break;
            default:
                dokName.Set("VERMITTNR", key.substr(0, key.size() - 6))
                    .Set("INITIAL", key.substr(key.size() - 6, 2));
        }
        dokName.Set("JAHR", jahr).Set("DOKLFDNR", Num(count, 4));
        dokName.Append();
    }
    std::map<std::string, uint32_t> used;
    uint32_t doknr = 0;
    for (const Letter& l : letters) {
        const std::string file =
            l.key + "_" + Num(++used[std::string(1, l.type) + l.key], 4) + ".RTF";
        WriteLetter(d + "Texte" + kSep + l.folder + kSep + file, l.titel, l.text);
        ++sum.letters;
        const std::string full = ablage(l.folder, file);
        dokVW.Set("DOKNR", static_cast<int32_t>(++doknr))
            .Set("DURSPRUNG", l.dursprung)
            .Set("VERSSPARTE", l.sparte)
            .Set("VERSANDART", l.versandart)
            .Set("DATUM", l.datum)
            .Set("DOKNAME", file)
            .Set("DOKTITEL", l.titel)
            .Set("ABLAGE", full);
        if (l.type == 'K')
            dokVW.Set("ADRESSNR", l.to.nr)
                .Set("KUNDE", Join({l.to.anrede, l.to.titel, l.to.vname, l.to.nname}));
        if (l.insurer)
            dokVW.Set("GESELL", l.insurer->gesell);
        if (l.type == 'V')
            dokVW.Set("VERMITTNR", l.to.nr)
                .Set("VERMITTLER", Join({l.to.anrede, l.to.titel, l.to.vname, l.to.nname}));
        if (!l.wv.IsEmpty()) {
            dokVW.Set("WVDATUM", l.wv);
            datWV.Set("TAG", l.wv)
                .Set("WV", file)
                .Set("WVGRUND", l.wvGrund)
                .Set("DURSPRUNG", l.dursprung)
                .Set("DABLAGE", full)
                .Set("DDOKNR", static_cast<int32_t>(doknr));
            datWV.Append();
        }
        dokVW.Append();
    }
    sum.dokName = dokName.Finish();
    sum.dokVW = dokVW.Finish();
    sum.datWV = datWV.Finish();

    // Templates, one for each addressee type.
    struct Template {
        char type;
        const char* folder;
        const char* file;
        const char* titel;
        const char* text;
    };
    const Template templates[] = {
        {'K', "Kunden", "Vorlage_Kuendigungsbestaetigung.RTF", "Kündigungsbestätigung",
         "Sehr geehrte Damen und Herren,\n\nhiermit bestätigen wir die Kündigung Ihres Vertrags "
         "zum Ablauf der Versicherungsperiode.\n\nMit freundlichen Grüßen\n"},
        {'G', "Gesell", "Vorlage_Schadenmeldung.RTF", "Schadenmeldung an die Gesellschaft",
         "Sehr geehrte Damen und Herren,\n\nwir melden Ihnen folgenden Schaden unseres Kunden:"
         "\n\nSchadentag:\nSchadenort:\nHergang:\n\nMit freundlichen Grüßen\n"},
        {'B', "Vermitt", "Vorlage_Rundschreiben.RTF", "Rundschreiben an die Betreuer",
         "Liebe Kolleginnen und Kollegen,\n\ndie neuen Steuersätze gelten ab 1. Januar 2010.\n"},
    };
    Writer textVor(d, kTextVor);
    int32_t vornr = 0;
    for (const Template& t : templates) {
        WriteLetter(d + "Texte" + kSep + t.folder + kSep + t.file, t.titel, t.text);
        ++sum.letters;
        textVor.Set("VORNR", ++vornr)
            .Set("VORTYP", std::string(1, t.type))
            .Set("TXTVLDATEI", t.file)
            .Set("TXTVLTITEL", t.titel)
            .Set("DATUM", Date::FromYMD(2009, 12, 1))
            .Set("ABLAGE", ablage(t.folder, t.file));
        textVor.Append();
    }
    sum.textVor = textVor.Finish();
    return sum;
}

}  // namespace kp::demo
