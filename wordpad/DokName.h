#pragma once
// The document key of a new letter and its running number in DokName.dbf.
//
// The shell names the addressee of a new letter in the shared value
// DOKNAMENEU: one type letter ("K" customer, "G" insurer, "V" or "B"
// broker) followed by the key. The key decides the letter's folder, the
// order of DokName.dbf its record is sought in and the fields of a new
// record. DokName.dbf keeps per addressee the last running number used;
// ReserveDokNumber takes the next one for good, whether or not the letter
// is ever saved.
#include <functional>
#include <string>

namespace kp {

class DBServer;

enum class DokTyp { Keiner, Kunde, Gesell, Vermitt };

struct DokKey {
    DokTyp typ = DokTyp::Keiner;
    std::string key;     // the document key without its type letter
    std::string ordner;  // "Texte\Kunden\" ...; empty without a key
    int order = 0;       // order of DokName.dbf (1, 2, 3); 0 without a key
    // The DokName fields the key fills; only the type's are set.
    std::string adressNr, initial, gesNr, gKurz, vermittNr, jahr;

    bool HasKey() const { return typ != DokTyp::Keiner; }
    // The customer, insurer or broker key, as the word pad keeps it.
    std::string KundenKey() const { return typ == DokTyp::Kunde ? key : std::string(); }
    std::string GesellKey() const { return typ == DokTyp::Gesell ? key : std::string(); }
    std::string VermittKey() const { return typ == DokTyp::Vermitt ? key : std::string(); }
};

// Splits a DOKNAMENEU value. Any other type letter (or an empty value, or
// a type letter with nothing after it) gives a letter without a key.
DokKey ParseDokKey(const std::string& dokNameNeu);

// The addressee of a letter with this key as the filing dialog reads it
// from the shared DOKAUFRUF: the type letter and the customer's ADRESSNR,
// the insurer's GESNR or the broker's number ("K000289", "G0042",
// "V1001"); "" for a letter without a key.
std::string DokAufrufFor(const DokKey& key);

// The base file name of a letter: key, "_", four-digit number.
std::string DokBaseName(const std::string& key, int number);

// The highest running number; the next letter of such an addressee is
// refused rather than numbered "0000" over the first one's file name.
inline constexpr int kMaxDokNumber = 9999;

struct DokNumberResult {
    bool ok = false;
    int number = 0;       // the reserved number (1 .. 9999)
    std::string dokName;  // key + "_" + number
    std::string message;  // German text for the user when !ok
};

// Reserves the next running number of the addressee in DokName.dbf (the
// server is open with DokName.ntx, DokName2.ntx and DokName3.ntx as orders
// 1 to 3). The number is taken under the record lock of the addressee's
// record (lock, re-read, increment, write, commit), so two word pads on
// one or two workstations never get the same number. A new addressee's
// record is appended under the register's numbering lock (the one filing
// takes, see dateiInfoRules.h), after the addressee was sought again under
// it; the claim holds "0000" until the number is taken from it. Should a
// program that does not take the lock have appended the same key, the
// earlier record wins and the own one is deleted. A reservation that fails
// leaves no claim behind. `afterMiss` runs between the first seek and the
// lock (tests use it to let a second program in at that very moment);
// `lockWaitMs` is how long another workstation's numbering lock is waited
// for.
DokNumberResult ReserveDokNumber(DBServer& dokName, const DokKey& key,
                                 const std::function<void()>& afterMiss = {},
                                 int lockWaitMs = 5000);

}  // namespace kp
