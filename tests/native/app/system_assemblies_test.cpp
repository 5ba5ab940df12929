// Which side-by-side binding is a finding: a root manifest not the program's own, or
// anything bound from outside the system's side-by-side store and system folders.
#include "app/system_assemblies.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(SystemAssemblies, OnlyTheProgramsOwnRootAndTheSystemsFoldersAreNoFinding)
{
    const std::wstring program = L"C:\\Users\\me\\Downloads\\LumarouteSetup.exe";
    const std::vector<std::wstring> system = {L"C:\\Windows\\WinSxS", L"C:\\Windows\\system32",
                                              L"C:\\Windows\\SysWOW64\\"};
    const std::wstring controls = L"C:\\Windows\\WinSxS\\manifests\\x86_microsoft.windows.common-controls.manifest";
    struct Case {
        const char* what;
        std::vector<std::wstring> roots;
        std::vector<std::wstring> paths;
        bool finding;
    };
    const Case cases[] = {
        {"nothing read (every query failed)", {L"", L""}, {L"", L""}, false},
        {"the program's own manifest, another case", {L"c:\\users\\ME\\downloads\\lumaroutesetup.EXE"}, {}, false},
        {"the root in the long-path form", {L"\\\\?\\" + program}, {}, false},
        {"an external manifest as the root", {program, program + L".manifest"}, {}, true},
        {"store manifests, policy and folder",
         {program},
         {controls, L"C:\\Windows\\WinSxS\\manifests\\x86_policy.6.0.manifest", L"c:/windows/winsxs/x86_cc"},
         false},
        {"a file in the system folder", {}, {L"C:\\Windows\\system32\\gdiplus.dll"}, false},
        {"a file in SysWOW64 (given with its separator)", {}, {L"C:\\Windows\\SysWOW64\\gdiplus.dll"}, false},
        {"a private assembly beside the program", {}, {controls, L"C:\\Users\\me\\Downloads\\cc.manifest"}, true},
        {"a folder users can write below the Windows folder", {}, {L"C:\\Windows\\Temp\\cc.manifest"}, true},
        {"the Windows folder itself", {}, {L"C:\\Windows\\cc.manifest"}, true},
        {"a store sibling sharing the prefix", {}, {L"C:\\Windows\\WinSxSExtra\\cc.manifest"}, true},
        {"the store folder itself", {}, {L"C:\\Windows\\WinSxS"}, true},
        {"climbing out", {}, {L"C:\\Windows\\WinSxS\\..\\Temp\\cc.manifest"}, true},
        {"another drive", {}, {L"D:\\Windows\\WinSxS\\cc.manifest"}, true},
        {"a share", {}, {L"\\\\server\\C$\\Windows\\WinSxS\\cc.manifest"}, true},
        {"beyond ASCII, another case", {}, {L"C:\\WINDOWS\\WINSXS\\\u00CA.manifest"}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HasForeignBinding({c.roots, c.paths}, program, system), c.finding) << c.what;

    EXPECT_FALSE(HasForeignBinding({{program + L".manifest"}, {}}, L"", system)) << "the program's path unknown";
    EXPECT_TRUE(HasForeignBinding({{}, {controls}}, program, {})) << "no system folder known";
    EXPECT_TRUE(HasForeignBinding({{}, {L"C:\\FEN\u00CATRES\\a.manifest"}}, program, {L"C:\\Fen\u00eatres"}))
        << "a difference of case beyond ASCII is a finding";
}

}  // namespace
