#include "platform/gui/tablewindow.h"

#include <algorithm>

#include "platform/data/dbserver.h"
#include "platform/gui/boxes.h"
#include "platform/gui/databrowser.h"

namespace kp {

namespace {

// The frame's first size: room for a good part of a wide table, within
// what the owner's canvas (or the screen) offers.
Dimension FirstSize(Window* owner) {
    int width = 760, height = 440;
    RECT area{};
    if (owner && owner->CanvasHandle())
        GetClientRect(owner->CanvasHandle(), &area);
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    const int aw = area.right - area.left, ah = area.bottom - area.top;
    if (aw > 0)
        width = std::min(width, aw * 9 / 10);
    if (ah > 0)
        height = std::min(height, ah * 9 / 10);
    return Dimension(std::max(width, 200), std::max(height, 120));
}

}  // namespace

std::string TableName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.resize(dot);
    return name;
}

std::unique_ptr<DataWindow> OpenTableWindow(Window* owner, const std::string& path,
                                            const TableIndexes& indexes) {
    auto server = std::make_shared<DBServer>(path);
    if (!server->Used())
        return nullptr;  // the open error went through the error handler
    std::string refusal = indexes.known ? std::string() : indexes.why;
    if (!indexes.known && refusal.empty())
        refusal = "Die Indexdateien der Tabelle „" + TableName(path) +
                  "“ sind nicht bekannt.\r\nDie Tabelle wird nur angezeigt: eine Änderung "
                  "würde ihre Indexe verfälschen.";
    for (const std::string& ntx : indexes.known ? indexes.files : std::vector<std::string>{}) {
        if (!server->SetIndex(ntx)) {
            refusal = "Die Indexdatei „" + ntx +
                      "“ kann nicht geöffnet werden.\r\nDie Tabelle wird nur angezeigt; bitte "
                      "die Reorganisation (F12) ausführen, um Änderungen zu erlauben.";
            break;
        }
    }
    // The grid shows the records in the table's own order.
    if (server->IndexOrd() != 0) {
        server->SetOrder(0);
        server->GoTop();
    }
    auto window = std::make_unique<DataWindow>(owner);
    if (!window->Handle())
        return nullptr;
    window->Caption(TableName(path));
    window->Server(std::move(server));
    window->Size(FirstSize(owner));
    window->ViewAs(Symbol("BROWSEVIEW"));
    if (DataBrowser* grid = window->Browser())
        grid->EditRefusal(refusal);
    window->Show();
    if (DataBrowser* grid = window->Browser(); grid && grid->Handle())
        SetFocus(grid->Handle());
    return window;
}

std::unique_ptr<DataWindow> OpenTableWindowAsk(Window* owner, const std::string& folder,
                                               const TableIndexLookup& lookup) {
    OpenDialog dialog(owner);
    dialog.Caption("Datei öffnen");
    dialog.SetFilter({"*.dbf", "*.*"}, {"Tabellen (*.dbf)", "Alle Dateien (*.*)"});
    if (!folder.empty())
        dialog.InitialDirectory(folder);
    if (!dialog.Show() || dialog.FileName().empty())
        return nullptr;
    const std::string path = dialog.FileName();
    return OpenTableWindow(owner, path, lookup ? lookup(path) : TableIndexes{});
}

}  // namespace kp
