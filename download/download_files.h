// Names of the working files and the installer's command line. No windows.h here.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The stem of the address's file name: the text after its last "/" up to and
// including its last "."; nothing when there is no "/" or no "." after it, or when
// that text is not a plain file name (empty, "." or "..", holding "\\", ":", a
// control character or one of <>"|?*, a device name such as NUL, or ending in
// ".down"), so that the address can never name a file outside the working folder.
std::optional<std::wstring> DownloadStem(std::wstring_view url);

// base + "\Quorvex"
std::wstring WorkingFolder(std::wstring_view downloadBase);
// base + "\Quorvex\" + stem + "down"
std::wstring TempFilePath(std::wstring_view downloadBase, std::wstring_view stem);
// base + "\Quorvex\" + the whole text after the address's last "/"; nothing when the
// address has no file name (as DownloadStem).
std::optional<std::wstring> InstallerPath(std::wstring_view downloadBase, std::wstring_view url);

// Whether the product's installer reports success: 0, or 3010 and 1641 (installed,
// a restart needed or already started).
bool InstallerSucceeded(unsigned long exitCode);

// " /verysilent /Brinmark /path=" + '"' + installPath + '"', the path unchanged.
std::wstring InstallerCommandLine(std::wstring_view installPath);

// The product's executable and working folder under the install folder:
// install\company\company project\image and install\company\project.
std::wstring ProductExecutable(std::wstring_view installPath, std::wstring_view company,
                               std::wstring_view project, std::wstring_view image);
std::wstring ProductWorkingFolder(std::wstring_view installPath, std::wstring_view company,
                                  std::wstring_view project);
