// The activation-context check, on contexts made from manifests written here and on
// the test program's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/side_by_side.h"

namespace {

namespace fs = std::filesystem;

struct ContextReleaser {
    void operator()(HANDLE context) const { ReleaseActCtx(context); }
};
using UniqueContext = std::unique_ptr<void, ContextReleaser>;

UniqueContext ContextFrom(const std::wstring& manifest)
{
    ACTCTXW request{};
    request.cbSize = sizeof(request);
    request.lpSource = manifest.c_str();
    const HANDLE context = CreateActCtxW(&request);
    return UniqueContext(context == INVALID_HANDLE_VALUE ? nullptr : context);
}

const char kRootManifest[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
    "  <assemblyIdentity type=\"win32\" name=\"Lumaroute.Test.Root\" version=\"1.0.0.0\"/>\n"
    "</assembly>\n";

// A manifest beside the program made the context: its root is not the program.
TEST(SideBySideTest, AContextMadeFromAnotherManifestIsAFinding)
{
    const fs::path folder = fs::temp_directory_path() / ("side-by-side-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder);
    std::ofstream(folder / "LumarouteSetup.exe.manifest") << kRootManifest;
    {
        const UniqueContext context = ContextFrom((folder / "LumarouteSetup.exe.manifest").wstring());
        ASSERT_TRUE(context) << GetLastError();
        EXPECT_TRUE(HasForeignAssembly(context.get()));
    }
    fs::remove_all(folder);
}

// The test program carries the setup's manifest: common controls 6 and GDI+, which
// Wine keeps under C:\windows\winsxs as Windows does under its WinSxS folder.
TEST(SideBySideTest, TheProcessDefaultContextOfThisProgramIsNoFinding)
{
    EXPECT_FALSE(HasForeignAssembly(nullptr));
}

TEST(SideBySideTest, AContextThatCannotBeReadIsNoFinding)
{
    EXPECT_FALSE(HasForeignAssembly(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x7ff0))));
}

}  // namespace
