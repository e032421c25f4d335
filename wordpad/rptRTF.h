#pragma once
// RTFReport: prints or previews one RTF document, page by page, on the
// printer device. The document is RTF text when it starts with "{\rtf";
// anything else is the name of an RTF file.
//
// The shared value GEDRUCKT says afterwards whether the document reached
// the printer: it is set false when the report starts and true only when
// the spooler has taken the whole letter. A preview, a cancelled or failed
// job, a page that fits nothing and a missing printer leave it false; all
// but the preview and the cancel are told to the user.
#include <memory>
#include <string>

#include "platform/report/ptrdevice.h"
#include "platform/report/rtf.h"

namespace kp {

class RpPrinter;
class Window;

class RTFReport : public PrintReport {
  public:
    // A report without a job: Load a document and run a device over it.
    RTFReport() = default;
    // Prints (preview false) or previews the document on the default
    // printer of Windows, as the word pad does.
    RTFReport(Window* owner, const std::string& document, bool preview);
    // The same on a given printer (null: there is none).
    RTFReport(Window* owner, const std::string& document, bool preview,
              std::unique_ptr<PrinterLink> printer);
    ~RTFReport() override;
    RTFReport(const RTFReport&) = delete;
    RTFReport& operator=(const RTFReport&) = delete;

    static bool IsRTFText(const std::string& document);

    // Loads RTF text or an RTF file and starts at its first character;
    // false when it cannot be read.
    bool Load(const std::string& document);
    // Runs the print or preview job of a loaded document on the device and
    // publishes GEDRUCKT.
    void Run(RpPrinter& device, bool preview);

    // The page loop's calls.
    int PrintSetPage(PtrDevice& device, int page) override;
    int PrintPageBody(PtrDevice& device) override;
    void PrintEnd() override;

    // How the last job ended (Idle before one ran).
    PrintStatus Status() const { return status_; }

    std::unique_ptr<RTF> oRTF;
    long nStartChar = 1;  // first character of the next page, 1-based

  private:
    void Start(Window* owner, const std::string& document, bool preview,
               std::unique_ptr<PrinterLink> printer, bool defaultPrinter);
    void TellUser(const std::string& text) const;

    Window* owner_ = nullptr;
    std::string document_;
    PrintStatus status_ = PrintStatus::Idle;
};

// The shared value that says whether the last document reached the printer.
bool Gedruckt();

}  // namespace kp
