#include "app/folder_rules.h"

#include <cwchar>

FolderAction DecideFolder(FolderKind kind, const FolderFacts& facts)
{
    using Open = FolderFacts::Open;
    const bool working = kind == FolderKind::Working;
    switch (facts.open) {
    case Open::Absent:
        return FolderAction::Create;
    case Open::Failed:
        return working ? FolderAction::Fail : FolderAction::UseEmbedded;
    case Open::Unreadable:
        return working ? FolderAction::MoveAsideAndCreate : FolderAction::UseEmbedded;
    case Open::Opened:
        break;
    }
    // The path names a link but the handle shows a plain folder: the handle was opened
    // through the link (Wine does so even when told not to), so anything done through
    // it would reach whatever the link points to.
    if (facts.pathIsLink && !facts.handleIsLink)
        return working ? FolderAction::Fail : FolderAction::UseEmbedded;
    if (!facts.handleIsLink && facts.isDirectory && facts.ownedByAdmins && facts.listIsOurs)
        return FolderAction::Keep;
    return working ? FolderAction::MoveAsideAndCreate : FolderAction::UseEmbedded;
}

std::wstring AsideName(std::wstring_view leaf, int year, int month, int day, int hour, int minute, int second,
                       int millisecond, int attempt)
{
    wchar_t stamp[64];
    if (attempt > 0)
        std::swprintf(stamp, 64, L".%04d%02d%02dT%02d%02d%02d.%03dZ.%d.aside", year, month, day, hour, minute, second,
                      millisecond, attempt);
    else
        std::swprintf(stamp, 64, L".%04d%02d%02dT%02d%02d%02d.%03dZ.aside", year, month, day, hour, minute, second,
                      millisecond);
    return std::wstring(leaf) + stamp;
}
