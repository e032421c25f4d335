#pragma once
// Message boxes and the standard file dialogs.
//
// Both go through one Presenter. The default presenter shows the real
// Windows boxes; a test installs its own with ScopedPresenter and answers
// them without a screen.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace kp {

class Window;

// The button a box was answered with (the Windows ID codes).
inline constexpr int BOXREPLYOKAY = IDOK;
inline constexpr int BOXREPLYCANCEL = IDCANCEL;
inline constexpr int BOXREPLYABORT = IDABORT;
inline constexpr int BOXREPLYRETRY = IDRETRY;
inline constexpr int BOXREPLYIGNORE = IDIGNORE;
inline constexpr int BOXREPLYYES = IDYES;
inline constexpr int BOXREPLYNO = IDNO;

// What a file dialog asks and, after it, what the user chose.
struct FileDialogRequest {
    bool save = false;
    HWND owner = nullptr;
    std::string caption;
    // {description, patterns} such as {"Texte", "*.rtf;*.txt"}.
    std::vector<std::pair<std::string, std::string>> filters;
    int filterIndex = 1;  // 1-based
    std::string initialFolder;
    std::string fileName;  // in: the default name; out: the chosen file
    std::string defaultExtension;
    bool allowMultiple = false;
    bool mustExist = true;            // open: the file must exist
    bool promptOverwrite = true;      // save: ask before replacing a file
    std::vector<std::string> chosen;  // out: every chosen file, full paths
};

class Presenter {
  public:
    virtual ~Presenter() = default;
    // Shows a message box; returns the button chosen (BOXREPLY...).
    virtual int ShowMessage(HWND owner, const std::string& caption, const std::string& text,
                            UINT type) = 0;
    // Shows a file dialog; false when cancelled.
    virtual bool ShowFileDialog(FileDialogRequest& request) = 0;
};

// The presenter in force: the real one unless a ScopedPresenter is active.
Presenter& CurrentPresenter();

class ScopedPresenter {
  public:
    explicit ScopedPresenter(Presenter& p);
    ~ScopedPresenter();
    ScopedPresenter(const ScopedPresenter&) = delete;
    ScopedPresenter& operator=(const ScopedPresenter&) = delete;

  private:
    Presenter* previous_;
};

// A message box of an owner (null: none), caption and text with a set of
// buttons and an icon (MB_ flags).
class TextBox {
  public:
    TextBox(Window* owner, std::string caption, std::string text, UINT type = MB_OK);
    virtual ~TextBox() = default;
    // Shows the box and returns the button chosen.
    int Show();
    UINT Type() const { return type_; }
    void Type(UINT type) { type_ = type; }
    const std::string& Caption() const { return caption_; }
    const std::string& Text() const { return text_; }

  private:
    Window* owner_;
    std::string caption_;
    std::string text_;
    UINT type_;
};

class InfoBox : public TextBox {
  public:
    InfoBox(Window* owner, std::string caption, std::string text)
        : TextBox(owner, std::move(caption), std::move(text), MB_OK | MB_ICONINFORMATION) {}
};

class WarningBox : public TextBox {
  public:
    WarningBox(Window* owner, std::string caption, std::string text)
        : TextBox(owner, std::move(caption), std::move(text), MB_OK | MB_ICONWARNING) {}
};

class ErrorBox : public TextBox {
  public:
    ErrorBox(Window* owner, std::string caption, std::string text)
        : TextBox(owner, std::move(caption), std::move(text), MB_OK | MB_ICONERROR) {}
};

// The common base of the open and save-as dialogs.
class StandardFileDialog {
  public:
    virtual ~StandardFileDialog() = default;
    void Caption(std::string caption) { request_.caption = std::move(caption); }
    // Filters as patterns with descriptions, index for index.
    void SetFilter(const std::vector<std::string>& patterns,
                   const std::vector<std::string>& descriptions, int index = 1);
    void InitialDirectory(std::string folder) { request_.initialFolder = std::move(folder); }
    void DefaultExtension(std::string ext) { request_.defaultExtension = std::move(ext); }
    // Shows the dialog; false when the user cancelled.
    bool Show();
    const std::string& FileName() const { return request_.fileName; }
    const std::vector<std::string>& FileNames() const { return request_.chosen; }

  protected:
    StandardFileDialog(Window* owner, std::string initialFile, bool save);
    FileDialogRequest request_;

  private:
    Window* owner_;
};

class OpenDialog : public StandardFileDialog {
  public:
    explicit OpenDialog(Window* owner, std::string initialFile = {})
        : StandardFileDialog(owner, std::move(initialFile), false) {}
    void AllowMultiple(bool on) { request_.allowMultiple = on; }
};

class SaveAsDialog : public StandardFileDialog {
  public:
    explicit SaveAsDialog(Window* owner, std::string defaultName = {})
        : StandardFileDialog(owner, std::move(defaultName), true) {}
    void PromptOverwrite(bool on) { request_.promptOverwrite = on; }
};

}  // namespace kp
