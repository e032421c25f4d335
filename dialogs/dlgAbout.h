#pragma once
// DlgAbout: the suite's modal "INFO" box with three lines its caller sets
// (application, version, rights notice) and the free memory figures.
//
//   DlgAbout about(owner);
//   about.Application("KONTORPLUS"); about.Version("1.0"); about.Notice("...");
//   about.Show();
#include <cstdint>
#include <string>

#include "dialogs/dlgAbout_layout.h"

namespace kp {

// "64.000 KB frei" for 65 536 000 bytes: whole kilobytes with a point
// between thousands. The picture is wide enough for today's memory (the
// six-digit picture of old showed asterisks above 976 MB).
std::string FreeMemoryText(uint64_t bytes);
// "  7 % frei": the percentage right-aligned in three characters.
std::string FreeResourcesText(uint64_t percent);

class DlgAbout : public DlgAboutLayout {
  public:
    explicit DlgAbout(Window* owner);
    Symbol ClassName() const override;

    void Application(const std::string& text) { TxtApp->Caption(text); }
    void Version(const std::string& text) { TxtVersion->Caption(text); }
    void Notice(const std::string& text) { TxtNotice->Caption(text); }
    void PshOK() { EndDialog(1); }
    Method FindMethod(Symbol name) override;
};

}  // namespace kp
