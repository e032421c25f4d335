#include "platform/runtime/filespec.h"

namespace kp {

namespace {

bool IsSep(char c) {
    return c == '\\' || c == '/';
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Length of the drive prefix "X:" at the start of a name (0 without one).
size_t DriveLength(std::string_view name) {
    return name.size() >= 2 && name[1] == ':' && IsAsciiLetter(name[0]) ? 2 : 0;
}

}  // namespace

std::string_view FileNamePart(std::string_view name) {
    size_t start = DriveLength(name);
    for (size_t i = start; i < name.size(); ++i)
        if (IsSep(name[i]))
            start = i + 1;
    return name.substr(start);
}

void FileSpec::FullPath(std::string_view fullPath) {
    const size_t driveLen = DriveLength(fullPath);
    drive_ = fullPath.substr(0, driveLen);
    const std::string_view file = FileNamePart(fullPath);
    const size_t fileStart = fullPath.size() - file.size();
    path_ = fullPath.substr(driveLen, fileStart - driveLen);
    const size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) {
        fileName_ = file;
        extension_.clear();
    } else {
        fileName_ = file.substr(0, dot);
        extension_ = file.substr(dot);
    }
}

void FileSpec::Drive(std::string_view drive) {
    drive_ = drive;
    if (!drive_.empty() && drive_.back() != ':')
        drive_ += ':';
}

void FileSpec::Path(std::string_view path) {
    path_ = path;
    if (!path_.empty() && !IsSep(path_.back()))
        path_ += '\\';
}

void FileSpec::Extension(std::string_view ext) {
    extension_.clear();
    if (!ext.empty() && ext.front() != '.')
        extension_ = ".";
    extension_ += ext;
}

}  // namespace kp
