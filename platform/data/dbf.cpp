#include "platform/data/dbf.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/data/byteorder.h"
#include "platform/data/dberror.h"
#include "platform/data/fieldcodec.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/error.h"

namespace kp {

void ThrowDb(int32_t genCode, const std::string& fileName, const std::string& description,
             uint32_t osCode, bool canRetry) {
    DbError e;
    e.genCode = genCode;
    e.osCode = osCode;
    e.fileName = fileName;
    e.description = description;
    e.canRetry = canRetry;
    throw e;
}

namespace {

constexpr uint32_t kMemoBlock = 512;
constexpr size_t kMaxMemo = 64u << 20;  // a memo longer than this is damage
constexpr size_t kWindowBytes = 64 * 1024;

bool KnownVersion(uint8_t v) {
    return v == 0x03 || v == 0x04 || v == 0x05 || v == 0x07 || v == 0x83 || v == 0x87;
}

uint8_t CpByteFor(int cp) {
    switch (cp) {
        case 437:
            return 0x01;
        case 850:
            return 0x02;
        case 1252:
            return 0x03;
        default:
            return 0;
    }
}

std::string Hex2(unsigned v) {
    const char* d = "0123456789ABCDEF";
    std::string s = "0x";
    s += d[(v >> 4) & 15];
    s += d[v & 15];
    return s;
}

void WriteDateBytes(unsigned char* p, Date d) {
    p[0] = static_cast<unsigned char>(d.Year() - 1900);
    p[1] = static_cast<unsigned char>(d.Month());
    p[2] = static_cast<unsigned char>(d.Day());
}

}  // namespace

std::string MemoPathFor(const std::string& dbfPath) {
    size_t slash = dbfPath.find_last_of("/\\");
    size_t dot = dbfPath.rfind('.');
    std::string base = (dot != std::string::npos && (slash == std::string::npos || dot > slash))
                           ? dbfPath.substr(0, dot)
                           : dbfPath;
    std::string ext = base.size() < dbfPath.size() ? dbfPath.substr(base.size() + 1) : "";
    bool lower = !ext.empty() && std::islower(static_cast<unsigned char>(ext[0]));
    return base + (lower ? ".dbt" : ".DBT");
}

void Table::Fail(int32_t gen, const std::string& what, uint32_t os) const {
    ThrowDb(gen, path_, what, os);
}

std::unique_ptr<Table> Table::Open(const std::string& path, const TableOptions& opt) {
    std::unique_ptr<Table> t(new Table());
    t->path_ = path;
    t->opt_ = opt;
    auto share = opt.exclusive ? OsFile::Share::Exclusive : OsFile::Share::Shared;
    uint32_t os = 0;
    t->file_ = OsFile::Open(
        path, share, opt.readOnly ? OsFile::Access::ReadOnly : OsFile::Access::ReadWrite, &os);
    if (!t->file_ && !opt.readOnly && os == OSERR_ACCESS_DENIED) {
        // A write-protected table can still be read.
        t->file_ = OsFile::Open(path, share, OsFile::Access::ReadOnly, &os);
    }
    if (!t->file_)
        t->Fail(EG_OPEN,
                "Die Tabelle kann nicht geöffnet werden (nicht vorhanden oder von einem anderen "
                "Programm exklusiv geöffnet).",
                os);
    t->ReadHeader();

    bool needMemo = (t->version_ & 0x80) != 0;
    for (const auto& f : t->fields_)
        if (f.type == 'M')
            needMemo = true;
    if (needMemo) {
        std::string mp = MemoPathFor(path);
        if (!OsFile::Exists(mp)) {
            // Another case of the extension on case-sensitive file systems.
            std::string alt = mp;
            bool lower = alt.back() == 't';
            alt.replace(alt.size() - 3, 3, lower ? "DBT" : "dbt");
            if (OsFile::Exists(alt))
                mp = alt;
        }
        t->memoPath_ = mp;
        t->memo_ = OsFile::Open(
            mp, share, t->file_->ReadOnly() ? OsFile::Access::ReadOnly : OsFile::Access::ReadWrite,
            &os);
        if (!t->memo_)
            ThrowDb(EG_OPEN, mp,
                    "Die Memo-Datei der Tabelle kann nicht geöffnet werden (nicht vorhanden oder "
                    "von einem anderen Programm exklusiv geöffnet).",
                    os);
    }
    return t;
}

Table::~Table() = default;

void Table::ReadHeader() {
    int64_t size = file_->Size();
    if (size < 0)
        Fail(EG_READ, "Die Tabelle kann nicht gelesen werden.", file_->LastError());
    if (static_cast<uint64_t>(size) > kLockBase)
        Fail(EG_LIMIT,
             "Die Tabelle ist größer als 1.000.000.000 Bytes und kann nicht bearbeitet werden.");
    if (size < 32)
        Fail(EG_CORRUPTION, "Die Tabelle ist beschädigt: Der Dateikopf ist zu kurz.");
    unsigned char h[32];
    if (file_->ReadAt(0, h, 32) != 32)
        Fail(EG_READ, "Der Dateikopf der Tabelle kann nicht gelesen werden.", file_->LastError());
    version_ = h[0];
    if (!KnownVersion(version_))
        Fail(EG_UNSUPPORTED,
             "Dieses Tabellenformat wird nicht unterstützt (Versionsbyte " + Hex2(version_) + ").");
    int yy = h[1];
    int year = yy >= 100 ? 1900 + yy : (yy < 80 ? 2000 + yy : 1900 + yy);
    lastUpdate_ = Date::FromYMD(year, h[2], h[3]);
    headerCount_ = U32(h + 4);
    hdrLen_ = U16(h + 8);
    recLen_ = U16(h + 10);
    cpByte_ = h[29];
    if (hdrLen_ < 64)
        Fail(EG_CORRUPTION, "Die Tabelle ist beschädigt: Die Länge des Dateikopfs ist ungültig.");
    if (hdrLen_ > static_cast<uint64_t>(size))
        Fail(EG_CORRUPTION, "Die Tabelle ist beschädigt: Der Dateikopf ist länger als die Datei.");
    std::vector<unsigned char> hdr(hdrLen_);
    if (file_->ReadAt(0, hdr.data(), hdrLen_) != hdrLen_)
        Fail(EG_READ, "Der Dateikopf der Tabelle kann nicht gelesen werden.", file_->LastError());

    fields_.clear();
    uint32_t offset = 1;
    for (uint32_t at = 32; at + 32 <= hdrLen_ && hdr[at] != 0x0D; at += 32) {
        const unsigned char* d = &hdr[at];
        DbfField f;
        size_t n = 0;
        while (n < 11 && d[n] != 0)
            ++n;
        f.name.assign(reinterpret_cast<const char*>(d), n);
        while (!f.name.empty() && f.name.back() == ' ')
            f.name.pop_back();
        if (f.name.empty())
            Fail(EG_CORRUPTION,
                 "Die Tabelle ist beschädigt: Eine Feldbeschreibung hat keinen Namen.");
        f.type = static_cast<char>(std::toupper(d[11]));
        int len = d[16], dec = d[17];
        switch (f.type) {
            case 'C':
                f.width = dec * 256 + len;
                f.decimals = 0;
                break;
            case 'F':
                f.type = 'N';
                [[fallthrough]];
            case 'N':
                f.width = len;
                f.decimals = dec;
                if (dec > 0 && dec >= len)
                    Fail(EG_CORRUPTION,
                         "Die Tabelle ist beschädigt: Die Nachkommastellen des Feldes " + f.name +
                             " sind ungültig.");
                break;
            case 'D':
                f.width = len;
                if (len != 8)
                    Fail(EG_CORRUPTION, "Die Tabelle ist beschädigt: Das Datumsfeld " + f.name +
                                            " ist nicht 8 Bytes breit.");
                break;
            case 'L':
                f.width = len;
                break;
            case 'M':
                f.width = len;
                if (len != 10)
                    Fail(EG_UNSUPPORTED,
                         "Das Memofeld " + f.name +
                             " ist nicht 10 Bytes breit; dieses Format wird nicht unterstützt.");
                break;
            default:
                Fail(EG_UNSUPPORTED, "Das Feld " + f.name + " hat den nicht unterstützten Typ '" +
                                         std::string(1, static_cast<char>(d[11])) + "'.");
        }
        if (f.width <= 0)
            Fail(EG_CORRUPTION,
                 "Die Tabelle ist beschädigt: Das Feld " + f.name + " hat die Breite 0.");
        f.offset = offset;
        offset += static_cast<uint32_t>(f.width);
        fields_.push_back(std::move(f));
    }
    if (fields_.empty())
        Fail(EG_CORRUPTION, "Die Tabelle ist beschädigt: Sie hat keine Felder.");
    if (recLen_ < offset)
        Fail(EG_CORRUPTION, "Die Tabelle ist beschädigt: Die Satzlänge ist kürzer als die Felder.");
    RefreshCount();
}

int Table::FieldIndex(std::string_view name) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (EqualNoCase(fields_[i].name, name))
            return static_cast<int>(i);
    return -1;
}

uint32_t Table::RefreshCount() {
    unsigned char c[4];
    if (file_->ReadAt(4, c, 4) != 4)
        Fail(EG_READ, "Der Dateikopf der Tabelle kann nicht gelesen werden.", file_->LastError());
    headerCount_ = U32(c);
    int64_t size = file_->Size();
    if (size < 0)
        Fail(EG_READ, "Die Tabelle kann nicht gelesen werden.", file_->LastError());
    uint64_t usable = std::min<uint64_t>(static_cast<uint64_t>(size), kLockBase);
    uint64_t fits = usable > hdrLen_ ? (usable - hdrLen_) / recLen_ : 0;
    count_ = static_cast<uint32_t>(std::min<uint64_t>(headerCount_, fits));
    if (winCount_ && winFirst_ + winCount_ - 1 > count_)
        winCount_ = 0;
    return count_;
}

const char* Table::Fetch(uint32_t r, bool ahead) {
    if (r >= winFirst_ && r < winFirst_ + winCount_)
        return window_.data() + static_cast<size_t>(r - winFirst_) * recLen_;
    if (r == 0 || r > count_)
        Fail(EG_READ, "Den Datensatz " + std::to_string(r) + " gibt es nicht.");
    uint32_t n = 1;
    if (ahead) {
        uint32_t cap = static_cast<uint32_t>(std::max<size_t>(1, kWindowBytes / recLen_));
        n = std::min(cap, count_ - r + 1);
    }
    window_.resize(static_cast<size_t>(n) * recLen_);
    winCount_ = 0;
    uint64_t off = hdrLen_ + static_cast<uint64_t>(r - 1) * recLen_;
    int64_t got = file_->ReadAt(off, window_.data(), window_.size());
    if (got < 0)
        Fail(EG_READ, "Der Datensatz " + std::to_string(r) + " kann nicht gelesen werden.",
             file_->LastError());
    uint32_t whole = static_cast<uint32_t>(static_cast<uint64_t>(got) / recLen_);
    if (whole == 0)
        Fail(EG_CORRUPTION, "Die Tabelle ist beschädigt: Der Datensatz " + std::to_string(r) +
                                " liegt hinter dem Dateiende.");
    winFirst_ = r;
    winCount_ = std::min(whole, n);
    return window_.data();
}

void Table::ReadFresh(uint32_t r, char* out) {
    if (r == 0 || r > count_)
        RefreshCount();
    if (r == 0 || r > count_)
        Fail(EG_READ, "Den Datensatz " + std::to_string(r) + " gibt es nicht.");
    uint64_t off = hdrLen_ + static_cast<uint64_t>(r - 1) * recLen_;
    int64_t got = file_->ReadAt(off, out, recLen_);
    if (got < 0)
        Fail(EG_READ, "Der Datensatz " + std::to_string(r) + " kann nicht gelesen werden.",
             file_->LastError());
    if (got != recLen_)
        Fail(EG_CORRUPTION, "Die Tabelle ist beschädigt: Der Datensatz " + std::to_string(r) +
                                " liegt hinter dem Dateiende.");
    if (r >= winFirst_ && r < winFirst_ + winCount_)
        std::memcpy(window_.data() + static_cast<size_t>(r - winFirst_) * recLen_, out, recLen_);
}

uint32_t Table::ReadRecords(uint32_t first, uint32_t n, char* out) {
    if (n == 0)
        return 0;
    if (first == 0 || first > count_ || n > count_ - first + 1)
        Fail(EG_READ,
             "Den Datensatz " + std::to_string(first == 0 ? 0 : first + n - 1) + " gibt es nicht.");
    uint64_t off = hdrLen_ + static_cast<uint64_t>(first - 1) * recLen_;
    int64_t got = file_->ReadAt(off, out, static_cast<size_t>(n) * recLen_);
    if (got < 0)
        Fail(EG_READ,
             "Die Datensätze ab " + std::to_string(first) + " können nicht gelesen werden.",
             file_->LastError());
    return static_cast<uint32_t>(static_cast<uint64_t>(got) / recLen_);
}

uint32_t Table::ReadRun(uint32_t first, uint32_t n, char* out) {
    if (first == 0 || n == 0)
        return 0;
    if (first + (n - 1) > count_)
        RefreshCount();
    if (first > count_)
        return 0;
    return ReadRecords(first, std::min(n, count_ - first + 1), out);
}

RangeLock Table::LockWait(OsFile* f, uint64_t off, uint64_t len, int32_t genCode, bool retry) {
    if (opt_.exclusive)
        return RangeLock();
    int64_t start = NowMs();
    int pause = 1;
    for (;;) {
        if (f->TryLock(off, len))
            return RangeLock(f, off, len);
        if (NowMs() - start >= opt_.lockWaitMs)
            break;
        SleepMs(pause);
        pause = std::min(pause * 2, 25);
    }
    std::string what =
        genCode == EG_APPENDLOCK ? "Der Tabellenkopf wird gerade von einem anderen Programm "
                                   "bearbeitet; bitte später wiederholen."
        : len > 1
            ? "Die Tabelle wird gerade von einem anderen Programm bearbeitet; bitte später "
              "wiederholen."
            : "Datensatz " + std::to_string(off - kLockBase) +
                  " wird gerade von einem anderen Programm bearbeitet; bitte später wiederholen.";
    ThrowDb(genCode, path_, what, OSERR_LOCK_VIOLATION, retry);
}

RangeLock Table::LockRecord(uint32_t r) {
    return LockWait(file_.get(), kLockBase + r, 1, EG_LOCK, true);
}

RangeLock Table::LockFile() {
    return LockWait(file_.get(), kLockBase, kLockBase, EG_LOCK, true);
}

bool Table::TryLockRecords(uint32_t first, uint32_t last, RangeLock* out) {
    *out = RangeLock();
    if (opt_.exclusive)
        return true;
    // Never B itself: that byte is the header and append lock.
    if (first == 0 || last < first)
        Fail(EG_ARG, "Der Satzbereich " + std::to_string(first) + " bis " + std::to_string(last) +
                         " ist ungültig.");
    const uint64_t len = static_cast<uint64_t>(last - first) + 1;
    if (!file_->TryLock(kLockBase + first, len))
        return false;
    *out = RangeLock(file_.get(), kLockBase + first, len);
    return true;
}

RangeLock Table::LockHeader() {
    return LockWait(file_.get(), kLockBase, 1, EG_APPENDLOCK, true);
}

void Table::WriteRecord(uint32_t r, const char* rec) {
    if (file_->ReadOnly())
        Fail(EG_READONLY, "Die Tabelle ist nur zum Lesen geöffnet; Änderungen sind nicht möglich.");
    uint64_t off = hdrLen_ + static_cast<uint64_t>(r - 1) * recLen_;
    if (r == 0 || off + recLen_ > kLockBase)
        Fail(EG_WRITE, "Der Datensatz " + std::to_string(r) +
                           " liegt außerhalb der Tabelle und kann nicht geschrieben werden.");
    if (!file_->WriteAt(off, rec, recLen_))
        Fail(EG_WRITE, "Der Datensatz " + std::to_string(r) + " kann nicht geschrieben werden.",
             file_->LastError());
    if (r >= winFirst_ && r < winFirst_ + winCount_)
        std::memcpy(window_.data() + static_cast<size_t>(r - winFirst_) * recLen_, rec, recLen_);
}

void Table::WriteRecords(uint32_t first, uint32_t n, const char* recs) {
    if (n == 0)
        return;
    if (file_->ReadOnly())
        Fail(EG_READONLY, "Die Tabelle ist nur zum Lesen geöffnet; Änderungen sind nicht möglich.");
    const uint64_t off = hdrLen_ + static_cast<uint64_t>(first - 1) * recLen_;
    const uint64_t bytes = static_cast<uint64_t>(n) * recLen_;
    if (first == 0 || off + bytes > kLockBase)
        Fail(EG_WRITE, "Die Datensätze ab " + std::to_string(first) +
                           " liegen außerhalb der Tabelle und können nicht geschrieben werden.");
    if (!file_->WriteAt(off, recs, static_cast<size_t>(bytes)))
        Fail(EG_WRITE,
             "Die Datensätze " + std::to_string(first) + " bis " + std::to_string(first + n - 1) +
                 " können nicht geschrieben werden.",
             file_->LastError());
    // Keep the scan window what the file holds.
    const uint32_t lo = std::max(first, winFirst_);
    const uint32_t hi = std::min(first + n, winFirst_ + winCount_);
    if (winCount_ && lo < hi)
        std::memcpy(window_.data() + static_cast<size_t>(lo - winFirst_) * recLen_,
                    recs + static_cast<size_t>(lo - first) * recLen_,
                    static_cast<size_t>(hi - lo) * recLen_);
}

uint32_t Table::AppendBlank(RangeLock* recLock) {
    if (file_->ReadOnly())
        Fail(EG_READONLY, "Die Tabelle ist nur zum Lesen geöffnet; Änderungen sind nicht möglich.");
    RangeLock header = LockHeader();
    RefreshCount();
    uint32_t r = count_ + 1;
    uint64_t end = hdrLen_ + static_cast<uint64_t>(r) * recLen_ + 1;
    if (end > kLockBase)
        Fail(EG_LIMIT,
             "Die Tabelle würde größer als 1.000.000.000 Bytes; es können keine Datensätze mehr "
             "angefügt werden.");
    RangeLock rl = LockWait(file_.get(), kLockBase + r, 1, EG_LOCK, true);
    std::vector<char> buf(recLen_ + 1);
    BlankRecord(buf.data());
    buf[recLen_] = 0x1A;
    if (!file_->WriteAt(end - 1 - recLen_, buf.data(), buf.size()))
        Fail(EG_WRITE, "Der Datensatz kann nicht angefügt werden.", file_->LastError());
    unsigned char h[7];
    Date today = Today();
    WriteDateBytes(h, today);
    PutU32(h + 3, r);
    if (!file_->WriteAt(1, h, sizeof h))
        Fail(EG_WRITE, "Der Dateikopf der Tabelle kann nicht geschrieben werden.",
             file_->LastError());
    headerCount_ = r;
    count_ = r;
    lastUpdate_ = today;
    *recLock = std::move(rl);
    return r;
}

uint32_t Table::AppendRecords(const char* recs, uint32_t n) {
    if (file_->ReadOnly())
        Fail(EG_READONLY, "Die Tabelle ist nur zum Lesen geöffnet; Änderungen sind nicht möglich.");
    RangeLock header = LockHeader();
    RefreshCount();
    uint32_t first = count_ + 1;
    uint64_t off = hdrLen_ + static_cast<uint64_t>(count_) * recLen_;
    uint64_t bytes = static_cast<uint64_t>(n) * recLen_;
    if (off + bytes + 1 > kLockBase)
        Fail(EG_LIMIT,
             "Die Tabelle würde größer als 1.000.000.000 Bytes; es können keine Datensätze mehr "
             "angefügt werden.");
    if (!file_->WriteAt(off, recs, static_cast<size_t>(bytes)) ||
        !file_->WriteAt(off + bytes, "\x1A", 1))
        Fail(EG_WRITE, "Die Datensätze können nicht angefügt werden.", file_->LastError());
    unsigned char h[7];
    Date today = Today();
    WriteDateBytes(h, today);
    PutU32(h + 3, count_ + n);
    if (!file_->WriteAt(1, h, sizeof h))
        Fail(EG_WRITE, "Der Dateikopf der Tabelle kann nicht geschrieben werden.",
             file_->LastError());
    headerCount_ = count_ = count_ + n;
    lastUpdate_ = today;
    winCount_ = 0;
    return first;
}

void Table::TouchDate() {
    if (file_->ReadOnly())
        return;
    RangeLock header = LockHeader();
    unsigned char h[3];
    Date today = Today();
    WriteDateBytes(h, today);
    if (!file_->WriteAt(1, h, sizeof h))
        Fail(EG_WRITE, "Der Dateikopf der Tabelle kann nicht geschrieben werden.",
             file_->LastError());
    lastUpdate_ = today;
}

void Table::Sync() {
    if (!file_->Sync())
        Fail(EG_WRITE, "Die Tabelle kann nicht auf den Datenträger geschrieben werden.",
             file_->LastError());
    if (memo_ && !memo_->Sync())
        ThrowDb(EG_WRITE, memoPath_,
                "Die Memo-Datei kann nicht auf den Datenträger geschrieben werden.",
                memo_->LastError());
}

IoCounts Table::Io() const {
    IoCounts c = file_->Counts();
    if (memo_)
        c += memo_->Counts();
    return c;
}

void Table::BlankRecord(char* rec) const {
    std::memset(rec, ' ', recLen_);
}

Usual Table::GetValue(const char* rec, int field) {
    const DbfField& f = fields_[static_cast<size_t>(field)];
    std::string_view text(rec + f.offset, static_cast<size_t>(f.width));
    switch (f.type) {
        case 'C':
            return Usual(CpToUtf8(text, opt_.codePage));
        case 'N': {
            double v = 0;
            if (!ParseNumericField(text, &v))
                Fail(EG_CORRUPTION, "Die Tabelle ist beschädigt: Das numerische Feld " + f.name +
                                        " enthält keine Zahl: „" + CpToUtf8(text, opt_.codePage) +
                                        "“.");
            return Usual(Float{v, f.decimals});
        }
        case 'D': {
            Date d;
            if (!ParseDateField(text, &d))
                Fail(EG_CORRUPTION, "Die Tabelle ist beschädigt: Das Datumsfeld " + f.name +
                                        " enthält kein Datum: „" + CpToUtf8(text, opt_.codePage) +
                                        "“.");
            return Usual(d);
        }
        case 'L':
            return Usual(ParseLogicalField(text[0]));
        case 'M': {
            double block = 0;
            if (!ParseNumericField(text, &block) || block < 0 ||
                block != static_cast<uint32_t>(block))
                Fail(EG_CORRUPTION, "Die Tabelle ist beschädigt: Das Memofeld " + f.name +
                                        " enthält keine Blocknummer.");
            if (block == 0)
                return Usual(std::string());
            return Usual(CpToUtf8(ReadMemo(static_cast<uint32_t>(block)), opt_.codePage));
        }
    }
    return Usual();
}

void Table::PutValue(char* rec, int field, const Usual& value) {
    const DbfField& f = fields_[static_cast<size_t>(field)];
    char* out = rec + f.offset;
    size_t w = static_cast<size_t>(f.width);
    auto typeError = [&](const char* want) {
        Fail(EG_DATATYPE, "Das Feld " + f.name + " erwartet " + want +
                              ", erhalten: " + TypeString(static_cast<int>(value.Type())) + ".");
    };
    // The text of a character or memo field in the table's code page; `what`
    // names the field in the message.
    auto codePageText = [&](const char* what) {
        if (!value.IsString())
            typeError("einen Text");
        std::string bytes;
        if (!Utf8ToCp(value.AsString(), opt_.codePage, bytes))
            Fail(EG_DATAWIDTH, std::string(what) + " " + f.name +
                                   " enthält ein Zeichen, das es in Codepage " +
                                   std::to_string(opt_.codePage) + " nicht gibt.");
        return bytes;
    };
    if (value.IsNil()) {
        std::memset(out, ' ', w);
        return;
    }
    switch (f.type) {
        case 'C': {
            std::string bytes = codePageText("Das Feld");
            if (bytes.size() > w) {
                // Blanks beyond the width carry nothing; anything else would be lost.
                if (bytes.find_first_not_of(' ', w) != std::string::npos)
                    Fail(EG_DATAWIDTH, "Der Text ist länger als das Feld " + f.name + " (Breite " +
                                           std::to_string(w) + ").");
                bytes.resize(w);
            }
            std::memcpy(out, bytes.data(), bytes.size());
            std::memset(out + bytes.size(), ' ', w - bytes.size());
            return;
        }
        case 'N': {
            if (!value.IsNumeric())
                typeError("eine Zahl");
            double v = value.AsFloat();
            if (!FormatNumericField(v, f.width, f.decimals, out))
                Fail(EG_DATAWIDTH, "Die Zahl passt nicht in das Feld " + f.name + " (" +
                                       std::to_string(f.width) + "," + std::to_string(f.decimals) +
                                       ").");
            return;
        }
        case 'D':
            if (!value.IsDate())
                typeError("ein Datum");
            FormatDateField(value.AsDate(), out);
            return;
        case 'L':
            if (!value.IsLogic())
                typeError("einen logischen Wert");
            out[0] = value.AsLogic() ? 'T' : 'F';
            if (w > 1)
                std::memset(out + 1, ' ', w - 1);
            return;
        case 'M': {
            std::string bytes = codePageText("Das Memofeld");
            if (bytes.find('\x1A') != std::string::npos)
                Fail(EG_DATAWIDTH,
                     "Der Text für das Memofeld " + f.name +
                         " enthält das Steuerzeichen 0x1A und kann so nicht gespeichert werden.");
            if (bytes.empty()) {
                std::memset(out, ' ', w);
                return;
            }
            uint32_t block = WriteMemo(bytes);
            std::string num = std::to_string(block);
            std::memset(out, ' ', w);
            std::memcpy(out + w - num.size(), num.data(), num.size());
            return;
        }
    }
}

std::string Table::ReadMemo(uint32_t block) {
    if (!memo_)
        Fail(EG_CORRUPTION, "Die Tabelle hat ein Memofeld, aber keine Memo-Datei.");
    int64_t size = memo_->Size();
    if (size < 0)
        ThrowDb(EG_READ, memoPath_, "Die Memo-Datei kann nicht gelesen werden.",
                memo_->LastError());
    uint64_t off = static_cast<uint64_t>(block) * kMemoBlock;
    if (off >= static_cast<uint64_t>(size) || off >= kLockBase)
        ThrowDb(EG_CORRUPTION, memoPath_,
                "Die Memo-Datei ist beschädigt: Block " + std::to_string(block) +
                    " liegt außerhalb der Datei.");
    // A memo already found without an end marker is not scanned again (a
    // damaged memo file may be referenced by many records).
    if (size == memoNoEnd_.fileSize && off >= memoNoEnd_.from && off < memoNoEnd_.to)
        MemoWithoutEnd();
    const uint64_t start = off;
    std::string text;
    std::vector<char> buf(4096);  // most memos are short; longer ones read in larger pieces
    for (;;) {
        int64_t got = memo_->ReadAt(off, buf.data(), buf.size());
        if (got < 0)
            ThrowDb(EG_READ, memoPath_, "Die Memo-Datei kann nicht gelesen werden.",
                    memo_->LastError());
        if (got == 0)
            break;
        // We never store 0x1A in a memo, so the first one ends it; this also
        // takes memos ended by a single 0x1A.
        const char* end =
            static_cast<const char*>(std::memchr(buf.data(), 0x1A, static_cast<size_t>(got)));
        if (end) {
            text.append(buf.data(), static_cast<size_t>(end - buf.data()));
            break;
        }
        text.append(buf.data(), static_cast<size_t>(got));
        off += static_cast<uint64_t>(got);
        if (text.size() > kMaxMemo) {
            // No marker in [start, off): every memo starting at least
            // kMaxMemo bytes before off has no end either.
            uint64_t to = off - kMaxMemo;
            if (memoNoEnd_.fileSize == size && start <= memoNoEnd_.to && to >= memoNoEnd_.from) {
                memoNoEnd_.from = std::min(memoNoEnd_.from, start);
                memoNoEnd_.to = std::max(memoNoEnd_.to, to);
            } else {
                memoNoEnd_ = {start, to, size};
            }
            MemoWithoutEnd();
        }
        if (buf.size() < 65536)
            buf.resize(65536);
    }
    return text;
}

void Table::MemoWithoutEnd() const {
    ThrowDb(EG_CORRUPTION, memoPath_,
            "Die Memo-Datei ist beschädigt: Ein Memo hat kein Ende. Bitte die Memo-Datei aus "
            "einer Sicherung zurückholen.");
}

uint32_t Table::WriteMemo(std::string_view bytes) {
    if (!memo_)
        Fail(EG_WRITE, "Die Tabelle hat ein Memofeld, aber keine Memo-Datei.");
    RangeLock header = LockHeader();
    unsigned char h[4];
    if (memo_->ReadAt(0, h, 4) != 4)
        ThrowDb(EG_CORRUPTION, memoPath_,
                "Die Memo-Datei ist beschädigt: Der Dateikopf ist zu kurz.");
    int64_t size = memo_->Size();
    if (size < 0)
        ThrowDb(EG_READ, memoPath_, "Die Memo-Datei kann nicht gelesen werden.",
                memo_->LastError());
    // Never write over blocks that exist, whatever the header says.
    uint64_t used = (static_cast<uint64_t>(size) + kMemoBlock - 1) / kMemoBlock;
    uint64_t start = std::max<uint64_t>({U32(h), used, 1});
    uint64_t blocks = (bytes.size() + 2 + kMemoBlock - 1) / kMemoBlock;
    if ((start + blocks) * kMemoBlock > kLockBase)
        ThrowDb(EG_LIMIT, memoPath_,
                "Die Memo-Datei würde größer als 1.000.000.000 Bytes; das Memo kann nicht "
                "gespeichert werden.");
    std::string data(bytes);
    data += "\x1A\x1A";
    data.resize(blocks * kMemoBlock, '\0');
    if (!memo_->WriteAt(start * kMemoBlock, data.data(), data.size()))
        ThrowDb(EG_WRITE, memoPath_, "Das Memo kann nicht geschrieben werden.", memo_->LastError());
    PutU32(h, static_cast<uint32_t>(start + blocks));
    if (!memo_->WriteAt(0, h, 4))
        ThrowDb(EG_WRITE, memoPath_, "Der Dateikopf der Memo-Datei kann nicht geschrieben werden.",
                memo_->LastError());
    return static_cast<uint32_t>(start);
}

void Table::Create(const std::string& path, const std::vector<FieldDef>& fields, int codePage) {
    if (fields.empty() || fields.size() > 1000)
        ThrowDb(EG_CREATE, path, "Eine Tabelle braucht 1 bis 1000 Felder.");
    uint32_t recLen = 1;
    bool memo = false;
    std::vector<unsigned char> hdr(32 + 32 * fields.size() + 2, 0);
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        if (f.name.empty() || f.name.size() > 10)
            ThrowDb(EG_CREATE, path,
                    "Der Feldname „" + f.name + "“ ist ungültig (1 bis 10 Zeichen).");
        int w = f.width, dec = f.decimals;
        char type = static_cast<char>(std::toupper(static_cast<unsigned char>(f.type)));
        switch (type) {
            case 'C':
                if (w < 1 || w > 65535)
                    ThrowDb(EG_CREATE, path, "Die Breite des Feldes " + f.name + " ist ungültig.");
                dec = 0;
                break;
            case 'N':
            case 'F':
                if (w < 1 || w > 255 || dec < 0 || (dec > 0 && dec > w - 2))
                    ThrowDb(EG_CREATE, path, "Die Breite des Feldes " + f.name + " ist ungültig.");
                break;
            case 'D':
                w = 8;
                dec = 0;
                break;
            case 'L':
                w = 1;
                dec = 0;
                break;
            case 'M':
                w = 10;
                dec = 0;
                memo = true;
                break;
            default:
                ThrowDb(EG_CREATE, path, "Der Typ des Feldes " + f.name + " ist ungültig.");
        }
        unsigned char* d = &hdr[32 + 32 * i];
        for (size_t k = 0; k < f.name.size(); ++k)
            d[k] = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(f.name[k])));
        d[11] = static_cast<unsigned char>(type);
        if (type == 'C') {
            d[16] = static_cast<unsigned char>(w & 0xFF);
            d[17] = static_cast<unsigned char>(w >> 8);
        } else {
            d[16] = static_cast<unsigned char>(w);
            d[17] = static_cast<unsigned char>(dec);
        }
        recLen += static_cast<uint32_t>(w);
    }
    if (recLen > 65535)
        ThrowDb(EG_CREATE, path, "Ein Datensatz wäre länger als 65535 Bytes.");
    uint32_t hdrLen = static_cast<uint32_t>(32 + 32 * fields.size() + 1);
    hdr[0] = memo ? 0x83 : 0x03;
    WriteDateBytes(&hdr[1], Today());
    PutU16(&hdr[8], hdrLen);
    PutU16(&hdr[10], recLen);
    hdr[29] = CpByteFor(codePage);
    hdr[hdrLen - 1] = 0x0D;
    hdr[hdrLen] = 0x1A;
    uint32_t os = 0;
    auto f = OsFile::Create(path, OsFile::Share::Exclusive, &os);
    if (!f)
        ThrowDb(EG_CREATE, path, "Die Tabelle kann nicht angelegt werden.", os);
    if (!f->WriteAt(0, hdr.data(), hdr.size()))
        ThrowDb(EG_WRITE, path, "Die Tabelle kann nicht geschrieben werden.", f->LastError());
    if (memo) {
        std::string mp = MemoPathFor(path);
        auto m = OsFile::Create(mp, OsFile::Share::Exclusive, &os);
        if (!m)
            ThrowDb(EG_CREATE, mp, "Die Memo-Datei kann nicht angelegt werden.", os);
        std::vector<unsigned char> block(kMemoBlock, 0);
        PutU32(block.data(), 1);
        if (!m->WriteAt(0, block.data(), block.size()))
            ThrowDb(EG_WRITE, mp, "Die Memo-Datei kann nicht geschrieben werden.", m->LastError());
    }
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace kp
