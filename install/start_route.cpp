#include "install/start_route.h"

StartRoute ChooseStartRoute(bool shellDispatched, ShellToken shell, OwnToken own)
{
    if (shellDispatched)
        return StartRoute::Done;
    if (shell == ShellToken::NotElevated)
        return StartRoute::WithShellToken;
    if (own == OwnToken::Default || own == OwnToken::Limited)
        return StartRoute::WithOwnToken;
    return StartRoute::Nothing;
}
