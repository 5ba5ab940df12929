#include "app/system_assemblies.h"

#include <algorithm>

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

// Equal but for ASCII case and the kind of separator. Letters beyond ASCII are
// compared exactly, so a difference of case there refuses rather than admits.
bool SameText(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return AsciiLower(x) == AsciiLower(y) || (IsSeparator(x) && IsSeparator(y));
           });
}

bool InsideFolder(std::wstring_view path, std::wstring_view folder)
{
    path = WithoutLongPrefix(path);
    folder = WithoutLongPrefix(folder);
    while (!folder.empty() && IsSeparator(folder.back()))
        folder.remove_suffix(1);
    if (folder.empty() || path.size() <= folder.size() + 1 || HasDotStep(path))
        return false;
    return SameText(path.substr(0, folder.size()), folder) && IsSeparator(path[folder.size()]);
}

}  // namespace

bool HasForeignBinding(const BoundAssemblies& bound, std::wstring_view program,
                       const std::vector<std::wstring>& systemFolders)
{
    for (const std::wstring& root : bound.rootManifests) {
        if (!root.empty() && !program.empty() && !SameText(WithoutLongPrefix(root), WithoutLongPrefix(program)))
            return true;
    }
    for (const std::wstring& path : bound.paths) {
        if (!path.empty() && std::none_of(systemFolders.begin(), systemFolders.end(), [&](const std::wstring& folder) {
                return InsideFolder(path, folder);
            }))
            return true;
    }
    return false;
}
