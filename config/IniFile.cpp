#include "config/IniFile.h"

#include <windows.h>

#include <array>
#include <memory>
#include <optional>

#include "config/funString.h"
#include "platform/runtime/codepage.h"
#include "platform/runtime/error.h"
#include "platform/runtime/program.h"
#include "platform/runtime/strings.h"
#include "platform/runtime/utf8.h"

namespace kp {

namespace {

// The scrambling works on the bytes of the ANSI code page the suite's
// programs use.
constexpr int kCryptCodePage = 1252;

std::string ToCryptBytes(std::string_view text) {
    std::string bytes;
    for (size_t pos = 0; pos < text.size();) {
        const char32_t c = DecodeUtf8(text, pos);
        if (c == 0)
            continue;
        const int b = c == kBadUtf8 ? -1 : CharToCp(c, kCryptCodePage);
        bytes += static_cast<char>(b > 0 ? b : '?');
    }
    return bytes;
}

std::string FromCryptBytes(std::string_view bytes) {
    std::string text;
    for (char b : bytes)
        AppendUtf8(text, CpToChar(static_cast<unsigned char>(b), kCryptCodePage));
    return text;
}

// Position 1..255 that a 0-based index scrambles with.
int CryptStep(size_t index) {
    return static_cast<int>(index % 255) + 1;
}

bool NeedsQuotes(std::string_view value) {
    // The profile service drops blanks and tabs around a value and one pair
    // of enclosing double quotes.
    auto edge = [](char c) { return c == ' ' || c == '\t' || c == '"'; };
    return !value.empty() && (edge(value.front()) || edge(value.back()));
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A line break in a section, key or value would end the line in the file:
// the rest would become a line of its own (another key, even a section) and
// damage the file for every program that reads it.
void RaiseRefusedWrite(const IniFile& ini, std::string_view operation, std::string description) {
    auto err = std::make_shared<Error>();
    err->SubSystem = "KPINI";
    err->GenCode = EG_ARG;
    err->Operation = std::string(operation);
    err->FileName = ini.FullPath();
    err->Description = std::move(description);
    Raise(err);
}

// The user is told which name cannot be kept and that the file is untouched.
void RaiseBadName(const IniFile& ini, std::string_view operation, std::string_view what,
                  std::string_view name) {
    RaiseRefusedWrite(
        ini, operation,
        std::string(what) + " \"" + std::string(name) +
            "\" lässt sich nicht in der INI-Datei speichern: Namen dürfen keinen "
            "Zeilenumbruch und keines der Zeichen [ ] = ; enthalten. Die Datei bleibt "
            "unverändert. Bitte einen anderen Namen wählen.");
}

// Refuses (through the error block) a section or key that IniNameAllowed
// rejects; true when both may be written.
bool NamesAllowed(const IniFile& ini, std::string_view operation, std::string_view section,
                  std::optional<std::string_view> key) {
    if (!IniNameAllowed(section)) {
        RaiseBadName(ini, operation, "Der Abschnittsname", section);
        return false;
    }
    if (key && !IniNameAllowed(*key)) {
        RaiseBadName(ini, operation, "Der Schlüsselname", *key);
        return false;
    }
    return true;
}

}  // namespace

bool IniNameAllowed(std::string_view name) {
    // "[" or "]" would end or start a section line, "=" would split the key
    // from its value at the wrong place, ";" starts a comment for many
    // readers, and a line break ends the line.
    return name.find_first_of("[]=;\r\n") == std::string_view::npos;
}

std::string IniFullPath(std::string_view name, std::string_view diskName, std::string_view curDir) {
    std::string full(name);
    if (FileNamePart(name).find('.') == std::string_view::npos)
        full += ".INI";
    const FileSpec parts(full);
    if (!parts.Drive().empty() || !parts.Path().empty())
        return full;
    std::string dir;
    if (!diskName.empty())
        dir = std::string(diskName) + ":\\";
    else if (!curDir.empty())
        dir = "\\\\";  // the current directory is a network share
    if (!curDir.empty())
        dir += std::string(curDir) + "\\";
    return dir + full;
}

std::string Crypt_Ini(std::string_view plain) {
    std::string bytes = ToCryptBytes(plain);
    for (size_t i = 0; i < bytes.size(); ++i) {
        int code = static_cast<unsigned char>(bytes[i]) + CryptStep(i);
        if (code > 255)
            code -= 255;
        bytes[i] = static_cast<char>(code);
    }
    return FromCryptBytes(bytes);
}

std::string Decrypt_Ini(std::string_view stored) {
    std::string bytes = ToCryptBytes(stored);
    for (size_t i = 0; i < bytes.size(); ++i) {
        int code = static_cast<unsigned char>(bytes[i]) - CryptStep(i);
        if (code <= 0)
            code += 255;
        bytes[i] = static_cast<char>(code);
    }
    return FromCryptBytes(bytes);
}

bool Usual2Logic(const Usual& value) {
    switch (value.Type()) {
        case UsualType::Logic:
            return value.AsLogic();
        case UsualType::Long:
        case UsualType::Float:
            return value.AsFloat() == 1;
        case UsualType::String: {
            static constexpr std::array<std::string_view, 8> kTrue = {"ein",  "on", "ja", "yes",
                                                                      "true", "j",  "y",  "1"};
            const std::string lower = Lower(value.AsString());
            for (std::string_view word : kTrue)
                if (lower == word)
                    return true;
            return false;
        }
        default:
            return false;
    }
}

std::string IniPath(std::string_view value) {
    std::string path = Upper(value);
    if (!path.empty() && path.back() != '\\')
        path += '\\';
    return path;
}

std::vector<std::string> IniKeyList(std::wstring_view buffer, size_t copied) {
    std::wstring_view names = buffer.substr(0, std::min(copied, buffer.size()));
    while (!names.empty() && names.back() == L'\0')
        names.remove_suffix(1);
    if (names.empty())
        return {};
    return String2Array(WideToUtf8(names), std::string_view("\0", 1));
}

std::string IniValueText(std::wstring_view value) {
    if (!value.empty() && value.back() >= 0xD800 && value.back() <= 0xDBFF)
        value.remove_suffix(1);
    return WideToUtf8(value);
}

// ---- IniFile

IniFile::IniFile(std::string_view fileName) {
    FullPath(IniFullPath(fileName, DiskName(), CurDir()));
}

std::string IniFile::GetString(std::string_view section, std::string_view key) const {
    std::wstring buf(kIniValueBuffer, L'\0');
    const DWORD n = GetPrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(),
                                             L"", buf.data(), static_cast<DWORD>(buf.size()),
                                             Utf8ToWide(FullPath()).c_str());
    return IniValueText(std::wstring_view(buf).substr(0, std::min<size_t>(n, buf.size())));
}

std::string IniFile::GetStringUpper(std::string_view section, std::string_view key) const {
    return Upper(GetString(section, key));
}

std::string IniFile::GetStringProper(std::string_view section, std::string_view key) const {
    return Proper(GetString(section, key));
}

std::string IniFile::GetStringOem(std::string_view section, std::string_view key) const {
    return Oem2Ansi(GetString(section, key));
}

std::string IniFile::GetStringCrypt(std::string_view section, std::string_view key) const {
    return Decrypt_Ini(GetString(section, key));
}

int32_t IniFile::GetInt(std::string_view section, std::string_view key) const {
    const UINT n = GetPrivateProfileIntW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(), 0,
                                         Utf8ToWide(FullPath()).c_str());
    return static_cast<int32_t>(n);
}

bool IniFile::GetLogic(std::string_view section, std::string_view key) const {
    return Usual2Logic(Usual(GetString(section, key)));
}

std::vector<std::string> IniFile::GetSection(std::string_view section) const {
    std::wstring buf(kIniSectionBuffer, L'\0');
    const DWORD n =
        GetPrivateProfileStringW(Utf8ToWide(section).c_str(), nullptr, L"", buf.data(),
                                 static_cast<DWORD>(buf.size()), Utf8ToWide(FullPath()).c_str());
    return IniKeyList(buf, n);
}

std::string IniFile::GetPath(std::string_view section, std::string_view key) const {
    return IniPath(GetString(section, key));
}

IniFile& IniFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
    if (!NamesAllowed(*this, "WriteString", section, key))
        return *this;
    if (HasLineBreak(value)) {
        RaiseRefusedWrite(
            *this, "WriteString",
            "Ein Eintrag mit Zeilenumbruch lässt sich nicht in der INI-Datei speichern; "
            "die Datei bleibt unverändert. Bitte den Wert ohne Zeilenumbruch eingeben.");
        return *this;
    }
    WritePrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(),
                               Utf8ToWide(value).c_str(), Utf8ToWide(FullPath()).c_str());
    return *this;
}

IniFile& IniFile::WriteStringUpper(std::string_view section, std::string_view key,
                                   std::string_view value) {
    return WriteString(section, key, Upper(value));
}

IniFile& IniFile::WriteStringProper(std::string_view section, std::string_view key,
                                    std::string_view value) {
    return WriteString(section, key, Proper(value));
}

IniFile& IniFile::WriteStringOem(std::string_view section, std::string_view key,
                                 std::string_view value) {
    return WriteString(section, key, Ansi2Oem(value));
}

IniFile& IniFile::WriteStringCrypt(std::string_view section, std::string_view key,
                                   std::string_view value) {
    // A scrambled text may begin or end with a blank or a quote, which the
    // profile service would drop on reading; enclosing quotes keep it whole
    // for every program that reads the value through the service.
    std::string stored = Crypt_Ini(value);
    if (HasLineBreak(stored)) {
        RaiseRefusedWrite(
            *this, "WriteStringCrypt",
            "Dieser Wert ergibt verschlüsselt einen Zeilenumbruch und lässt sich so "
            "nicht in der INI-Datei speichern; die Datei bleibt unverändert. Bitte einen "
            "anderen Wert wählen.");
        return *this;
    }
    if (NeedsQuotes(stored))
        stored = '"' + stored + '"';
    return WriteString(section, key, stored);
}

IniFile& IniFile::WriteInt(std::string_view section, std::string_view key, int64_t number) {
    return WriteString(section, key, std::to_string(number));
}

IniFile& IniFile::WriteLogic(std::string_view section, std::string_view key, bool value) {
    return WriteString(section, key, value ? "TRUE" : "FALSE");
}

void IniFile::DeleteEntry(std::string_view section, std::string_view key) {
    if (!NamesAllowed(*this, "DeleteEntry", section, key))
        return;
    WritePrivateProfileStringW(Utf8ToWide(section).c_str(), Utf8ToWide(key).c_str(), nullptr,
                               Utf8ToWide(FullPath()).c_str());
}

void IniFile::DeleteSection(std::string_view section) {
    if (!NamesAllowed(*this, "DeleteSection", section, std::nullopt))
        return;
    WritePrivateProfileStringW(Utf8ToWide(section).c_str(), nullptr, nullptr,
                               Utf8ToWide(FullPath()).c_str());
}

// ---- WinIniFile

namespace {

std::string WinIniName() {
    std::wstring buf(2048, L'\0');
    const UINT n = GetWindowsDirectoryW(buf.data(), static_cast<UINT>(buf.size()));
    buf.resize(n < buf.size() ? n : 0);
    return Trim(WideToUtf8(buf)) + "\\win.ini";
}

}  // namespace

WinIniFile::WinIniFile() : IniFile(WinIniName()) {}

}  // namespace kp
