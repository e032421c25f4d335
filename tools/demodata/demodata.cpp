#include "tools/demodata/demodata.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "platform/data/dbf.h"
#include "platform/data/ntx.h"
#include "tools/demodata/rng.h"

namespace kp::demo {

namespace {

struct Weighted {
    const char* text;
    int weight;
};

const char* Pick(Rng& rng, const std::vector<Weighted>& list) {
    int total = 0;
    for (const auto& w : list)
        total += w.weight;
    int r = static_cast<int>(rng.Below(static_cast<uint32_t>(total)));
    for (const auto& w : list) {
        if (r < w.weight)
            return w.text;
        r -= w.weight;
    }
    return list.back().text;
}

const std::vector<Weighted> kLines = {
    {"WOHNGEBÄUDE", 24}, {" Wohngebäude ", 5}, {"Wohngebäude", 3}, {"HAUSRAT", 18},
    {" hausrat", 3},     {"WOHNGEBAEUDE", 3},  {"KFZ", 14},        {"HAFTPFLICHT", 12},
    {"UNFALL", 9},       {"RECHTSSCHUTZ", 6},  {"GLAS", 3},
};
const std::vector<Weighted> kBuildingRates = {{"17.75", 60}, {"14", 20},  {"16.34", 6},
                                              {"19", 8},     {"17.7", 4}, {"13.2", 2}};
const std::vector<Weighted> kContentsRates = {{"18", 70}, {"16.15", 10}, {"19", 15}, {"17.75", 5}};
const std::vector<Weighted> kOtherRates = {
    {"19", 80}, {"18", 8}, {"14", 4}, {"17.75", 4}, {"16.34", 4}};
const char* kNames[] = {"Müller",  "Schmidt",    "Schneider", "Fischer",  "Weber",    "Meyer",
                        "Wagner",  "Becker",     "Schulz",    "Hoffmann", "Schäfer",  "Koch",
                        "Bauer",   "Richter",    "Klein",     "Wolf",     "Schröder", "Neumann",
                        "Schwarz", "Zimmermann", "Braun",     "Krüger",   "Hofmann",  "Hartmann",
                        "Lange",   "Schmitt",    "Werner",    "Schmitz",  "Krause",   "Meier",
                        "Lehmann", "Schmid",     "Özdemir",   "Jäger",    "Groß",     "Weiß"};
const char* kPlaces[] = {"Köln",      "Düsseldorf", "München",     "Nürnberg",  "Würzburg",
                         "Lübeck",    "Essen",      "Bonn",        "Aachen",    "Münster",
                         "Göttingen", "Bad Tölz",   "Saarbrücken", "Osnabrück", "Fürth"};
const char* kPlates[] = {"K",  "D",  "M",  "N",   "WÜ", "HL", "E", "BN",
                         "AC", "MS", "GÖ", "TÖL", "SB", "OS", "FÜ"};
const char* kPay[] = {"jährlich", "halbjährlich", "vierteljährl.", "monatlich"};

bool Is(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

std::string Normalised(const std::string& s) {
    // Trim and upper-case the way the conversion compares lines.
    size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
    std::string t = b == std::string::npos ? "" : s.substr(b, e - b + 1);
    std::string out;
    for (size_t i = 0; i < t.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(t[i]);
        if (c == 0xC3 && i + 1 < t.size() && static_cast<unsigned char>(t[i + 1]) >= 0xA0 &&
            static_cast<unsigned char>(t[i + 1]) <= 0xBE &&
            static_cast<unsigned char>(t[i + 1]) != 0xB7) {
            out += static_cast<char>(0xC3);
            out += static_cast<char>(static_cast<unsigned char>(t[i + 1]) - 0x20);
            ++i;
        } else {
            out += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
        }
    }
    return out;
}

}  // namespace

Summary WriteVertrag(const std::string& dir, uint32_t count, uint64_t seed, bool withIndexes,
                     int affectedPercent) {
    std::string d = dir;
    if (!d.empty() && d.back() != '/' && d.back() != '\\')
        d += '/';
    const std::string path = d + "Vertrag.DBF";
    Table::Create(path,
                  {{"VERSNR", 'C', 15, 0},
                   {"ADRESSNR", 'C', 6, 0},
                   {"NNAME", 'C', 25, 0},
                   {"ORT_S_FZKZ", 'C', 25, 0},
                   {"GESNR", 'C', 4, 0},
                   {"VERSSPARTE", 'C', 20, 0},
                   {"VSTEUER", 'N', 6, 2},
                   {"VSTEUERDM", 'N', 12, 2},
                   {"BEITRAG", 'N', 12, 2},
                   {"ZAHLWEISE", 'C', 13, 0},
                   {"BEGINN", 'D', 8, 0},
                   {"AKTIV", 'L', 1, 0},
                   {"NOTIZ", 'M', 10, 0}},
                  850);
    TableOptions opt;
    opt.exclusive = true;
    opt.codePage = 850;
    auto t = Table::Open(path, opt);
    Rng rng(seed);
    Summary sum;
    const uint32_t batch = 4096;
    std::vector<char> buf;
    buf.reserve(static_cast<size_t>(batch) * t->RecLen());
    auto field = [&](const char* name) { return t->FieldIndex(name); };
    const int fVersnr = field("VERSNR"), fAdr = field("ADRESSNR"), fName = field("NNAME"),
              fOrt = field("ORT_S_FZKZ"), fGes = field("GESNR"), fLine = field("VERSSPARTE"),
              fRate = field("VSTEUER"), fTax = field("VSTEUERDM"), fPrem = field("BEITRAG"),
              fPay = field("ZAHLWEISE"), fBegin = field("BEGINN"), fAct = field("AKTIV"),
              fMemo = field("NOTIZ");
    std::vector<char> rec(t->RecLen());
    for (uint32_t i = 1; i <= count; ++i) {
        t->BlankRecord(rec.data());
        const char* line = Pick(rng, kLines);
        std::string norm = Normalised(line);
        const char* rate = norm == "WOHNGEBÄUDE" || norm == "WOHNGEBAEUDE"
                               ? Pick(rng, kBuildingRates)
                           : norm == "HAUSRAT" ? Pick(rng, kContentsRates)
                                               : Pick(rng, kOtherRates);
        if (affectedPercent >= 0 &&
            ((norm == "WOHNGEBÄUDE" && (Is(rate, "17.75") || Is(rate, "14"))) ||
             (norm == "HAUSRAT" && Is(rate, "18"))) &&
            rng.Below(4000) >= static_cast<uint32_t>(affectedPercent) * 100)
            rate = "19";  // the natural mix has about 40 % affected
        double r = std::atof(rate);
        double net = 40 + static_cast<double>(rng.Below(250000)) / 100.0;
        double tax = std::round(net * r) / 100.0;
        char versnr[32];
        std::snprintf(versnr, sizeof versnr, "%02u-%07u/%u", rng.Below(90) + 10,
                      rng.Below(10000000), rng.Below(10));
        char adr[16];
        std::snprintf(adr, sizeof adr, "%06u", rng.Below(999999) + 1);
        std::string ort;
        if (norm == "KFZ") {
            uint32_t p = rng.Below(15);
            char plate[40];
            std::snprintf(plate, sizeof plate, "%s-%c%c %u", kPlates[p], 'A' + rng.Below(26),
                          'A' + rng.Below(26), rng.Below(9999) + 1);
            ort = plate;
        } else {
            ort = kPlaces[rng.Below(15)];
            if (rng.Below(3) == 0)
                ort += ", Ring " + std::to_string(rng.Below(200) + 1);
        }
        char ges[8];
        std::snprintf(ges, sizeof ges, "%04u", rng.Below(400) + 1);
        t->PutValue(rec.data(), fVersnr, Usual(std::string(versnr)));
        t->PutValue(rec.data(), fAdr, Usual(std::string(adr)));
        t->PutValue(rec.data(), fName, Usual(std::string(kNames[rng.Below(36)])));
        t->PutValue(rec.data(), fOrt, Usual(ort));
        t->PutValue(rec.data(), fGes, Usual(std::string(ges)));
        t->PutValue(rec.data(), fLine, Usual(std::string(line)));
        t->PutValue(rec.data(), fRate, Usual(r));
        t->PutValue(rec.data(), fTax, Usual(tax));
        t->PutValue(rec.data(), fPrem, Usual(net + tax));
        t->PutValue(rec.data(), fPay, Usual(std::string(kPay[rng.Below(4)])));
        t->PutValue(rec.data(), fBegin,
                    Usual(Date::FromYMD(1990 + static_cast<int>(rng.Below(20)),
                                        1 + static_cast<int>(rng.Below(12)), 1)));
        t->PutValue(rec.data(), fAct, Usual(rng.Below(10) != 0));
        if (rng.Below(50) == 0)
            t->PutValue(
                rec.data(), fMemo,
                Usual("Rückfrage beim Kunden " + std::string(adr) + "\r\nam Telefon klären."));
        bool del = rng.Below(50) == 0;
        if (del) {
            rec[0] = '*';
            ++sum.deleted;
        } else if (norm == "WOHNGEBÄUDE" && Is(rate, "17.75")) {
            ++sum.row1;
        } else if (norm == "WOHNGEBÄUDE" && Is(rate, "14")) {
            ++sum.row2;
        } else if (norm == "HAUSRAT" && Is(rate, "18")) {
            ++sum.row3;
        }
        buf.insert(buf.end(), rec.begin(), rec.end());
        if (i % batch == 0 || i == count) {
            t->AppendRecords(buf.data(), static_cast<uint32_t>(buf.size() / t->RecLen()));
            buf.clear();
        }
    }
    sum.records = count;
    if (withIndexes) {
        NtxIndex::Create(d + "Vertrag5.ntx", *t, "VERSNR", false);
        NtxIndex::Create(d + "Vertrag6.ntx", *t, "ORT_S_FZKZ", false);
    }
    return sum;
}

}  // namespace kp::demo
