// The activation-context check, on contexts made from manifests written here and on
// the test program's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/side_by_side.h"

namespace {

// A folder of its own under the temporary folder, with files written into it.
class ManifestFolder {
public:
    ManifestFolder()
    {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_path = std::wstring(temp) + L"side_by_side_test." + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ManifestFolder()
    {
        for (const std::wstring& file : m_files)
            DeleteFileW(file.c_str());
        RemoveDirectoryW(m_path.c_str());
    }
    ManifestFolder(const ManifestFolder&) = delete;
    ManifestFolder& operator=(const ManifestFolder&) = delete;

    std::wstring Write(const std::wstring& name, const std::string& text)
    {
        const std::wstring file = m_path + L"\\" + name;
        std::ofstream(std::filesystem::path(file), std::ios::binary) << text;
        m_files.push_back(file);
        return file;
    }

private:
    std::wstring m_path;
    std::vector<std::wstring> m_files;
};

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

std::string RootManifest(const std::string& dependency)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
           "  <assemblyIdentity type=\"win32\" name=\"Lumaroute.Test.Root\" version=\"1.0.0.0\"/>\n"
           "  <dependency><dependentAssembly>" + dependency + "</dependentAssembly></dependency>\n"
           "</assembly>\n";
}

TEST(SideBySideTest, APrivateAssemblyBesideTheManifestIsRefused)
{
    ManifestFolder folder;
    folder.Write(L"Lumaroute.Test.Private.manifest",
                 "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                 "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\n"
                 "  <assemblyIdentity type=\"win32\" name=\"Lumaroute.Test.Private\" version=\"1.0.0.0\"/>\n"
                 "</assembly>\n");
    const UniqueContext context = ContextFrom(folder.Write(
        L"root.manifest",
        RootManifest("<assemblyIdentity type=\"win32\" name=\"Lumaroute.Test.Private\" version=\"1.0.0.0\"/>")));
    ASSERT_TRUE(context) << "the private assembly was found beside the manifest: " << GetLastError();
    EXPECT_FALSE(OnlySystemAssemblies(context.get()));
}

// The test program carries the setup's manifest: common controls 6 and GDI+, which
// Wine keeps under C:\windows\winsxs as Windows does under its WinSxS folder.
TEST(SideBySideTest, TheProcessDefaultContextOfThisProgramIsAccepted)
{
    EXPECT_TRUE(OnlySystemAssemblies(nullptr));
}

}  // namespace
