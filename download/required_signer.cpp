// Built into each program with its own LUMAROUTE_SIGNER.
#include "download/publisher_check.h"

#ifndef LUMAROUTE_SIGNER
#define LUMAROUTE_SIGNER L""
#endif

extern const wchar_t* const kRequiredSigner = LUMAROUTE_SIGNER;
