#include "app/folder_rules.h"

#include "app/number_text.h"

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
    std::wstring name(leaf);
    name += L"." + DecimalText(year, 4) + DecimalText(month, 2) + DecimalText(day, 2) + L"T" + DecimalText(hour, 2) +
            DecimalText(minute, 2) + DecimalText(second, 2) + L"." + DecimalText(millisecond, 3) + L"Z.";
    if (attempt > 0)
        name += DecimalText(attempt) + L".";
    return name + L"aside";
}
