// A small Windows-side helper for the end-to-end tests, run under Wine beside the
// program:
//   e2e_helper launch EXITFILE PROGRAM [ARGS...]
//       starts PROGRAM, prints its process id, waits for it and writes its full
//       32-bit exit code to EXITFILE (Wine on Linux passes only the low 8 bits on as
//       the process status).
//   e2e_helper windows [PID]
//       prints one JSON object per top-level window (of process PID only, if given):
//       handle, process id, class, title, visibility, minimised state, screen
//       rectangle, and its child windows.
//   e2e_helper folder CSIDL
//       prints the path the shell gives for a special folder (nothing if none).
//   e2e_helper close HWND
//       posts WM_CLOSE to the window, as the taskbar or Alt+F4 would.
//   e2e_helper accessible HWND
//       prints one JSON object per child window of HWND as a screen reader finds it
//       through the accessibility interface (oleacc): id, name, role, state, value.
//   e2e_helper trust-ca CERTFILE
//       adds a certificate (PEM or DER) to the local machine's Root store of the
//       prefix it runs in, so that a test's own CA is trusted there and nowhere else.
//   e2e_helper serve
//       reads any of the requests above but launch, one per line, and answers each
//       with its output and then a line "." followed by its status. One process
//       answers a whole test's polling: a Wine process start costs a tenth of a
//       second of a core, and many of them side by side slow every test down.
#include <windows.h>
#include <oleacc.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

std::string Json(const std::wstring& text)
{
    std::string out = "\"";
    for (const unsigned char c : Utf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// GetWindowText does not ask windows of other processes for their text (an edit
// control's contents, say); WM_GETTEXT does.
std::wstring WindowText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return {};
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &copied))
        return {};
    text.resize(copied);
    return text;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring QuoteArgument(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos)
        return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

int Launch(int argc, wchar_t** argv)
{
    if (argc < 4)
        return 2;
    std::wstring commandLine;
    for (int i = 3; i < argc; ++i) {
        if (i > 3)
            commandLine += L' ';
        commandLine += QuoteArgument(argv[i]);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(argv[3], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "e2e_helper: cannot start the program (error %lu)\n", GetLastError());
        return 3;
    }
    CloseHandle(process.hThread);
    std::printf("%lu\n", process.dwProcessId);
    std::fflush(stdout);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);

    FILE* file = _wfopen(argv[2], L"w");
    if (!file)
        return 4;
    std::fprintf(file, "%lu\n", exitCode);
    std::fclose(file);
    return 0;
}

std::string RectJson(const RECT& rect)
{
    char text[64];
    std::snprintf(text, sizeof(text), "[%ld, %ld, %ld, %ld]", rect.left, rect.top, rect.right, rect.bottom);
    return text;
}

// One child window: id, class, text, visibility and rectangle in its parent's client
// coordinates.
BOOL CALLBACK CollectChild(HWND child, LPARAM lParam)
{
    auto* out = reinterpret_cast<std::vector<std::string>*>(lParam);
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    out->push_back("{\"id\": " + std::to_string(GetDlgCtrlID(child)) + ", \"class\": " +
                   Json(ClassName(child)) + ", \"text\": " + Json(WindowText(child)) +
                   ", \"visible\": " + (IsWindowVisible(child) ? "true" : "false") +
                   ", \"rect\": " + RectJson(rect) + "}");
    return TRUE;
}

// Only the windows of the process asked about (lParam, 0 for all) are asked for their
// texts, so that a busy window of another process cannot hold the listing up.
BOOL CALLBACK PrintWindow(HWND window, LPARAM lParam)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (lParam != 0 && processId != static_cast<DWORD>(lParam))
        return TRUE;
    RECT rect{};
    GetWindowRect(window, &rect);
    std::vector<std::string> controls;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&controls));

    std::string line = "{\"hwnd\": " + std::to_string(reinterpret_cast<std::uintptr_t>(window)) +
                       ", \"pid\": " + std::to_string(processId) + ", \"class\": " +
                       Json(ClassName(window)) + ", \"title\": " + Json(WindowText(window)) +
                       ", \"visible\": " + (IsWindowVisible(window) ? "true" : "false") +
                       ", \"minimized\": " + (IsIconic(window) ? "true" : "false") +
                       ", \"rect\": " + RectJson(rect) + ", \"controls\": [";
    for (std::size_t i = 0; i < controls.size(); ++i)
        line += (i ? ", " : "") + controls[i];
    line += "]}";
    std::printf("%s\n", line.c_str());
    return TRUE;
}

// A BSTR the caller frees, as a wide string ("" for none).
std::wstring TakeBstr(BSTR text)
{
    std::wstring out = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return out;
}

// One child as the accessibility interface presents its client area.
BOOL CALLBACK PrintAccessible(HWND child, LPARAM)
{
    IAccessible* accessible = nullptr;
    const HRESULT found = AccessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&accessible));
    std::string line = "{\"id\": " + std::to_string(GetDlgCtrlID(child));
    if (FAILED(found) || !accessible) {
        std::printf("%s, \"error\": %ld}\n", line.c_str(), static_cast<long>(found));
        return TRUE;
    }
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    BSTR value = nullptr;
    VARIANT role;
    VARIANT state;
    VariantInit(&role);
    VariantInit(&state);
    accessible->get_accName(self, &name);
    accessible->get_accValue(self, &value);
    accessible->get_accRole(self, &role);
    accessible->get_accState(self, &state);
    line += ", \"name\": " + Json(TakeBstr(name)) + ", \"value\": " + Json(TakeBstr(value)) +
            ", \"role\": " + std::to_string(role.vt == VT_I4 ? role.lVal : -1) +
            ", \"state\": " + std::to_string(state.vt == VT_I4 ? state.lVal : -1) + "}";
    VariantClear(&role);
    VariantClear(&state);
    accessible->Release();
    std::printf("%s\n", line.c_str());
    return TRUE;
}

// The local machine's store rather than the user's: adding to the user's Root store
// asks for confirmation in a dialog on Windows, and no one is there to click it.
int TrustCa(const wchar_t* path)
{
    FILE* file = _wfopen(path, L"rb");
    if (!file) {
        std::fprintf(stderr, "e2e_helper: cannot open the certificate\n");
        return 3;
    }
    std::vector<BYTE> contents;
    BYTE chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof(chunk), file)) > 0;)
        contents.insert(contents.end(), chunk, chunk + got);
    std::fclose(file);

    std::vector<BYTE> der = contents;
    const std::string text(contents.begin(), contents.end());
    if (text.find("-----BEGIN CERTIFICATE-----") != std::string::npos) {
        DWORD size = 0;
        if (!CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64HEADER,
                                  nullptr, &size, nullptr, nullptr)) {
            std::fprintf(stderr, "e2e_helper: not a PEM certificate (error %lu)\n", GetLastError());
            return 4;
        }
        der.resize(size);
        if (!CryptStringToBinaryA(text.c_str(), static_cast<DWORD>(text.size()), CRYPT_STRING_BASE64HEADER,
                                  der.data(), &size, nullptr, nullptr)) {
            std::fprintf(stderr, "e2e_helper: not a PEM certificate (error %lu)\n", GetLastError());
            return 4;
        }
        der.resize(size);
    }

    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    if (!store) {
        std::fprintf(stderr, "e2e_helper: cannot open the Root store (error %lu)\n", GetLastError());
        return 5;
    }
    const BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(),
                                                        static_cast<DWORD>(der.size()),
                                                        CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    const DWORD error = GetLastError();
    CertCloseStore(store, 0);
    if (!added) {
        std::fprintf(stderr, "e2e_helper: cannot add the certificate (error %lu)\n", error);
        return 6;
    }
    return 0;
}

HWND WindowArgument(const std::wstring& text)
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(_wcstoui64(text.c_str(), nullptr, 0)));
}

int Request(const std::vector<std::wstring>& args)
{
    if (args.size() <= 2 && args[0] == L"windows") {
        EnumWindows(PrintWindow, args.size() == 2 ? _wtoi(args[1].c_str()) : 0);
        return 0;
    }
    if (args.size() == 2 && args[0] == L"folder") {
        wchar_t path[MAX_PATH] = {};
        LPITEMIDLIST items = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, _wtoi(args[1].c_str()), &items)) && items) {
            SHGetPathFromIDListW(items, path);
            CoTaskMemFree(items);
        }
        std::printf("%s\n", Utf8(path).c_str());
        return 0;
    }
    if (args.size() == 2 && args[0] == L"close")
        return PostMessageW(WindowArgument(args[1]), WM_CLOSE, 0, 0) ? 0 : 1;
    if (args.size() == 2 && args[0] == L"accessible") {
        CoInitialize(nullptr);
        EnumChildWindows(WindowArgument(args[1]), PrintAccessible, 0);
        CoUninitialize();
        return 0;
    }
    if (args.size() == 2 && args[0] == L"trust-ca")
        return TrustCa(args[1].c_str());
    std::fprintf(stderr, "usage: e2e_helper launch EXITFILE PROGRAM [ARGS...] | windows [PID] | folder CSIDL"
                         " | close HWND | accessible HWND | trust-ca CERTFILE | serve\n");
    return 2;
}

// Requests from standard input, one per line, words split at spaces (a path with
// spaces cannot be given this way).
int Serve()
{
    char line[4096];
    while (std::fgets(line, sizeof(line), stdin)) {
        std::wistringstream words(Wide(line));
        const std::vector<std::wstring> args{std::istream_iterator<std::wstring, wchar_t>(words), {}};
        const int status = args.empty() ? 2 : Request(args);
        std::printf(".%d\n", status);
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 2 && std::wstring(argv[1]) == L"launch")
        return Launch(argc, argv);
    if (argc == 2 && std::wstring(argv[1]) == L"serve")
        return Serve();
    const int status = argc >= 2 ? Request(std::vector<std::wstring>(argv + 1, argv + argc)) : 2;
    std::fflush(stdout);
    return status;
}
