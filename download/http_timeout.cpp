// Built into each program with its own LUMAROUTE_HTTP_TIMEOUT_MS.
#include "download/http_timeout.h"

#ifndef LUMAROUTE_HTTP_TIMEOUT_MS
#define LUMAROUTE_HTTP_TIMEOUT_MS 30000
#endif

extern const unsigned long kHttpTimeoutMs = LUMAROUTE_HTTP_TIMEOUT_MS;
