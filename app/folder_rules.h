// What the setup does with a folder it wants for itself, decided from what was read
// through a handle opened on the folder itself (never through a link). No windows.h
// here: the rules are unit-tested natively.
#pragma once

#include <string>
#include <string_view>

enum class FolderKind {
    // The maker's folder and the data folder: whatever is there belongs to whoever made
    // it; one that is not the setup's own is left as it is.
    Data,
    // The working folder: one that is not the setup's own is moved aside.
    Working,
};

struct FolderFacts {
    enum class Open {
        Absent,      // nothing of that name
        Opened,      // the facts below were read through the handle
        Unreadable,  // there, but its access list keeps the setup from reading it
        Failed,      // there, and could not be opened for another reason
    };
    Open open = Open::Absent;
    bool pathIsLink = false;    // the path's attributes show a reparse point
    bool handleIsLink = false;  // the handle's attributes show one
    bool isDirectory = false;
    bool ownedByAdmins = false;  // owner Administrators or SYSTEM
    bool listIsOurs = false;     // protected, and exactly the entries the setup gives
};

enum class FolderAction {
    Create,             // make it, with its descriptor given at creation
    Keep,               // it is the setup's own
    UseEmbedded,        // leave it untouched; the texts come from the program itself
    MoveAsideAndCreate, // rename it to a new name beside it, then make it anew
    Fail,               // a system error
};

FolderAction DecideFolder(FolderKind kind, const FolderFacts& facts);

// The name a folder is moved aside to: `leaf` + "." + the UTC time (to the
// millisecond) + "." + `attempt` where attempt > 0, + ".aside". For example
// "Quorvex.20261209T215400.123Z.aside".
std::wstring AsideName(std::wstring_view leaf, int year, int month, int day, int hour, int minute, int second,
                       int millisecond, int attempt);
