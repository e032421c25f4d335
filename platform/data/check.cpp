#include "platform/data/check.h"

#include "platform/data/dberror.h"
#include "platform/data/dbf.h"
#include "platform/data/ntx.h"

namespace kp {

namespace {
constexpr size_t kMaxReported = 50;  // per kind; the rest is counted

void Add(std::vector<std::string>* list, std::string s, size_t* suppressed) {
    if (list->size() < kMaxReported)
        list->push_back(std::move(s));
    else
        ++*suppressed;
}
}  // namespace

CheckReport CheckTable(const std::string& dbfPath, const std::vector<std::string>& ntxPaths,
                       int codePage) {
    CheckReport rep;
    size_t suppressed = 0;
    TableOptions opt;
    opt.readOnly = true;
    opt.codePage = codePage;
    std::unique_ptr<Table> t;
    try {
        t = Table::Open(dbfPath, opt);
    } catch (const DbError& e) {
        rep.faults.push_back(e.fileName + ": " + e.description);
        return rep;
    }
    uint32_t n = t->Count();
    rep.records = n;
    if (t->HeaderCount() > n)
        rep.faults.push_back("header counts " + std::to_string(t->HeaderCount()) +
                             " records, the file holds " + std::to_string(n));
    for (uint32_t r = 1; r <= n; ++r) {
        const char* rec;
        try {
            rec = t->Fetch(r, true);
        } catch (const DbError& e) {
            rep.faults.push_back(e.description);
            break;
        }
        if (rec[0] == '*')
            ++rep.deleted;
        else if (rec[0] != ' ')
            Add(&rep.faults,
                "record " + std::to_string(r) + ": deletion flag is neither blank nor *",
                &suppressed);
        for (size_t f = 0; f < t->Fields().size(); ++f) {
            if (t->Fields()[f].type == 'M')
                continue;  // memo text is not checked
            try {
                t->GetValue(rec, static_cast<int>(f));
            } catch (const DbError& e) {
                Add(&rep.faults, "record " + std::to_string(r) + ": " + e.description, &suppressed);
            }
        }
    }

    for (const std::string& np : ntxPaths) {
        std::unique_ptr<NtxIndex> x;
        NtxIndex::Options o;
        o.readOnly = true;
        try {
            x = NtxIndex::Open(np, *t, o);
        } catch (const DbError& e) {
            rep.faults.push_back(e.fileName + ": " + e.description);
            rep.indexKeys.push_back(0);
            continue;
        }
        std::vector<char> seen(static_cast<size_t>(n) + 1, 0);
        uint64_t keys = 0;
        std::vector<std::string> faults, notes;
        x->Verify(
            [&](const NtxIndex::Entry& e) {
                ++keys;
                if (e.rec == 0 || e.rec > n) {
                    Add(&faults,
                        "key points at record " + std::to_string(e.rec) + ", which does not exist",
                        &suppressed);
                    return;
                }
                if (seen[e.rec])
                    Add(&faults, "record " + std::to_string(e.rec) + " has two keys", &suppressed);
                seen[e.rec] = 1;
                try {
                    if (x->KeyOf(t->Fetch(e.rec, false)) != e.key)
                        Add(&faults,
                            "key of record " + std::to_string(e.rec) + " does not match the record",
                            &suppressed);
                } catch (const DbError& err) {
                    // A damaged field, or a value too wide for the key.
                    Add(&faults, "record " + std::to_string(e.rec) + ": " + err.description,
                        &suppressed);
                }
            },
            &faults, &notes);
        // Every record must be there; in a unique index, a record left out
        // needs an earlier record with its key.
        for (uint32_t r = 1; r <= n && faults.size() < kMaxReported; ++r) {
            if (seen[r])
                continue;
            bool covered = false;
            if (x->Unique()) {
                try {
                    std::string k = x->KeyOf(t->Fetch(r, false));
                    NtxIndex::Entry e;
                    covered = x->LowerBound(k, &e) && e.key == k && e.rec < r;
                } catch (const DbError&) {
                }
            }
            if (!covered)
                Add(&faults, "record " + std::to_string(r) + " has no key", &suppressed);
        }
        for (auto& f : faults)
            rep.faults.push_back(np + ": " + f);
        for (size_t i = 0; i < notes.size() && i < kMaxReported; ++i)
            rep.notes.push_back(np + ": " + notes[i]);
        rep.indexKeys.push_back(keys);
    }
    if (suppressed)
        rep.faults.push_back(std::to_string(suppressed) + " more faults not listed");
    return rep;
}

}  // namespace kp
