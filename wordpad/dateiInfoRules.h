#pragma once
// What the document-information dialog shows and writes when it files a
// letter. Plain functions over DBServer, without windows, so that tests call
// them directly; the dialog only gathers the box texts and tells refusals.
//
// Filing is all or nothing: every value is checked against its field before
// anything is appended (descriptive texts too wide for their field are cut,
// file names too long are refused, a character the table cannot hold is
// refused), and a failure after the append removes the record again. The
// new DOKNR or VORNR is taken under the register's numbering lock, held from
// reading the highest number until the new record is committed, so two
// workstations filing at the same moment never get the same number.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/data/osfile.h"
#include "platform/runtime/date.h"

namespace kp {

class DBServer;

// ---- Texts of the boxes

// The addressee the letter was written for, from the shared DOKAUFRUF: its
// first character is the type ("K" customer, "G" insurer, "B" or "V"
// broker), the rest the key. Any other type leaves all three empty.
struct DokAufruf {
    std::string cKunde;
    std::string cGesell;
    std::string cVermittler;
};
DokAufruf ParseDokAufruf(std::string_view dokAufruf);

// "ANREDE TITEL VNAME NNAME": each part trimmed, empty parts left out,
// joined by single blanks.
std::string PersonText(std::string_view anrede, std::string_view titel, std::string_view vname,
                       std::string_view nname);
// The same of the current record of Adressen.dbf or Vermitt.dbf.
std::string PersonText(DBServer& server);

// The list entries of the current record: customer "ADRESSNR NNAME VNAME",
// insurer "GESELL SPARTE GESNR", broker "BETREUNR NNAME VNAME" (fields as
// stored, with their padding).
std::string KundenEntry(DBServer& adressen);
std::string GesellEntry(DBServer& gesellA);
std::string VermittEntry(DBServer& vermitt);

// The box text for the addressee that DOKAUFRUF names: the list entry of
// the record whose number is exactly the key (customers by ADRESSNR in
// order 1, insurers by GESNR in order 2, brokers by BETREUNR in order 2),
// "" when the key is empty or no record has that number.
std::string KundenEintrag(DBServer& adressen, std::string_view key);
std::string GesellEintrag(DBServer& gesellA, std::string_view key);
std::string VermittEintrag(DBServer& vermitt, std::string_view key);

// The insurer list: every record of GesellA.dbf in its current order.
std::vector<std::string> GesellList(DBServer& gesellA);
// The broker list: the brokers whose AKTIV is false, in the current order.
std::vector<std::string> VermittList(DBServer& vermitt);

// The template types the template box offers, and the letter VORTYP gets
// for one of them: the first character of the trimmed text ("" for blank).
const std::vector<std::string>& VorlageTypen();
std::string VorlageTyp(std::string_view typText);

// The first n characters of the trimmed box text: 6 for a customer number,
// 15 for an insurer, 12 for a broker number.
inline constexpr int kKundenNrLen = 6;
inline constexpr int kGesellLen = 15;
inline constexpr int kVermittNrLen = 12;
std::string BoxKey(std::string_view boxText, int n);

// Seeks a customer number in order 1 of Adressen.dbf (a broker number in
// order 2 of Vermitt.dbf) and gives the person text, or "" when the key is
// empty or no record carries exactly that number (a short key must not
// pick up the first number that merely begins with it).
std::string KundeText(DBServer& adressen, std::string_view kundenNr);
std::string VermittlerText(DBServer& vermitt, std::string_view vermittNr);

// ---- Filing

// What the dialog gathered.
struct DateiInfoEingabe {
    std::string cAblage;    // full file name as saved
    std::string cUrsprung;  // the shared DURSPRUNG
    std::string kundeBox;
    std::string gesellBox;
    std::string betreuerBox;
    std::string versandart;
    std::string verssparte;
    std::string titel;
    bool vorlage = false;  // file as a template
    std::string vorlageTyp;
    bool wiedervorlage = false;  // also into the resubmission file
    std::string wvDatum;         // the date field's text
    std::string wvGrund;
    Date heute;
};

// The tables filing reads and writes; a register that the chosen kind of
// filing does not need may be null.
struct DateiInfoTabellen {
    DBServer* dokVW = nullptr;     // order 7 on DOKNR
    DBServer* textVor = nullptr;   // order 4 on VORNR
    DBServer* datWV = nullptr;     //
    DBServer* adressen = nullptr;  // order 1 on ADRESSNR
    DBServer* vermitt = nullptr;   // order 2 on BETREUNR (+ name)
};

struct AblageErgebnis {
    bool ok = false;
    std::string meldung;         // German, for the user, when not ok
    int32_t dokNr = 0;           // the DOKNR given (document)
    int32_t vorNr = 0;           // the VORNR given (template)
    bool wiedervorlage = false;  // a DatWV record was written
};

// The registers' indexes in their orders, as the word processor opens
// them: DokVW.dbf is numbered in order 7 (DOKNR) and sought in order 5
// (ABLAGE), TextVor.dbf numbered in order 4 (VORNR) and sought in order 3.
inline constexpr std::array<const char*, 7> kDokVWIndexes{"DokVW.ntx",  "DokVW2.ntx", "DokVW3.ntx",
                                                          "DokVW4.ntx", "DokVW5.ntx", "DokVW6.ntx",
                                                          "DokVW7.ntx"};
inline constexpr std::array<const char*, 4> kTextVorIndexes{"TextVor.ntx", "TextVor2.ntx",
                                                            "TextVor3.ntx", "TextVor4.ntx"};
inline constexpr std::array<const char*, 1> kDatWVIndexes{"DatWV.ntx"};

// Whether the server has exactly these indexes open, in this order (every
// index a write must keep right, and the orders where they are expected);
// false with a German message naming the first one missing.
bool IndexesOpen(const DBServer& server, const char* const* indexes, size_t count,
                 std::string* message);
template <size_t N>
bool IndexesOpen(const DBServer& server, const std::array<const char*, N>& indexes,
                 std::string* message) {
    return IndexesOpen(server, indexes.data(), N, message);
}

// How long filing waits for another workstation's numbering lock.
inline constexpr int kNumberLockWaitMs = 5000;

// Files the letter: a template record in TextVor.dbf, or a document record
// in DokVW.dbf plus, when wanted, a resubmission record in DatWV.dbf. A
// resubmission needs a valid date; with a template it is not written. A
// refusal or failure leaves every table as it was.
AblageErgebnis DateiAblegen(const DateiInfoTabellen& t, const DateiInfoEingabe& in,
                            int lockWaitMs = kNumberLockWaitMs);

// The numbering lock of a register: a lock byte of the table file beyond
// the ranges of the shared lock scheme, so it never blocks a reader, a
// record lock or an append, only another numbering. Held while the object
// lives.
class NumberLock {
  public:
    // Tries for up to waitMs; nullopt when another holder keeps it.
    static std::optional<NumberLock> Acquire(const std::string& dbfPath, int waitMs);
    NumberLock(NumberLock&&) = default;
    NumberLock& operator=(NumberLock&&) = default;
    ~NumberLock();

    static constexpr uint64_t kOffset = 2'000'000'000ULL;

  private:
    NumberLock() = default;
    std::unique_ptr<OsFile> file_;
    RangeLock lock_;
};

}  // namespace kp
