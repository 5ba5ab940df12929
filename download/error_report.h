#pragma once

// Greater than 0 once a fatal error is being shown; from then on every later error
// report is dropped.
extern int g_errorShown;
