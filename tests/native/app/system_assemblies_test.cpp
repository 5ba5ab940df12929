// Only assemblies inside the Windows folder are accepted.
#include "app/system_assemblies.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct FolderCase {
    const char* what;
    std::vector<std::wstring> paths;
    bool accepted;
};

TEST(SystemAssemblies, EveryPathMustLieInsideTheWindowsFolder)
{
    const std::wstring_view windows = L"C:\\Windows";
    const std::wstring controls = L"C:\\Windows\\WinSxS\\manifests\\x86_microsoft.windows.common-controls.manifest";
    const FolderCase cases[] = {
        {"no dependencies", {}, true},
        {"system manifests and policy", {controls, L"C:\\Windows\\WinSxS\\manifests\\x86_policy.6.0.manifest"}, true},
        {"another case (Wine's C:\\windows)", {L"c:\\windows\\winsxs\\manifests\\a.manifest"}, true},
        {"long-path form", {L"\\\\?\\C:\\Windows\\WinSxS\\manifests\\a.manifest"}, true},
        {"forward slashes", {L"C:/Windows/WinSxS/a.manifest"}, true},
        {"one private assembly among system ones",
         {controls, L"C:\\Users\\Public\\Downloads\\Microsoft.Windows.Common-Controls.manifest"}, false},
        {"a sibling folder sharing the prefix", {L"C:\\WindowsApps\\x.manifest"}, false},
        {"the folder itself", {L"C:\\Windows"}, false},
        {"the folder with a separator only", {L"C:\\Windows\\"}, false},
        {"climbing out", {L"C:\\Windows\\..\\Users\\x\\a.manifest"}, false},
        {"a dot step", {L"C:\\Windows\\.\\a.manifest"}, false},
        {"empty path (unreadable)", {L""}, false},
        {"another drive", {L"D:\\Windows\\WinSxS\\a.manifest"}, false},
        {"a share", {L"\\\\server\\C$\\Windows\\a.manifest"}, false},
    };
    for (const FolderCase& c : cases)
        EXPECT_EQ(AllInsideFolder(c.paths, windows), c.accepted) << c.what;

    EXPECT_TRUE(AllInsideFolder({controls}, L"C:\\Windows\\")) << "a folder given with its separator";
    EXPECT_FALSE(AllInsideFolder({controls}, L"")) << "no Windows folder known";
    EXPECT_FALSE(AllInsideFolder({L"C:\\FEN\u00CATRES\\a.manifest"}, L"C:\\Fen\u00eatres"))
        << "a difference of case beyond ASCII refuses rather than admits";
}

}  // namespace
