// How Start Now and the licence link start what they open: as the signed-in user,
// never with administrator rights. No windows.h here.
#pragma once

// The token of the process that shows the desktop (the desktop shell).
enum class ShellToken {
    Unavailable,  // no shell window, or its process or token could not be had or used
    Elevated,     // the shell itself runs with administrator rights
    NotElevated,
};

// This process's own token, by its elevation type.
enum class OwnToken {
    Default,   // not one of a split pair: no User Account Control, the built-in Administrator, a standard user
    Elevated,  // the elevated half of a split pair (the administrator who said yes to the prompt)
    Limited,   // the limited half of a split pair
    Unknown,   // could not be read
};

enum class StartRoute {
    Done,            // the desktop shell's own dispatch started it
    WithShellToken,  // start it with a copy of the desktop shell's token
    WithOwnToken,    // start it directly, as this process
    Nothing,         // start nothing: it would run elevated
};

// Where the shell's dispatch worked there is nothing left to do; otherwise the shell's
// token, if it can be had and is not elevated; otherwise this process's own token, if
// it is not the elevated half of a split pair; otherwise nothing.
StartRoute ChooseStartRoute(bool shellDispatched, ShellToken shell, OwnToken own);
