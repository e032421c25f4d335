#include "kpsteuer/VSteuerProtokoll.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <tuple>

#include "platform/data/dbserver.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/strings.h"

namespace kp {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kSignature = "KPSTEUER-PROTOKOLL";
constexpr std::string_view kVersion = "1";
constexpr std::string_view kConfirmed = "bestätigt";
constexpr std::string_view kNotWritten = "nicht geschrieben";
constexpr std::string_view kEnd = "Ende";

// Fields that name a contract, where the table has them.
constexpr std::array<std::string_view, 8> kIdFields{"VERTRAGNR", "VERSNR", "POLICENR", "ADRESSNR",
                                                    "KUNDENNR",  "NNAME",  "NAME",     "VNAME"};

const char* ArtName(ProtokollArt art) {
    switch (art) {
        case ProtokollArt::Vorschau:
            return "Vorschau";
        case ProtokollArt::Anpassen:
            return "Anpassen";
        case ProtokollArt::Zurueck:
            return "Zurück";
    }
    return "";
}

const char* FilePrefix(ProtokollArt art) {
    switch (art) {
        case ProtokollArt::Vorschau:
            return "VSteuer-Vorschau-";
        case ProtokollArt::Anpassen:
            return "VSteuer-Protokoll-";
        case ProtokollArt::Zurueck:
            return "VSteuer-Zurueck-";
    }
    return "";
}

// A text cell: in quotes, quotes doubled; line breaks would split the line
// and become blanks.
std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += "\"\"";
        else if (c == '\r' || c == '\n')
            out += ' ';
        else
            out += c;
    }
    out += '"';
    return out;
}

// A stored number as a cell: the stored text with a decimal comma, blanks
// kept, so that the way back gets the very bytes (the table's numbers hold
// no comma, so the exchange is undone exactly).
std::string NumberCell(std::string_view stored) {
    std::string s(stored);
    std::replace(s.begin(), s.end(), '.', ',');
    return Quote(s);
}

std::string StoredNumber(std::string_view cell) {
    std::string s(cell);
    std::replace(s.begin(), s.end(), ',', '.');
    return s;
}

std::string RTrim(std::string s) {
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

void AppendHex8(std::string& out, uint32_t v) {
    char cell[9] = {'#'};
    for (size_t i = 8; i > 0; v >>= 4, --i)
        cell[i] = "0123456789ABCDEF"[v & 0xF];
    out.append(cell, sizeof cell);
}

std::string Hex8(uint32_t v) {
    std::string out;
    AppendHex8(out, v);
    return out;
}

std::string Now(bool forFileName) {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    char buf[32];
    std::strftime(buf, sizeof buf, forFileName ? "%Y%m%d-%H%M%S" : "%d.%m.%Y %H:%M:%S", &tm);
    return buf;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string FileOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Splits one line (without its end) into cells; false when a quote is not
// closed.
bool SplitCells(std::string_view line, std::vector<std::string>* cells) {
    cells->clear();
    std::string cell;
    bool quoted = false, wasQuoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == '"' && cell.empty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == ';') {
            cells->push_back(std::move(cell));
            cell.clear();
            wasQuoted = false;
        } else {
            cell += c;
        }
    }
    if (quoted)
        return false;
    cells->push_back(std::move(cell));
    return true;
}

std::array<std::pair<uint32_t, uint32_t>, 3> NumberPlaces(DBServer& server) {
    std::array<std::pair<uint32_t, uint32_t>, 3> out{};
    const std::array<std::string_view, 3> names{"VSTEUER", "VSTEUERDM", "BEITRAG"};
    const auto specs = server.FieldSpecs();
    for (size_t f = 0; f < specs.size(); ++f)
        for (size_t i = 0; i < names.size(); ++i)
            if (specs[f].first.Name() == names[i])
                out[i] = server.FieldPlace(static_cast<int>(f + 1));
    return out;
}

}  // namespace

uint32_t Crc32(uint32_t crc, std::string_view bytes) {
    // Eight tables: eight bytes per step (every protocol line is checked
    // as it is written, with the window waiting).
    using Tables = std::array<std::array<uint32_t, 256>, 8>;
    static const Tables table = [] {
        Tables t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i)
            for (size_t k = 1; k < 8; ++k)
                t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
        return t;
    }();
    crc = ~crc;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t n = bytes.size();
    for (; n >= 8; p += 8, n -= 8) {
        const uint32_t lo = crc ^ (uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                                   uint32_t{p[3]} << 24);
        crc = table[7][lo & 0xFF] ^ table[6][(lo >> 8) & 0xFF] ^ table[5][(lo >> 16) & 0xFF] ^
              table[4][lo >> 24] ^ table[3][p[4]] ^ table[2][p[5]] ^ table[1][p[6]] ^
              table[0][p[7]];
    }
    for (; n > 0; ++p, --n)
        crc = table[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::string ProtokollLayout(DBServer& server) {
    std::string out;
    for (const auto& [offset, width] : NumberPlaces(server))
        out += (out.empty() ? "" : " ") + std::to_string(offset) + "+" + std::to_string(width);
    return out;
}

std::unique_ptr<VSteuerProtokoll> VSteuerProtokoll::Create(DBServer& server, ProtokollArt art,
                                                           std::string* error) {
    std::unique_ptr<VSteuerProtokoll> p(new VSteuerProtokoll());
    p->server_ = &server;
    p->art_ = art;
    const std::string table = server.FullPath();
    const std::string stem = FolderOf(table) + FilePrefix(art) + Now(true);
    uint32_t err = 0;
    for (int n = 1; n < 100 && !p->file_; ++n) {
        p->path_ = stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".csv";
        if (OsFile::Exists(p->path_))
            continue;
        p->file_ = OsFile::Create(p->path_, OsFile::Share::Exclusive, &err);
        if (!p->file_)
            break;
    }
    if (!p->file_) {
        *error = "Die Datei " + p->path_ + " kann nicht angelegt werden (Fehler " +
                 std::to_string(err) +
                 "). Bitte prüfen Sie, ob der Ordner beschreibbar ist und Platz hat.";
        return nullptr;
    }
    const auto specs = server.FieldSpecs();
    auto cellAt = [&](int pos) {
        IdCell cell;
        cell.pos = pos;
        if (pos > 0) {
            std::tie(cell.offset, cell.width) = server.FieldPlace(pos);
            cell.character = specs[static_cast<size_t>(pos - 1)].second.ValType() == 'C';
        }
        return cell;
    };
    // The identifying character fields the table has, then the line.
    std::vector<std::string> head{"Datensatz"};
    for (std::string_view want : kIdFields)
        for (size_t i = 0; i < specs.size(); ++i)
            if (specs[i].first.Name() == want && specs[i].second.ValType() == 'C') {
                p->idCells_.push_back(cellAt(static_cast<int>(i + 1)));
                head.push_back(specs[i].first.Name());
            }
    p->idCells_.push_back(cellAt(server.FieldPos(Symbol("VERSSPARTE"))));
    p->numbers_ = NumberPlaces(server);
    p->codePage_ = server.CodePage();

    p->buffer_ = kBom;
    p->Line({std::string(kSignature), std::string(kVersion), ArtName(art), Quote(FileOf(table)),
             std::to_string(server.RecordLength()), Quote(ProtokollLayout(server)),
             Quote(Now(false))});
    for (const char* c : {"Sparte", "Steuersatz alt", "Steuersatz neu", "Steuer alt", "Steuer neu",
                          "Beitrag alt", "Beitrag neu"})
        head.push_back(Quote(c));
    p->Line(head);
    if (!p->Flush()) {
        *error = "In die Datei " + p->path_ + " kann nicht geschrieben werden.";
        return nullptr;
    }
    return p;
}

VSteuerProtokoll::~VSteuerProtokoll() = default;

void VSteuerProtokoll::Line(const std::vector<std::string>& cells) {
    std::string text;
    for (const std::string& c : cells)
        text += c + ";";
    crc_ = Crc32(crc_, text);
    buffer_ += text + Hex8(crc_) + "\r\n";
}

bool VSteuerProtokoll::Flush() {
    if (buffer_.empty())
        return !failed_;
    if (failed_ || !file_->WriteAt(offset_, buffer_.data(), buffer_.size())) {
        failed_ = true;
        return false;
    }
    offset_ += buffer_.size();
    buffer_.clear();
    return true;
}

std::string VSteuerProtokoll::Identity(uint32_t r, std::string_view record) {
    std::string out;
    AppendIdentity(out, r, record);
    return out;
}

void VSteuerProtokoll::AppendIdentity(std::string& out, uint32_t r, std::string_view record) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, r).ptr;
    out.append(digits, end);
    const bool whole = record.size() == server_->RecordLength();
    for (const IdCell& cell : idCells_) {
        out += ';';
        if (!whole || cell.pos <= 0) {
            out += "\"\"";
            continue;
        }
        if (cell.character) {
            std::string_view bytes = record.substr(cell.offset, cell.width);
            // Trailing blanks go, as people read the field; a blank is
            // the same byte in every code page a table may use.
            while (!bytes.empty() && bytes.back() == ' ')
                bytes.remove_suffix(1);
            // Quotes and line breaks are ASCII in every such code page too;
            // a field of plain ASCII without them (the common case) is
            // copied as it is.
            bool ascii = true, special = false;
            for (char c : bytes) {
                const auto b = static_cast<unsigned char>(c);
                ascii = ascii && b < 0x80;
                special = special || b == '"' || b == '\r' || b == '\n';
            }
            if (!special) {
                out += '"';
                if (ascii)
                    out += bytes;
                else
                    AppendCpAsUtf8(out, bytes, codePage_);
                out += '"';
                continue;
            }
        }
        Usual v;
        std::string text;
        if (server_->FieldGetFrom(record.data(), cell.pos, &v) && v.IsString())
            text = RTrim(v.AsString());
        out += Quote(text);
    }
}

void VSteuerProtokoll::Changing(uint32_t r, int, std::string_view before, std::string_view after) {
    // The commonest line, built in place: a conversion writes one per
    // changed contract, with the window waiting.
    line_.clear();
    AppendIdentity(line_, r, before);
    for (const auto& [offset, width] : numbers_) {
        for (std::string_view rec : {before, after}) {
            const std::string_view stored = rec.substr(std::min<size_t>(offset, rec.size()), width);
            line_ += ";\"";
            const size_t at = line_.size();
            line_ += stored;
            std::replace(line_.begin() + static_cast<std::ptrdiff_t>(at), line_.end(), '.', ',');
            line_ += '"';
        }
    }
    line_ += ';';
    crc_ = Crc32(crc_, line_);
    buffer_ += line_;
    AppendHex8(buffer_, crc_);
    buffer_ += "\r\n";
    ++runPending_;
}

bool VSteuerProtokoll::Keep() {
    runLines_ = runPending_;
    runPending_ = 0;
    return Flush();
}

void VSteuerProtokoll::Written() {
    sum_.changed += runLines_;
    Line({Quote(kConfirmed), std::to_string(runLines_)});
    runLines_ = 0;
    Flush();
}

void VSteuerProtokoll::Failed() {
    Line({Quote(kNotWritten), std::to_string(runLines_)});
    runLines_ = 0;
    Flush();
}

void VSteuerProtokoll::Left(uint32_t r, std::string_view record, Why why) {
    const char* what = "";
    switch (why) {
        case Why::Locked:
            what = "gesperrt";
            ++sum_.locked;
            break;
        case Why::Unreadable:
            what = "nicht lesbar";
            ++sum_.unreadable;
            break;
        case Why::NotKept:
            what = "nicht protokolliert";
            ++sum_.unreadable;
            break;
        case Why::Conflict:
            what = "Konflikt";
            ++sum_.conflicts;
            break;
        case Why::Missing:
            what = "fehlt";
            ++sum_.conflicts;
            break;
    }
    std::vector<std::string> cells{Quote(what), Identity(r, record)};
    // The numbers as they are now, where the record is known.
    if (record.size() == server_->RecordLength())
        for (const auto& [offset, width] : numbers_)
            cells.push_back(NumberCell(record.substr(offset, width)));
    // Lines of a left contract may stand between a run's contracts and its
    // confirmation: they carry no entry of the way back.
    Line(cells);
    if (onLeft_) {
        std::string shown = std::string(what) + ": Datensatz " + Identity(r, record);
        std::replace(shown.begin(), shown.end(), ';', ' ');
        shown.erase(std::remove(shown.begin(), shown.end(), '"'), shown.end());
        onLeft_(shown);
    }
    if (runPending_ == 0)
        Flush();
}

void VSteuerProtokoll::NearMiss(uint32_t r, std::string_view record, std::string_view why) {
    ++sum_.nearMisses;
    Line({Quote("Beinahe"), Identity(r, record), Quote(why)});
}

bool VSteuerProtokoll::Finish() {
    Line({std::string(kEnd), Quote("geändert " + std::to_string(sum_.changed)),
          Quote("gesperrt " + std::to_string(sum_.locked)),
          Quote("nicht lesbar " + std::to_string(sum_.unreadable)),
          Quote("Konflikte " + std::to_string(sum_.conflicts)),
          Quote("Beinahe " + std::to_string(sum_.nearMisses))});
    return Flush();
}

void VSteuerProtokoll::Durable() {
    if (Flush() && !file_->Sync())
        failed_ = true;
}

// ---- reading back --------------------------------------------------------------

namespace {

// Lines of a file read in large blocks; the last line without its end is
// reported as such.
class LineReader {
  public:
    explicit LineReader(OsFile& f) : f_(f) {}
    // False at the end; *complete tells whether the line had its CR LF.
    bool Next(std::string* line, bool* complete) {
        for (;;) {
            const size_t nl = buf_.find('\n', pos_);
            if (nl != std::string::npos) {
                line->assign(buf_, pos_, nl - pos_);
                pos_ = nl + 1;
                *complete = !line->empty() && line->back() == '\r';
                if (*complete)
                    line->pop_back();
                return true;
            }
            buf_.erase(0, pos_);
            pos_ = 0;
            char chunk[1 << 16];
            const int64_t got = f_.ReadAt(offset_, chunk, sizeof chunk);
            if (got <= 0) {
                if (buf_.empty())
                    return false;
                line->swap(buf_);
                buf_.clear();
                *complete = false;
                return true;
            }
            offset_ += static_cast<uint64_t>(got);
            buf_.append(chunk, static_cast<size_t>(got));
        }
    }

  private:
    OsFile& f_;
    std::string buf_;
    size_t pos_ = 0;
    uint64_t offset_ = 0;
};

}  // namespace

struct ProtokollLeser::Impl {
    std::string path;
    std::unique_ptr<OsFile> file;
    std::unique_ptr<LineReader> lines;
    uint32_t crc = 0, number = 0;
    std::vector<std::string> cells;
    std::vector<ProtokollEintrag> run;
    size_t next = 0;
    bool confirmed = false;
    bool end = false;
    std::string foreign, noChange;

    // The next line with its check verified; false at the end or on an
    // error (then *error is set).
    bool Line(std::string* line, std::string* error) {
        bool complete = false;
        if (!lines->Next(line, &complete))
            return false;
        ++number;
        if (number == 1) {
            if (line->compare(0, kBom.size(), kBom) != 0) {
                *error = foreign + " (der Anfang fehlt)" + noChange;
                return false;
            }
            line->erase(0, kBom.size());
        }
        // The last line may have been cut by a crash while it was written;
        // the run it belongs to was not written to the table then (the
        // table is written after the protocol).
        if (!complete) {
            if (number == 1)
                *error = foreign + " (sie ist abgeschnitten)" + noChange;
            return false;
        }
        const size_t check = line->rfind(';');
        const std::string_view text = std::string_view(*line).substr(0, check + 1);
        if (check == std::string::npos || line->size() - check - 1 != 9 ||
            Hex8(Crc32(crc, text)) != line->substr(check + 1)) {
            *error = foreign + " (Zeile " + std::to_string(number) +
                     " ist verändert oder beschädigt)" + noChange;
            return false;
        }
        crc = Crc32(crc, text);
        line->resize(check);
        return true;
    }

    void Start(const std::string& p) {
        path = p;
        lines = std::make_unique<LineReader>(*file);
        crc = number = 0;
        run.clear();
        next = 0;
        end = false;
    }
};

ProtokollLeser::ProtokollLeser() : impl_(std::make_unique<Impl>()) {}
ProtokollLeser::~ProtokollLeser() = default;

bool ProtokollLeser::Open(const std::string& path, std::string* error) {
    Impl& m = *impl_;
    uint32_t err = 0;
    m.file = OsFile::Open(path, OsFile::Share::Shared, OsFile::Access::ReadOnly, &err);
    if (!m.file) {
        *error = "Das Protokoll " + path + " kann nicht geöffnet werden (Fehler " +
                 std::to_string(err) + "). Bitte prüfen Sie den Namen.";
        return false;
    }
    m.foreign = "Die Datei " + path + " ist kein unverändertes Protokoll von kpsteuer";
    m.noChange =
        ". Es wurde nichts geändert. Bitte geben Sie das Protokoll an, das kpsteuer oder "
        "VeltoTax2010 beim Anpassen geschrieben hat.";
    // First every check cell, so that a damaged file reports nothing.
    m.Start(path);
    std::string line;
    error->clear();
    entries_ = 0;
    while (m.Line(&line, error)) {
        SplitCells(line, &m.cells);
        if (m.number == 1) {
            if (m.cells.size() < 7 || m.cells[0] != kSignature || m.cells[1] != kVersion) {
                *error = m.foreign + " (unbekannte Kennung)" + m.noChange;
                return false;
            }
            head_.art = m.cells[2] == "Vorschau"   ? ProtokollArt::Vorschau
                        : m.cells[2] == "Anpassen" ? ProtokollArt::Anpassen
                                                   : ProtokollArt::Zurueck;
            head_.table = m.cells[3];
            head_.recLen = static_cast<uint32_t>(std::strtoul(m.cells[4].c_str(), nullptr, 10));
            head_.layout = m.cells[5];
            head_.time = m.cells[6];
        } else if (m.number > 2 && !m.cells.empty() && !m.cells[0].empty() &&
                   std::isdigit(static_cast<unsigned char>(m.cells[0][0]))) {
            ++entries_;
        }
    }
    if (!error->empty())
        return false;
    if (m.number == 0) {
        *error = m.foreign + " (sie ist leer)" + m.noChange;
        return false;
    }
    m.Start(path);
    std::string skip;
    m.Line(&skip, error);  // the heading lines
    m.Line(&skip, error);
    return true;
}

bool ProtokollLeser::Next(ProtokollEintrag* entry) {
    Impl& m = *impl_;
    std::string line, error;
    while (m.next == m.run.size()) {
        m.run.clear();
        m.next = 0;
        if (m.end)
            return false;
        // Collect one run up to its confirmation.
        for (;;) {
            if (!m.Line(&line, &error)) {
                m.end = true;
                for (ProtokollEintrag& e : m.run)
                    e.confirmed = false;
                break;
            }
            SplitCells(line, &m.cells);
            if (m.cells.empty())
                continue;
            if (m.cells[0] == kConfirmed) {
                for (ProtokollEintrag& e : m.run)
                    e.confirmed = true;
                break;
            }
            if (m.cells[0] == kNotWritten) {
                m.run.clear();
                continue;
            }
            if (!m.cells[0].empty() && std::isdigit(static_cast<unsigned char>(m.cells[0][0])) &&
                m.cells.size() >= 8) {
                ProtokollEintrag e;
                e.restore.recNo =
                    static_cast<uint32_t>(std::strtoul(m.cells[0].c_str(), nullptr, 10));
                const size_t n = m.cells.size();
                for (size_t i = 0; i < 3; ++i) {
                    e.restore.from[i] = StoredNumber(m.cells[n - 6 + 2 * i]);
                    e.restore.to[i] = StoredNumber(m.cells[n - 5 + 2 * i]);
                }
                e.cells = m.cells;
                m.run.push_back(std::move(e));
            }
        }
    }
    *entry = std::move(m.run[m.next++]);
    return true;
}

}  // namespace kp
