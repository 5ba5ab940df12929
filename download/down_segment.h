// One of the 40 byte ranges the installer is fetched in. No windows.h here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

inline constexpr int SEGMENT_COUNT = 40;
inline constexpr std::uint32_t READ_CHUNK = 102400;

struct DownSegment {
    int index = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    std::uint32_t received = 0;  // a restarted worker resumes from here
    std::unique_ptr<unsigned char[]> buffer;  // exactly `length` bytes; null once written
    // The whole file's length, which every answer for the segment must name, so that
    // a file replaced on the server between two requests is not stitched together.
    std::uint32_t fileSize = 0;
    // The release every answer must be of (If-Range), or empty when the server gave
    // nothing to tell releases apart by.
    std::wstring validator;
};
