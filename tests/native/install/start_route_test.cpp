// Start Now and the licence link never start anything with administrator rights.
#include "install/start_route.h"

#include <gtest/gtest.h>

namespace {

struct RouteCase {
    const char* what;
    bool dispatched;
    ShellToken shell;
    OwnToken own;
    StartRoute expected;
};

TEST(StartRoute, WhatStartsIsNeverElevated)
{
    const RouteCase cases[] = {
        {"the shell's dispatch worked", true, ShellToken::Unavailable, OwnToken::Elevated, StartRoute::Done},
        {"dispatch failed, unelevated shell", false, ShellToken::NotElevated, OwnToken::Elevated,
         StartRoute::WithShellToken},
        {"unelevated shell is preferred to a plain own token", false, ShellToken::NotElevated, OwnToken::Default,
         StartRoute::WithShellToken},
        {"no shell, elevated half of a split pair", false, ShellToken::Unavailable, OwnToken::Elevated,
         StartRoute::Nothing},
        {"elevated shell, elevated half of a split pair", false, ShellToken::Elevated, OwnToken::Elevated,
         StartRoute::Nothing},
        {"no shell, own token unreadable", false, ShellToken::Unavailable, OwnToken::Unknown, StartRoute::Nothing},
        {"no shell, no User Account Control", false, ShellToken::Unavailable, OwnToken::Default,
         StartRoute::WithOwnToken},
        {"elevated shell, no User Account Control", false, ShellToken::Elevated, OwnToken::Default,
         StartRoute::WithOwnToken},
        {"no shell, limited half of a split pair", false, ShellToken::Unavailable, OwnToken::Limited,
         StartRoute::WithOwnToken},
    };
    for (const RouteCase& c : cases)
        EXPECT_EQ(ChooseStartRoute(c.dispatched, c.shell, c.own), c.expected) << c.what;
}

}  // namespace
