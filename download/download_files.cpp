#include "download/download_files.h"

#include <array>
#include <cwctype>

namespace {

constexpr std::wstring_view kWorkingFolderName = L"\\Quorvex";

bool EqualsNoCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towupper(a[i]) != std::towupper(b[i]))
            return false;
    }
    return true;
}

// Names Windows opens as devices in any folder ("NUL.exe" is the NUL device).
bool IsDeviceName(std::wstring_view name)
{
    const std::wstring_view base = name.substr(0, name.find(L'.'));
    static constexpr std::array<std::wstring_view, 4> kPlain = {L"CON", L"PRN", L"AUX", L"NUL"};
    for (const auto device : kPlain) {
        if (EqualsNoCase(base, device))
            return true;
    }
    if (base.size() == 4 && base[3] >= L'1' && base[3] <= L'9')
        return EqualsNoCase(base.substr(0, 3), L"COM") || EqualsNoCase(base.substr(0, 3), L"LPT");
    return false;
}

// Whether the address's file name can only name a file inside the working folder:
// no separator, drive, stream or wildcard, no control character, not "." or "..",
// no device, and not the temporary file's own name.
bool IsPlainFileName(std::wstring_view name)
{
    if (name.empty() || name == L"." || name == L"..")
        return false;
    for (const wchar_t c : name) {
        if (c < 0x20 || c == 0x7F || std::wstring_view(L"\\/:<>\"|?*").find(c) != std::wstring_view::npos)
            return false;
    }
    const auto dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos && EqualsNoCase(name.substr(dot), L".down"))
        return false;  // the download itself would be deleted as "an old installer"
    return !IsDeviceName(name);
}

// The text after the address's last "/", when there is a "/" and the text is a plain
// file name.
std::optional<std::wstring_view> FileName(std::wstring_view url)
{
    const auto slash = url.rfind(L'/');
    if (slash == std::wstring_view::npos)
        return std::nullopt;
    const std::wstring_view name = url.substr(slash + 1);
    if (!IsPlainFileName(name))
        return std::nullopt;
    return name;
}

}  // namespace

std::optional<std::wstring> DownloadStem(std::wstring_view url)
{
    const auto name = FileName(url);
    if (!name)
        return std::nullopt;
    const auto dot = name->rfind(L'.');
    if (dot == std::wstring_view::npos)
        return std::nullopt;
    return std::wstring(name->substr(0, dot + 1));
}

std::wstring WorkingFolder(std::wstring_view downloadBase)
{
    std::wstring folder(downloadBase);
    folder += kWorkingFolderName;
    return folder;
}

std::wstring TempFilePath(std::wstring_view downloadBase, std::wstring_view stem)
{
    std::wstring path = WorkingFolder(downloadBase);
    path += L'\\';
    path += stem;
    path += L"down";
    return path;
}

std::optional<std::wstring> InstallerPath(std::wstring_view downloadBase, std::wstring_view url)
{
    // The installer and the temporary file must both have a name, or neither is made.
    if (!DownloadStem(url))
        return std::nullopt;
    std::wstring path = WorkingFolder(downloadBase);
    path += L'\\';
    path += *FileName(url);
    return path;
}

bool InstallerSucceeded(unsigned long exitCode)
{
    // 3010: done, a restart is needed; 1641: done, a restart has been started.
    return exitCode == 0 || exitCode == 3010 || exitCode == 1641;
}

std::wstring InstallerCommandLine(std::wstring_view installPath)
{
    // The path goes through untouched: a trailing backslash before the closing quote
    // is what the product's installer has always been given.
    std::wstring line = L" /verysilent /Brinmark /path=\"";
    line += installPath;
    line += L'"';
    return line;
}

std::wstring ProductExecutable(std::wstring_view installPath, std::wstring_view company,
                               std::wstring_view project, std::wstring_view image)
{
    std::wstring path(installPath);
    path += L'\\';
    path += company;
    path += L'\\';
    path += company;
    path += L' ';
    path += project;
    path += L'\\';
    path += image;
    return path;
}

std::wstring ProductWorkingFolder(std::wstring_view installPath, std::wstring_view company,
                                  std::wstring_view project)
{
    std::wstring folder(installPath);
    folder += L'\\';
    folder += company;
    folder += L'\\';
    folder += project;
    return folder;
}
