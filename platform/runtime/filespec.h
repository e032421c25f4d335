#pragma once
// FileSpec: a file name taken apart into drive, directory, name and
// extension, the way the classes that work on one file (tables, INI files)
// name it. Only the text is handled; nothing on disk is looked at.
//
//   "C:\KP\DATEN\Kunden.dbf"  Drive "C:"  Path "\KP\DATEN\"  FileName "Kunden"
//                             Extension ".dbf"
//   "\\srv\kp\Setup.ini"      Drive ""    Path "\\srv\kp\"   FileName "Setup"
//   "Setup"                   Drive ""    Path ""            FileName "Setup"
//
// Both "\" and "/" separate directories; the separators are kept as given.
// The extension starts at the last full stop of the file-name part (a full
// stop in a directory name does not count) and includes it.
#include <string>
#include <string_view>

namespace kp {

class FileSpec {
  public:
    FileSpec() = default;
    explicit FileSpec(std::string_view fullPath) { FullPath(fullPath); }
    virtual ~FileSpec() = default;

    const std::string& Drive() const { return drive_; }  // "C:" or ""
    const std::string& Path() const { return path_; }    // with its last separator, or ""
    const std::string& FileName() const { return fileName_; }
    const std::string& Extension() const { return extension_; }  // ".INI" or ""
    std::string FullPath() const { return drive_ + path_ + fileName_ + extension_; }

    // Assigning a part keeps the others. A drive is given with or without its
    // colon; a directory without a final separator gets a "\".
    void Drive(std::string_view drive);
    void Path(std::string_view path);
    void FileName(std::string_view name) { fileName_ = name; }
    void Extension(std::string_view ext);  // "ini" and ".ini" both give ".ini"
    void FullPath(std::string_view fullPath);

  private:
    std::string drive_, path_, fileName_, extension_;
};

// The file-name part of a name: what follows the last separator or the
// drive's colon ("C:\V1.0\SETUP" -> "SETUP").
std::string_view FileNamePart(std::string_view name);

}  // namespace kp
