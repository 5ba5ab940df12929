// Process-wide values of the download, written on the main thread before the workers
// that read them start.
#pragma once

#include <windows.h>

#include <string>

extern std::wstring g_downHost;      // host of the download address, a port included
extern std::wstring g_downPath;      // path after the host, without its leading "/"
extern bool g_downSecure;            // the address is an https:// one: TLS on every request
extern bool g_useWinHttp;            // every request over WinHTTP instead of WinINet
extern std::wstring g_downloadBase;  // the all-users Documents folder
extern HANDLE g_tempFile;            // the open temporary download file, or INVALID_HANDLE_VALUE
