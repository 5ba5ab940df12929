#include "app/side_by_side.h"

#include <string>
#include <vector>

#include "app/handles.h"
#include "app/path_text.h"
#include "app/system_assemblies.h"

namespace {

// One answer of QueryActCtxW, in a buffer of the size it asks for; empty on failure.
std::vector<BYTE> Query(DWORD flags, HANDLE context, void* index, ULONG infoClass)
{
    SIZE_T needed = 0;
    if (QueryActCtxW(flags, context, index, infoClass, nullptr, 0, &needed) ||
        GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
        return {};
    std::vector<BYTE> buffer(needed);
    if (!QueryActCtxW(flags, context, index, infoClass, buffer.data(), buffer.size(), &needed))
        return {};
    return buffer;
}

template <class Answer>
const Answer* As(const std::vector<BYTE>& buffer)
{
    return buffer.size() < sizeof(Answer) ? nullptr : reinterpret_cast<const Answer*>(buffer.data());
}

std::wstring Text(PCWSTR text)
{
    return text ? std::wstring(text) : std::wstring();
}

// A path the system gives through a fixed-size buffer; empty when it cannot.
template <class Call>
std::wstring SystemPath(Call call)
{
    wchar_t path[MAX_PATH] = {};
    const UINT length = call(path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

// The system's side-by-side store and its system folders (a 32-bit program on 64-bit
// Windows is given SysWOW64 for System32).
std::vector<std::wstring> SystemFolders()
{
    std::vector<std::wstring> folders;
    if (const std::wstring windows = SystemPath(GetSystemWindowsDirectoryW); !windows.empty())
        folders.push_back(windows + L"\\WinSxS");
    for (const std::wstring& folder : {SystemPath(GetSystemDirectoryW), SystemPath(GetSystemWow64DirectoryW)}) {
        if (!folder.empty())
            folders.push_back(folder);
    }
    return folders;
}

// A path that names one place; a name relative to a folder the answer does not give
// (an assembly's folder in the system's store, a file in its assembly's folder) is
// not known, and counts as no finding: the manifest it came with is checked.
std::wstring FullPathOnly(PCWSTR text)
{
    const std::wstring path = Text(text);
    return IsFullPath(path) ? path : std::wstring();
}

// Whether two paths name one file, however each is written (a short name, another
// case beyond ASCII): the same volume and file index. Only attributes are read.
bool SameFile(const std::wstring& a, const std::wstring& b)
{
    const auto identity = [](const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
        const UniqueHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        return file.get() != INVALID_HANDLE_VALUE && GetFileInformationByHandle(file.get(), &info);
    };
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return identity(a, first) && identity(b, second) && first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

}  // namespace

bool HasForeignAssembly(HANDLE context)
{
    // A null handle names the process's default context. Windows also reaches it as
    // the "active" one while no other has been activated; Wine refuses that flag then
    // (ERROR_INVALID_PARAMETER), so the handle is asked first and the flag only after.
    DWORD flags = 0;
    std::vector<BYTE> overall = Query(flags, context, nullptr, ActivationContextDetailedInformation);
    if (overall.empty() && context == nullptr) {
        flags = QUERY_ACTCTX_FLAG_USE_ACTIVE_ACTCTX;
        overall = Query(flags, context, nullptr, ActivationContextDetailedInformation);
    }
    const auto* details = As<ACTIVATION_CONTEXT_DETAILED_INFORMATION>(overall);
    if (!details)
        return false;

    BoundAssemblies bound;
    bound.rootManifests.push_back(Text(details->lpRootManifestPath));
    for (DWORD index = 1; index <= details->ulAssemblyCount; ++index) {
        const std::vector<BYTE> answer =
            Query(flags, context, &index, AssemblyDetailedInformationInActivationContext);
        const auto* assembly = As<ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION>(answer);
        if (!assembly)
            continue;
        // Assembly 1 is the root: the program's own manifest, whose folder is wherever
        // the program was started from.
        if (index == 1) {
            bound.rootManifests.push_back(Text(assembly->lpAssemblyManifestPath));
            continue;
        }
        // A manifest or policy path is always a file's own; an empty one is unknown.
        bound.paths.push_back(Text(assembly->lpAssemblyManifestPath));
        bound.paths.push_back(Text(assembly->lpAssemblyPolicyPath));
        bound.paths.push_back(FullPathOnly(assembly->lpAssemblyDirectoryName));
        for (DWORD file = 0; file < assembly->ulFileCount; ++file) {
            ACTIVATION_CONTEXT_QUERY_INDEX which{index, file};
            const std::vector<BYTE> fileAnswer =
                Query(flags, context, &which, FileInformationInAssemblyOfAssemblyInActivationContext);
            if (const auto* info = As<ASSEMBLY_FILE_DETAILED_INFORMATION>(fileAnswer))
                bound.paths.push_back(FullPathOnly(info->lpFilePath));
        }
    }

    wchar_t program[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring self = length > 0 && length < MAX_PATH ? std::wstring(program, length) : std::wstring();
    for (std::wstring& root : bound.rootManifests) {
        if (!root.empty() && !self.empty() && SameFile(root, self))
            root = self;
    }
    return HasForeignBinding(bound, self, SystemFolders());
}
