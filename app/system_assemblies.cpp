#include "app/system_assemblies.h"

#include "app/ascii.h"

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

std::wstring_view WithoutLongPrefix(std::wstring_view path)
{
    for (const std::wstring_view prefix : {std::wstring_view(L"\\\\?\\"), std::wstring_view(L"\\??\\")}) {
        if (path.starts_with(prefix))
            return path.substr(prefix.size());
    }
    return path;
}

bool HasDotStep(std::wstring_view path)
{
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = start;
        while (end < path.size() && !IsSeparator(path[end]))
            ++end;
        const std::wstring_view step = path.substr(start, end - start);
        if (step == L"." || step == L"..")
            return true;
        start = end + 1;
    }
    return false;
}

bool InsideFolder(std::wstring_view path, std::wstring_view folder)
{
    path = WithoutLongPrefix(path);
    folder = WithoutLongPrefix(folder);
    while (!folder.empty() && IsSeparator(folder.back()))
        folder.remove_suffix(1);
    if (folder.empty() || path.size() <= folder.size() + 1 || HasDotStep(path))
        return false;
    for (std::size_t i = 0; i < folder.size(); ++i) {
        if (AsciiLower(path[i]) != AsciiLower(folder[i]) && !(IsSeparator(path[i]) && IsSeparator(folder[i])))
            return false;
    }
    return IsSeparator(path[folder.size()]);
}

}  // namespace

bool AllInsideFolder(const std::vector<std::wstring>& paths, std::wstring_view windowsFolder)
{
    for (const std::wstring& path : paths) {
        if (!InsideFolder(path, windowsFolder))
            return false;
    }
    return true;
}
