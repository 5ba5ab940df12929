// A small Windows-side helper for the end-to-end tests, run under Wine beside the
// program:
//   e2e_helper launch EXITFILE PROGRAM [ARGS...]
//       starts PROGRAM, waits for it and writes its full 32-bit exit code to EXITFILE
//       (Wine on Linux passes only the low 8 bits on as the process status).
//   e2e_helper windows
//       prints one JSON object per visible top-level window: handle, process id,
//       class, title, screen rectangle, and the texts of its child windows.
#include <windows.h>

#include <cstdio>
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

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
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

BOOL CALLBACK CollectChild(HWND child, LPARAM lParam)
{
    auto* texts = reinterpret_cast<std::vector<std::wstring>*>(lParam);
    if (GetParent(child) && IsWindowVisible(child))
        texts->push_back(WindowText(child));
    return TRUE;
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM)
{
    if (!IsWindowVisible(window))
        return TRUE;
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    RECT rect{};
    GetWindowRect(window, &rect);
    std::vector<std::wstring> texts;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&texts));

    std::string line = "{\"hwnd\": " + std::to_string(reinterpret_cast<std::uintptr_t>(window)) +
                       ", \"pid\": " + std::to_string(processId) + ", \"class\": " +
                       Json(ClassName(window)) + ", \"title\": " + Json(WindowText(window)) +
                       ", \"rect\": [" + std::to_string(rect.left) + ", " + std::to_string(rect.top) +
                       ", " + std::to_string(rect.right) + ", " + std::to_string(rect.bottom) +
                       "], \"texts\": [";
    for (std::size_t i = 0; i < texts.size(); ++i)
        line += (i ? ", " : "") + Json(texts[i]);
    line += "]}";
    std::printf("%s\n", line.c_str());
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 2 && std::wstring(argv[1]) == L"launch")
        return Launch(argc, argv);
    if (argc >= 2 && std::wstring(argv[1]) == L"windows") {
        EnumWindows(PrintWindow, 0);
        std::fflush(stdout);
        return 0;
    }
    std::fprintf(stderr, "usage: e2e_helper launch EXITFILE PROGRAM [ARGS...] | windows\n");
    return 2;
}
