// How long one connect, send or receive may take before the request fails.
#pragma once

// Each program defines its own: the shipped one 30 seconds, the test build a few, so
// that a stalled server is noticed within a test's patience.
extern const unsigned long kHttpTimeoutMs;
