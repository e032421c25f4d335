#pragma once
// DateiOrdner: the shell's folder browser. A caller makes it with an owner
// and a start folder, sets a few options, shows it, and reads the chosen
// item's display name (Folder) and file-system path (Path).
//
//   DateiOrdner browser(shellWindow);            // starts at the drives
//   browser.Help = "Datenverzeichnis wählen";
//   browser.Show();
//   if (!browser.Path().empty()) ...
//
// It can browse for computers or printers instead. Every item list the
// shell hands out is freed; an item without a file-system path (a printer,
// a computer) gives an empty Path.
#include <windows.h>

#include <cstdint>
#include <string>

namespace kp {

class Window;

class DateiOrdner {
  public:
    // Browse flags of the shell service.
    static constexpr uint16_t kOnlyFileSystem = 0x0001;
    static constexpr uint16_t kStatusText = 0x0004;
    static constexpr uint16_t kComputers = 0x1000;
    static constexpr uint16_t kPrinters = 0x2000;
    // Special folders used as roots.
    static constexpr int32_t kDesktop = 0;
    static constexpr int32_t kPrinterFolder = 4;
    static constexpr int32_t kDrives = 17;

    // The owner's window is the browser's parent; without one, the window
    // active now.
    explicit DateiOrdner(const Window* owner = nullptr, int32_t startFolder = kDrives);
    explicit DateiOrdner(HWND owner, int32_t startFolder = kDrives);

    uint16_t BIFlags = 0;
    int32_t StartFolder = kDrives;
    bool ShowStatus = false;
    std::string Caption;  // title of the browser window; empty: the shell's own
    std::string Help;     // instruction above the tree

    bool WantFolders() const { return (BIFlags & kOnlyFileSystem) != 0; }
    bool WantFolders(bool on) { return Want(kOnlyFileSystem, on, kDesktop); }
    bool WantComputers() const { return (BIFlags & kComputers) != 0; }
    bool WantComputers(bool on) { return Want(kComputers, on, kDesktop); }
    bool WantPrinters() const { return (BIFlags & kPrinters) != 0; }
    bool WantPrinters(bool on) { return Want(kPrinters, on, on ? kPrinterFolder : kDesktop); }

    void Show() { Browse(); }
    // Shows the browser. A chosen item sets Folder and Path; a cancel
    // leaves both as they were; a start folder the shell does not know
    // returns at once.
    void Browse();

    const std::string& Folder() const { return folder_; }
    const std::string& Path() const { return path_; }
    HWND OwnerHandle() const { return owner_; }

  private:
    bool Want(uint16_t bit, bool on, int32_t start);

    HWND owner_;
    std::string folder_;
    std::string path_;
};

}  // namespace kp
