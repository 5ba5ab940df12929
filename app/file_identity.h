// Which file a handle refers to, whatever its name: the volume's serial number and the
// file's index on it (Windows 7 has no longer file ids). No windows.h here.
#pragma once

struct FileIdentity {
    unsigned long volume = 0;
    unsigned long indexHigh = 0;
    unsigned long indexLow = 0;

    bool operator==(const FileIdentity&) const = default;
};
