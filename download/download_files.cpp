#include "download/download_files.h"

namespace {

constexpr std::wstring_view kWorkingFolderName = L"\\Quorvex";

// The text after the address's last "/", when there is a "/".
std::optional<std::wstring_view> FileName(std::wstring_view url)
{
    const auto slash = url.rfind(L'/');
    if (slash == std::wstring_view::npos)
        return std::nullopt;
    return url.substr(slash + 1);
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
