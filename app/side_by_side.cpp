#include "app/side_by_side.h"

#include <string>
#include <vector>

#include "app/system_assemblies.h"

namespace {

// One answer of QueryActCtxW, in a buffer of the size it asks for; empty on failure.
std::vector<BYTE> Query(DWORD flags, HANDLE context, DWORD* index, ULONG infoClass)
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

std::wstring Text(PCWSTR text)
{
    return text ? std::wstring(text) : std::wstring();
}

}  // namespace

bool OnlySystemAssemblies(HANDLE context)
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
    if (overall.size() < sizeof(ACTIVATION_CONTEXT_DETAILED_INFORMATION))
        return false;
    const auto& details = *reinterpret_cast<const ACTIVATION_CONTEXT_DETAILED_INFORMATION*>(overall.data());

    // Assembly 1 is the root: the manifest that made the context (the program's own).
    std::vector<std::wstring> paths;
    for (DWORD index = 2; index <= details.ulAssemblyCount; ++index) {
        const std::vector<BYTE> answer = Query(flags, context, &index, AssemblyDetailedInformationInActivationContext);
        if (answer.size() < sizeof(ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION))
            return false;
        const auto& assembly = *reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(answer.data());
        // An empty manifest path is refused like any other outside path.
        paths.push_back(Text(assembly.lpAssemblyManifestPath));
        if (const std::wstring policy = Text(assembly.lpAssemblyPolicyPath); !policy.empty())
            paths.push_back(policy);
    }

    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return false;
    return AllInsideFolder(paths, std::wstring_view(windows, length));
}
