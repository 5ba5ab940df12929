#include "app/shell_folder.h"

#include <windows.h>
#include <shlobj.h>

#include <memory>

namespace {

struct MallocReleaser {
    void operator()(IMalloc* malloc) const { malloc->Release(); }
};

}  // namespace

std::wstring GetShellFolderPath(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    IMalloc* rawMalloc = nullptr;
    if (FAILED(SHGetMalloc(&rawMalloc)) || !rawMalloc)
        return path;
    std::unique_ptr<IMalloc, MallocReleaser> malloc(rawMalloc);

    LPITEMIDLIST items = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &items)) && items) {
        if (!SHGetPathFromIDListW(items, path))
            path[0] = L'\0';
        malloc->Free(items);
    }
    return path;
}
