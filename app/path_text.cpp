#include "app/path_text.h"

#include "app/ascii.h"

namespace {

bool IsSlash(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

bool IsDriveLetter(wchar_t c)
{
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool StartsWithDrive(std::wstring_view path)
{
    return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':';
}

// The length of the root `path` starts with, without a closing backslash: "C:" (2),
// "\\server\share", "\\?\C:", "\\?\UNC\server\share"; 0 for a path with none of them.
std::size_t RootLength(std::wstring_view path)
{
    std::size_t start = 0;
    if (path.starts_with(L"\\\\?\\") || path.starts_with(L"\\??\\")) {
        start = 4;
        if (path.size() >= 8 && AsciiLower(path[4]) == L'u' && AsciiLower(path[5]) == L'n' &&
            AsciiLower(path[6]) == L'c' && IsSlash(path[7])) {
            start = 8;
        }
        else
            return StartsWithDrive(path.substr(4)) ? 6 : 0;
    }
    else if (path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1]))
        start = 2;
    else
        return StartsWithDrive(path) ? 2 : 0;
    // Server and share.
    std::size_t end = start;
    for (int part = 0; part < 2; ++part) {
        while (end < path.size() && !IsSlash(path[end]))
            ++end;
        if (part == 0 && end < path.size())
            ++end;
    }
    return end;
}

}  // namespace

bool SplitFolderPath(std::wstring_view path, std::wstring& parent, std::wstring& name)
{
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring_view::npos || slash + 1 == path.size())
        return false;
    parent.assign(path.substr(0, slash));
    name.assign(path.substr(slash + 1));
    // A root without its backslash names something else: "C:" the drive's current
    // folder, "" nothing at all.
    if (parent.empty() || RootLength(parent) == parent.size())
        parent += L'\\';
    return true;
}

bool IsFullPath(std::wstring_view path)
{
    return (path.size() >= 2 && IsSlash(path[0]) && IsSlash(path[1])) ||
           (path.size() >= 3 && StartsWithDrive(path) && IsSlash(path[2]));
}

std::wstring AgainstFolder(std::wstring_view path, std::wstring_view base)
{
    if (path.empty() || IsFullPath(path))
        return std::wstring(path);
    if (IsSlash(path[0]))
        return std::wstring(base.substr(0, RootLength(base))) + std::wstring(path);
    if (StartsWithDrive(path)) {
        if (!StartsWithDrive(base) || AsciiLower(path[0]) != AsciiLower(base[0]))
            return std::wstring(path);
        path.remove_prefix(2);
        if (path.empty())
            return std::wstring(base);
    }
    std::wstring whole(base);
    if (!whole.empty() && !IsSlash(whole.back()))
        whole += L'\\';
    return whole + std::wstring(path);
}
