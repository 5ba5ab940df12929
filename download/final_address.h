// Whether an answer to a secure request really came over TLS to the end. No windows.h here.
#pragma once

#include <optional>
#include <string_view>

// ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR: what both interfaces report for an https
// request that a redirect would take to plain http.
inline constexpr unsigned long kHttpsToHttpRedirect = 12040;

// Whether an answer is a redirect (a status from 300 to 399) whose `location` names a
// scheme other than https. A relative location, or one without a scheme
// ("//host/path"), stays on the scheme it came by.
bool RedirectLeavesHttps(unsigned long status, std::optional<std::wstring_view> location);

// 0 when the answer to a request may be used as far as where it came from goes;
// otherwise kHttpsToHttpRedirect. A request for an https address must end at an https
// address: `finalUrl` is the address the interface says the answer came from (empty
// when it could not say, which counts as not https), and a redirect it did not follow
// must not leave https. Plain http requests are not looked at.
unsigned long FinalAddressError(bool requestedSecure, std::wstring_view finalUrl, unsigned long status,
                                std::optional<std::wstring_view> location);
