// The two HTTP interfaces behind HttpSession. Each lives in a file of its own, since
// wininet.h and winhttp.h cannot be included together; nothing here needs either.
#pragma once

#include <memory>

#include "download/http_session.h"

std::unique_ptr<HttpSession> OpenWinInetSession(unsigned long timeoutMs);
std::unique_ptr<HttpSession> OpenWinHttpSession(unsigned long timeoutMs);

// Whether the connection flags say a proxy is configured (INTERNET_CONNECTION_PROXY).
// Asked of WinINet by both interfaces, since WinHTTP has no such question of its own.
bool ConnectionUsesProxy();
