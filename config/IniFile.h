#pragma once
// IniFile: typed access to one INI file (sections of key=value lines)
// through the Windows profile functions. WinIniFile is the Windows
// directory's win.ini.
//
// An IniFile holds only the file's name: every call opens, reads or writes
// and closes the file through the profile service, so several objects may
// name the same file and nothing is cached. No call reports an error: an
// absent file, section or key reads as "" (strings and GetPath), 0
// (GetInt), false (GetLogic) or no keys (GetSection); a failed write is
// ignored, as the profile service ignores it. The one exception: a line
// break in a section, key or value (also one that scrambling produces)
// would split the line and damage the file, so such a write raises a
// run-time error (EG_ARG) through the error block and writes nothing.
//
// Text is UTF-8 here and goes to the W profile functions. A file that the
// service creates is written in the ANSI code page (1252 in the German
// office), which is what the suite's other programs read with the ANSI
// profile functions; a file that starts with a UTF-16 byte-order mark stays
// UTF-16. A character the ANSI code page lacks is stored by the service as
// its replacement ('?').
//
// Read buffers: one value is read into 2048 characters, the key list of a
// section into 4096; the profile service cuts longer contents to fit
// (2047 characters of a value).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/runtime/filespec.h"
#include "platform/runtime/usual.h"

namespace kp {

// ---- The rules, without a file.

inline constexpr size_t kIniValueBuffer = 2048;    // characters
inline constexpr size_t kIniSectionBuffer = 4096;  // characters

// The full name an IniFile gets for `name`: ".INI" is appended when the
// file-name part has no full stop (a full stop in a directory name does not
// count); a bare file name (no drive, no directory) is put into the current
// directory of the current drive, "disk:\curDir\name".
std::string IniFullPath(std::string_view name, std::string_view diskName, std::string_view curDir);

// The scrambling of stored secrets. Each character's byte in code page 1252
// (the ANSI code page the suite's programs scramble in) is raised by its
// 1-based position i; a result above 255 wraps by 255, so no zero byte is
// ever stored and the text keeps its length. Decrypt_Ini lowers by i and
// wraps results of 0 or below by 255, which reverses Crypt_Ini for every
// byte 1..255, character 255 ("ÿ") included. Positions beyond 255 count
// again from 1 (position 256 scrambles like position 1), so texts of any
// length go and come back unchanged. (The step at position 255 is 255,
// which leaves that character as it was.) Scrambling may produce a line
// feed or carriage return (a high character late in the text: ü at
// position 13); such a text cannot be stored in an INI line. A character that 1252 lacks is
// scrambled as '?'; a zero character in the plain text is not kept.
std::string Crypt_Ini(std::string_view plain);
std::string Decrypt_Ini(std::string_view stored);

// A value as a logic: a logic as it is; a number is true when it equals 1;
// a text is true when it is, in any case, one of "ein", "on", "ja", "yes",
// "true", "j", "y", "1" (the whole text: "/" or "ja/yes" are false);
// everything else is false.
bool Usual2Logic(const Usual& value);

// GetPath's form of a value: upper case with a final "\"; "" stays "".
std::string IniPath(std::string_view value);

// The key names in a section buffer as the profile service fills it (each
// name ended by a zero character; `copied` characters without the final
// terminator), in file order. Nothing copied (an absent or empty section)
// gives no keys. A name cut by the buffer's end is kept as far as it came.
std::vector<std::string> IniKeyList(std::wstring_view buffer, size_t copied);

// A value buffer as UTF-8. A value cut by the buffer in the middle of a
// UTF-16 surrogate pair loses the lone half instead of becoming U+FFFD.
std::string IniValueText(std::wstring_view value);

// Whether a section or key name can be written: no line break and none of
// "[", "]", "=", ";", which would make another section, key or comment of
// the line (or the entry unreadable for the suite's other programs).
bool IniNameAllowed(std::string_view name);

// ---- The file.

class IniFile : public FileSpec {
  public:
    // Names the file (see IniFullPath); the file need not exist.
    explicit IniFile(std::string_view fileName);

    std::string GetString(std::string_view section, std::string_view key) const;
    std::string GetStringUpper(std::string_view section, std::string_view key) const;
    std::string GetStringProper(std::string_view section, std::string_view key) const;
    // The value taken as OEM text and converted to ANSI.
    std::string GetStringOem(std::string_view section, std::string_view key) const;
    std::string GetStringCrypt(std::string_view section, std::string_view key) const;
    // The value as a whole number as the profile service reads it, 0 when
    // absent; signed, so "-1" gives -1.
    int32_t GetInt(std::string_view section, std::string_view key) const;
    bool GetLogic(std::string_view section, std::string_view key) const;
    // The section's key names in file order; none for an absent or empty
    // section.
    std::vector<std::string> GetSection(std::string_view section) const;
    // The value in upper case with a final "\"; "" when absent or empty.
    std::string GetPath(std::string_view section, std::string_view key) const;

    // Each writes one key=value line, creating file, section and key as
    // needed. A name that IniNameAllowed rejects, or a value with a line
    // break, is refused through the error block and the file stays as it
    // was.
    IniFile& WriteString(std::string_view section, std::string_view key, std::string_view value);
    IniFile& WriteStringUpper(std::string_view section, std::string_view key,
                              std::string_view value);
    IniFile& WriteStringProper(std::string_view section, std::string_view key,
                               std::string_view value);
    // The value converted from ANSI to OEM.
    IniFile& WriteStringOem(std::string_view section, std::string_view key, std::string_view value);
    IniFile& WriteStringCrypt(std::string_view section, std::string_view key,
                              std::string_view value);
    IniFile& WriteInt(std::string_view section, std::string_view key, int64_t number);
    IniFile& WriteLogic(std::string_view section, std::string_view key, bool value);

    void DeleteEntry(std::string_view section, std::string_view key);
    void DeleteSection(std::string_view section);
};

class WinIniFile : public IniFile {
  public:
    WinIniFile();  // "<Windows directory>\win.ini"
};

}  // namespace kp
