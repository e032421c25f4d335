// kpsteuer: the 2010 insurance-tax conversion of the contract table on the
// console, for an office's administrator. The same conversion, rules and
// locks as the program's window, so that both can never disagree, plus a
// preview, a protocol and the way back. Runs on the workstations and on a
// Linux file server beside the workstations that have the tables open.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/VSteuerUmstellung.h"
#include "kpsteuer/VSteuerProtokoll.h"
#include "platform/data/dbserver.h"
#include "platform/runtime/error.h"
#include "platform/runtime/settings.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace kp {
namespace {

// Exit codes.
constexpr int kAllDone = 0;
constexpr int kSomeLocked = 1;
constexpr int kFailed = 2;

constexpr int kDefaultWaitSeconds = 10;

const char* const kHelp =
    "kpsteuer - Umstellung der Versicherungssteuer 2010 in Vertrag.DBF\n"
    "\n"
    "Aufruf:\n"
    "  kpsteuer pruefen ORDNER...            zeigt, was die Umstellung ändern würde\n"
    "  kpsteuer anpassen [--warten S] ORDNER...   stellt die Verträge um\n"
    "  kpsteuer zurueck [--warten S] PROTOKOLL    nimmt eine Umstellung zurück\n"
    "  kpsteuer --help                        zeigt diese Hilfe\n"
    "\n"
    "ORDNER ist der Ordner, in dem die Vertragstabelle Vertrag.DBF liegt; mehrere\n"
    "Ordner werden nacheinander bearbeitet.\n"
    "\n"
    "pruefen ändert nichts. Es zeigt die Zahl der Verträge auf 13,20 %, 16,15 % und\n"
    "16,34 % wie das Programmfenster und schreibt neben die Tabelle eine Vorschau\n"
    "(VSteuer-Vorschau-DATUM-ZEIT.csv) mit jedem Vertrag, der sich ändern würde, und\n"
    "den Beinahe-Treffern: Sparten, die nur in der Schreibweise abweichen, und\n"
    "Verträge der umgestellten Sparten mit einem anderen Steuersatz.\n"
    "\n"
    "anpassen stellt um wie das Programmfenster und schreibt dabei das Protokoll\n"
    "VSteuer-Protokoll-DATUM-ZEIT.csv neben die Tabelle. Verträge, die ein anderes\n"
    "Programm gesperrt hält, werden S Sekunden lang (Vorgabe 10) erneut versucht und\n"
    "dann aufgelistet; ein neuer Aufruf stellt sie später um.\n"
    "\n"
    "zurueck stellt die alten Werte jedes Vertrags im Protokoll wieder her, dessen\n"
    "Werte noch die des Protokolls sind. Seither geänderte Verträge bleiben, wie sie\n"
    "sind, und werden als Konflikt aufgelistet. Es schreibt ein eigenes Protokoll\n"
    "(VSteuer-Zurueck-DATUM-ZEIT.csv).\n"
    "\n"
    "Die CSV-Dateien (UTF-8, Semikolon, Dezimalkomma) öffnet eine deutsche\n"
    "Tabellenkalkulation mit Doppelklick.\n"
    "\n"
    "Rückgabewert: 0 alles umgestellt, 1 gesperrte Verträge blieben (aufgelistet),\n"
    "2 Fehler.\n";

void Out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

void Err(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

bool OnTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

// A percentage that overwrites itself on a terminal; nothing elsewhere.
class Fortschritt {
  public:
    explicit Fortschritt(std::string what) : what_(std::move(what)), shown_(OnTerminal()) {}
    ~Fortschritt() {
        if (shown_ && started_)
            Err("\r" + what_ + ": fertig   \n");
    }
    void operator()(uint32_t percent) {
        if (!shown_)
            return;
        started_ = true;
        Err("\r" + what_ + ": " + std::to_string(percent) + " %  ");
    }

  private:
    std::string what_;
    bool shown_;
    bool started_ = false;
};

std::string Utf8(const std::filesystem::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The contract table of a folder. A Linux file server keeps the name's
// case as a workstation wrote it ("VERTRAG.DBF"): any case is taken.
std::string TableIn(const std::string& folder) {
    const std::filesystem::path dir = PathOf(folder);
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
        std::string name = Utf8(e.path().filename());
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (name == "VERTRAG.DBF")
            return Utf8(e.path());
    }
    return Utf8(dir / "Vertrag.DBF");
}

// Errors of the data layer are shown as they come; lock errors are not:
// the walks list the contracts they leave.
class Fehlerblock {
  public:
    Fehlerblock() {
        old_ = ErrorBlock([this](std::shared_ptr<Error> e) {
            if (e->GenCode != EG_LOCK) {
                failed_ = true;
                Err("Fehler: " + e->Description +
                    (e->FileName.empty() ? std::string() : " (" + e->FileName + ")") + "\n");
            }
            return Usual(false);
        });
    }
    ~Fehlerblock() { ErrorBlock(old_); }
    bool Failed() const { return failed_; }
    void Reset() { failed_ = false; }

  private:
    ErrorBlockFn old_;
    bool failed_ = false;
};

std::string Counts(const VSteuerCounts& c) {
    return "  Verträge auf 13,20%: " + std::to_string(c.row[1]) +
           "\n  Verträge auf 16,15%: " + std::to_string(c.row[2]) +
           "\n  Verträge auf 16,34%: " + std::to_string(c.row[0]) + "\n";
}

std::string Vertraege(uint32_t n) {
    return std::to_string(n) + (n == 1 ? " Vertrag" : " Verträge");
}

int Pruefen(const std::string& folder, Fehlerblock& errors) {
    const std::string table = TableIn(folder);
    Out("Ordner " + folder + ":\n");
    DBServer db(table);
    if (!db.Used())
        return kFailed;
    std::string error;
    auto preview = VSteuerProtokoll::Create(db, ProtokollArt::Vorschau, &error);
    if (!preview) {
        Err("Fehler: " + error + "\n");
        return kFailed;
    }
    const VSteuerUmstellung::Result r = VSteuerUmstellung(db).Preview(*preview);
    const bool written = preview->Finish();
    Out(Counts(r.counts));
    Out("  Würden geändert: " + Vertraege(r.converted) + "\n");
    if (r.skipped)
        Out("  Nicht lesbar (würden nicht geändert): " + Vertraege(r.skipped) + "\n");
    Out("  Beinahe-Treffer: " + std::to_string(preview->Summe().nearMisses) + "\n");
    Out("  Vorschau: " + preview->Path() + "\n");
    if (!written) {
        Err("Fehler: Die Vorschau " + preview->Path() + " konnte nicht geschrieben werden.\n");
        return kFailed;
    }
    return errors.Failed() || r.skipped ? kFailed : kAllDone;
}

// A walk that changes the table, as anpassen and zurueck run it: with the
// lock wait, a protocol beside the table that lists the contracts the walk
// leaves, the progress, and the exit code.
struct Lauf {
    ProtokollArt art;
    std::string progressName;
    // The walk itself, its protocol the journal and progress told the
    // percentage.
    std::function<VSteuerUmstellung::Result(VSteuerUmstellung& walk, VSteuerProtokoll& protocol,
                                            const VSteuerUmstellung::Progress& progress)>
        walk;
    // The counts of a finished walk, before the contracts it left.
    std::function<void(const VSteuerUmstellung::Result& r)> report;
    // The error when the protocol could not be written (its path given).
    std::function<std::string(const std::string& path)> unwritten;
};

int MitProtokoll(DBServer& db, int waitSeconds, const Lauf& lauf, Fehlerblock& errors) {
    db.SetLockTimeout(waitSeconds * 1000);
    std::string error;
    auto protocol = VSteuerProtokoll::Create(db, lauf.art, &error);
    if (!protocol) {
        Err("Fehler: " + error + "\n");
        return kFailed;
    }
    std::vector<std::string> left;
    protocol->OnLeft([&](const std::string& line) { left.push_back(line); });
    VSteuerUmstellung walk(db);
    VSteuerUmstellung::Result r;
    {
        Fortschritt progress(lauf.progressName);
        r = lauf.walk(walk, *protocol, [&](uint32_t percent) { progress(percent); });
    }
    const bool written = protocol->Finish();
    db.Close();
    lauf.report(r);
    for (const std::string& l : left)
        Out("    " + l + "\n");
    Out("  Protokoll: " + protocol->Path() + "\n");
    if (!written) {
        Err(lauf.unwritten(protocol->Path()));
        return kFailed;
    }
    if (errors.Failed() || r.skipped > r.locked)
        return kFailed;
    // Only putting back finds conflicts; a conversion has none.
    return r.locked || r.conflicts ? kSomeLocked : kAllDone;
}

int Anpassen(const std::string& folder, int waitSeconds, Fehlerblock& errors) {
    const std::string table = TableIn(folder);
    Out("Ordner " + folder + ":\n");
    DBServer db(table);
    if (!db.Used())
        return kFailed;
    Lauf lauf;
    lauf.art = ProtokollArt::Anpassen;
    lauf.progressName = folder;
    lauf.walk = [](VSteuerUmstellung& walk, VSteuerProtokoll& protocol,
                   const VSteuerUmstellung::Progress& progress) {
        const VSteuerCounts counts = walk.Count();
        Out(Counts(counts));
        walk.SetJournal(&protocol);
        return walk.Convert(counts.Total() ? counts.Total() : 1, progress);
    };
    lauf.report = [](const VSteuerUmstellung::Result& r) {
        Out("  Angepasst: " + Vertraege(r.converted) + "\n");
        if (r.locked)
            Out("  Gesperrt geblieben (bitte später erneut anpassen): " + Vertraege(r.locked) +
                "\n");
        if (r.skipped > r.locked)
            Out("  Nicht angepasst wegen Fehlern: " + Vertraege(r.skipped - r.locked) + "\n");
    };
    lauf.unwritten = [](const std::string& path) {
        return "Fehler: Das Protokoll " + path + " konnte nicht geschrieben werden.\n";
    };
    return MitProtokoll(db, waitSeconds, lauf, errors);
}

int Zurueck(const std::string& path, int waitSeconds, Fehlerblock& errors) {
    ProtokollLeser reader;
    std::string error;
    // The whole file is checked first: a damaged one changes nothing.
    if (!reader.Open(path, &error)) {
        Err("Fehler: " + error + "\n");
        return kFailed;
    }
    const ProtokollKopf& head = reader.Kopf();
    if (head.art == ProtokollArt::Vorschau) {
        Err("Fehler: " + path +
            " ist eine Vorschau; sie hat nichts geändert und kann nicht zurückgenommen "
            "werden. Bitte geben Sie ein Protokoll von \"anpassen\" an.\n");
        return kFailed;
    }
    const std::filesystem::path folder = PathOf(path).parent_path();
    const std::string table = Utf8(folder / PathOf(head.table));
    Out("Protokoll " + path + " (" + head.time + "), Tabelle " + table + ":\n");
    DBServer db(table);
    if (!db.Used())
        return kFailed;
    if (db.RecordLength() != head.recLen || ProtokollLayout(db) != head.layout) {
        Err("Fehler: Die Tabelle " + table +
            " hat einen anderen Aufbau als die Tabelle des Protokolls. Es wurde nichts "
            "geändert. Bitte legen Sie das Protokoll neben die Tabelle, zu der es gehört.\n");
        return kFailed;
    }
    Lauf lauf;
    lauf.art = ProtokollArt::Zurueck;
    lauf.progressName = Utf8(PathOf(path).filename());
    lauf.walk = [&](VSteuerUmstellung& walk, VSteuerProtokoll& protocol,
                    const VSteuerUmstellung::Progress& progress) {
        ProtokollEintrag e;
        return walk.Restore(
            [&](VSteuerRestore& out) {
                if (!reader.Next(&e))
                    return false;
                out = std::move(e.restore);
                return true;
            },
            protocol, waitSeconds * 1000, progress, reader.Entries());
    };
    lauf.report = [](const VSteuerUmstellung::Result& r) {
        Out("  Zurückgestellt: " + Vertraege(r.converted) + "\n");
        if (r.already)
            Out("  Schon wie vor der Umstellung: " + Vertraege(r.already) + "\n");
        if (r.conflicts)
            Out("  Konflikte (seither geändert, bleiben wie sie sind): " + Vertraege(r.conflicts) +
                "\n");
        if (r.locked)
            Out("  Gesperrt geblieben (bitte später erneut aufrufen): " + Vertraege(r.locked) +
                "\n");
    };
    lauf.unwritten = [](const std::string&) {
        return std::string(
            "Fehler: Das Protokoll konnte nicht vollständig gelesen oder geschrieben werden.\n");
    };
    return MitProtokoll(db, waitSeconds, lauf, errors);
}

int Run(const std::vector<std::string>& args) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "/?" ||
        args[0] == "hilfe") {
        Out(kHelp);
        return args.empty() ? kFailed : kAllDone;
    }
    // The program's own settings.
    SetAnsi(false);
    SetDeleted(true);
    SetExclusive(false);

    const std::string command = args[0];
    int waitSeconds = kDefaultWaitSeconds;
    std::vector<std::string> names;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--warten" && i + 1 < args.size()) {
            char* end = nullptr;
            const long s = std::strtol(args[++i].c_str(), &end, 10);
            if (*end != '\0' || s < 0 || s > 3600) {
                Err("Fehler: --warten erwartet Sekunden von 0 bis 3600, nicht \"" + args[i] +
                    "\".\n");
                return kFailed;
            }
            waitSeconds = static_cast<int>(s);
        } else {
            names.push_back(args[i]);
        }
    }
    if ((command != "pruefen" && command != "anpassen" && command != "zurueck") || names.empty() ||
        (command == "zurueck" && names.size() != 1)) {
        Err("Fehler: Unbekannter Aufruf. \"kpsteuer --help\" zeigt, wie kpsteuer aufgerufen "
            "wird.\n");
        return kFailed;
    }
    Fehlerblock errors;
    if (command == "zurueck")
        return Zurueck(names[0], waitSeconds, errors);
    int worst = kAllDone;
    for (const std::string& folder : names) {
        errors.Reset();
        const int rc =
            command == "pruefen" ? Pruefen(folder, errors) : Anpassen(folder, waitSeconds, errors);
        worst = std::max(worst, rc);
    }
    return worst;
}

}  // namespace
}  // namespace kp

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string s(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
        WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, s.data(), n, nullptr, nullptr);
        // "C:\Kunden\A\" in quotes reaches a program as C:\Kunden\A" (the
        // backslash escapes the closing quote): a folder name has no quote.
        if (s.size() > 1 && s.back() == '"')
            s.back() = '\\';
        args.push_back(std::move(s));
    }
    return kp::Run(args);
}
#else
int main(int argc, char** argv) {
    return kp::Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
