#pragma once
// RTF: an RTF document laid out page by page onto a printer device.
//
// The document lives in a hidden rich-edit control, which also does the
// layout (its own page formatting). Where the control cannot format pages
// (it answers no progress for a page of room), the system's own layout of
// rtflayout.h sets the pages from the control's text and formats instead.
// Character positions are 1-based and count the control's characters (a
// paragraph end is one character).
#include <windows.h>

#include <memory>
#include <string>

namespace kp {

class PtrDevice;
struct RtfDocument;

class RTF {
  public:
    RTF();
    ~RTF();
    RTF(const RTF&) = delete;
    RTF& operator=(const RTF&) = delete;

    // Reads an RTF file; false when it cannot be read or is no RTF.
    bool LoadRTFFromFile(const std::string& path);
    // Takes RTF text (it starts with "{\rtf"); false for anything else.
    bool LoadRTFFromDynaString(const std::string& rtfText);

    // Lays the text out from firstChar into the box at (row, col) of height
    // by width logical units of the device's drawing context and draws it
    // when draw is set (otherwise only measures). Afterwards LastPrintedChar
    // is where the next page continues: the first character that did not
    // fit, TextBufferLength() + 1 when all did. Continuing from it prints
    // every character once. When not even one line fits, LastPrintedChar
    // stays firstChar, FittedNothing is true and the device is told.
    // Outside a job the layout uses a device context of the printer.
    // Returns LastPrintedChar.
    long DrawText(PtrDevice& device, int row, int col, int height, int width, long firstChar,
                  bool draw = true);
    long LastPrintedChar() const { return lastPrinted_; }
    long TextBufferLength() const;
    bool FittedNothing() const { return fittedNothing_; }
    bool IsLoaded() const { return loaded_; }
    // The document's plain text (paragraph ends as "\r"), UTF-8.
    std::string PlainText() const;
    // Whether the system's own layout sets the pages (see above).
    bool UsesOwnLayout() const { return ownLayout_; }

  private:
    bool LoadStream(const std::string& bytes);
    bool ControlFormatsPages() const;

    HMODULE lib_ = nullptr;
    HWND edit_ = nullptr;
    bool loaded_ = false;
    long lastPrinted_ = 1;
    bool fittedNothing_ = false;
    bool ownLayout_ = false;
    std::unique_ptr<RtfDocument> doc_;  // read from the control when first laid out
};

}  // namespace kp
