#include "shell/SuiteIndexes.h"

#include <filesystem>

#include "platform/data/dbserver.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"
#include "shell/Reorganisation.h"

namespace kp {

std::optional<std::vector<std::string>> SuiteIndexFiles(const std::string& table) {
    const size_t slash = table.find_last_of("/\\:");
    const std::string name = Upper(slash == std::string::npos ? table : table.substr(slash + 1));
    for (const ReorgTable& t : SuiteReorgTables()) {
        if (Upper(t.file) != name)
            continue;
        std::vector<std::string> files;
        for (const ReorgIndex& index : t.indexes)
            files.push_back(index.file);
        return files;
    }
    return std::nullopt;
}

namespace {

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::path(Utf8ToWide(path)), ec);
}

}  // namespace

TableIndexes SuiteTableIndexes(const std::string& path) {
    const auto files = SuiteIndexFiles(path);
    if (!files) {
        TableIndexes unknown;
        unknown.why = "Die Tabelle „" + TableName(path) +
                      "“ gehört nicht zu den Tabellen von KONTORPLUS; ihre Indexdateien sind "
                      "nicht bekannt.\r\nSie wird nur angezeigt: eine Änderung würde ihre "
                      "Indexe verfälschen.";
        return unknown;
    }
    const size_t slash = path.find_last_of("/\\:");
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    TableIndexes known = TableIndexes::None();
    for (const std::string& file : *files)
        if (FileExists(folder + file))
            known.files.push_back(folder + file);
    return known;
}

OpenedIndexes OpenIndexes(DBServer& db, const std::string& folder,
                          const std::vector<std::string>& files) {
    OpenedIndexes out;
    out.complete = true;
    for (const std::string& file : files) {
        if (!FileExists(folder + file)) {
            out.complete = false;
            continue;
        }
        if (!db.SetIndex(folder + file)) {
            out.complete = false;
            out.error = "Die Indexdatei „" + file +
                        "“ kann nicht geöffnet werden.\r\nBitte die Reorganisation (F12) "
                        "ausführen.";
            break;
        }
        ++out.opened;
    }
    if (out.opened > 0) {
        db.SetOrder(0);
        db.GoTop();
    }
    return out;
}

}  // namespace kp
