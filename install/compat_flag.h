#pragma once

// Records this executable as already handled by the Program Compatibility Assistant
// (a REG_DWORD 1 named by the executable's full path under the current user's
// "Persisted" key). The key is never created. True when the value was written.
bool SetCompatibilityFlag();
