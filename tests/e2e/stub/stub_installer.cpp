// A stand-in for the product's real installer and for the product itself, built for
// the end-to-end tests and served by their download server.
//
// Run with "/verysilent" it is the installer: it writes C:\stub-records\installer.txt
// (its command line, its own path, the SHA-256 of its own file, so the test can tell
// that what ran is exactly what the server sent, and its current folder), then
// installs "the product": a copy of itself as <path>\Brinmark\Brinmark Lumaroute\Lumaroute.exe, and the folder
// <path>\Brinmark\Lumaroute.
//
// While C:\stub-records\hold exists the installer waits before it ends (at most two
// minutes), so that a test can look at the window while "installing" lasts. When
// C:\stub-records\exit-code exists, the installer ends with the number it holds, as a
// failed installation would.
//
// Run otherwise it is the product: it writes its working folder to
// C:\stub-records\product.txt and the file name of the program that started it to
// C:\stub-records\product-parent.txt; with "/stay" it then keeps running until ended.
//
// Run as "stub_installer /hold FILE MS" it is a virus scanner: it keeps FILE open,
// shared with nobody, for MS milliseconds.
#include <windows.h>
#include <tlhelp32.h>
#include <wincrypt.h>

#include <cstdio>
#include <string>

namespace {

std::wstring OwnPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// The SHA-256 of the file at `path` in lower-case hex, or "" if it cannot be read.
std::wstring HashOfFile(const std::wstring& path)
{
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return {};
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    std::wstring hex;
    if (CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
        CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
        static unsigned char buffer[1 << 20];
        std::size_t read;
        bool good = true;
        while (good && (read = std::fread(buffer, 1, sizeof(buffer), file)) > 0)
            good = CryptHashData(hash, buffer, static_cast<DWORD>(read), 0) != FALSE;
        unsigned char digest[32];
        DWORD size = sizeof(digest);
        if (good && CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0)) {
            for (DWORD i = 0; i < size; ++i) {
                wchar_t pair[3];
                std::swprintf(pair, 3, L"%02x", digest[i]);
                hex += pair;
            }
        }
    }
    if (hash)
        CryptDestroyHash(hash);
    if (provider)
        CryptReleaseContext(provider, 0);
    std::fclose(file);
    return hex;
}

void Record(const wchar_t* name, const std::wstring& text)
{
    CreateDirectoryW(L"C:\\stub-records", nullptr);
    const std::wstring path = std::wstring(L"C:\\stub-records\\") + name;
    FILE* file = _wfopen(path.c_str(), L"w, ccs=UTF-8");
    if (!file)
        return;
    std::fputws(text.c_str(), file);
    std::fclose(file);
}

// The file name of the process that started this one, or "" if it has ended.
std::wstring ParentName()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return {};
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    DWORD parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId())
            parent = entry.th32ParentProcessID;
    }
    std::wstring name;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == parent)
            name = entry.szExeFile;
    }
    CloseHandle(snapshot);
    return name;
}

// The value after "/path=", without its quotes.
std::wstring InstallFolder(const std::wstring& commandLine)
{
    const auto at = commandLine.find(L"/path=");
    if (at == std::wstring::npos)
        return {};
    std::wstring value = commandLine.substr(at + 6);
    if (value.size() >= 2 && value.front() == L'"' && value.back() == L'"')
        value = value.substr(1, value.size() - 2);
    return value;
}

// The number in C:\stub-records\exit-code, or 0.
int ExitCode()
{
    FILE* file = _wfopen(L"C:\\stub-records\\exit-code", L"r");
    if (!file)
        return 0;
    int code = 0;
    if (std::fscanf(file, "%d", &code) != 1)
        code = 0;
    std::fclose(file);
    return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 4 && std::wstring(argv[1]) == L"/hold") {
        // Whoever waits for the hold may be looking at the file just then.
        HANDLE held = INVALID_HANDLE_VALUE;
        for (int tries = 0; tries < 250 && held == INVALID_HANDLE_VALUE; ++tries) {
            held = CreateFileW(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (held == INVALID_HANDLE_VALUE)
                Sleep(20);
        }
        if (held == INVALID_HANDLE_VALUE)
            return 1;
        Sleep(static_cast<DWORD>(_wtoi(argv[3])));
        CloseHandle(held);
        return 0;
    }
    const std::wstring commandLine = GetCommandLineW();
    const std::wstring self = OwnPath();
    if (commandLine.find(L"/verysilent") == std::wstring::npos) {
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        Record(L"product-parent.txt", ParentName());
        Record(L"product.txt", folder);
        if (commandLine.find(L"/stay") != std::wstring::npos)
            Sleep(INFINITE);
        return 0;
    }

    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    Record(L"installer.txt", L"command=" + commandLine + L"\nself=" + self + L"\nhash=" + HashOfFile(self) +
                                 L"\ncurrent=" + current + L"\n");

    const std::wstring root = InstallFolder(commandLine);
    const std::wstring company = root + L"\\Brinmark";
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW(company.c_str(), nullptr);
    CreateDirectoryW((company + L"\\Lumaroute").c_str(), nullptr);
    CreateDirectoryW((company + L"\\Brinmark Lumaroute").c_str(), nullptr);
    CopyFileW(self.c_str(), (company + L"\\Brinmark Lumaroute\\Lumaroute.exe").c_str(), FALSE);
    for (int waited = 0; waited < 1200 && GetFileAttributesW(L"C:\\stub-records\\hold") != INVALID_FILE_ATTRIBUTES;
         ++waited)
        Sleep(100);
    return ExitCode();
}
