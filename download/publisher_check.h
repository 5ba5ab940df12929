// Whether the downloaded product installer carries the Authenticode signature of the
// publisher the program was built for.
#pragma once

#include <windows.h>

#include <string>

// The publisher each program was built for (its LUMAROUTE_SIGNER): the product
// installer must be signed by it. Empty: the installer runs unchecked.
extern const wchar_t* const kRequiredSigner;

// 0 when `file` (open for reading, named `path`) carries a valid Authenticode signature
// whose signer's chain leads to a trusted root, passes the Authenticode policy and whose
// signer's display name is `signer`; otherwise the error code to show.
LONG CheckPublisher(HANDLE file, const std::wstring& path, const std::wstring& signer);
