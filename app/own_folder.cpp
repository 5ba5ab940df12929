#include "app/own_folder.h"

#include <windows.h>
#include <winternl.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/path_text.h"

namespace {

constexpr NTSTATUS kStatusAccessDenied = static_cast<NTSTATUS>(0xC0000022);
constexpr NTSTATUS kStatusNameNotFound = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS kStatusNameCollision = static_cast<NTSTATUS>(0xC0000035);
constexpr NTSTATUS kStatusSharingViolation = static_cast<NTSTATUS>(0xC0000043);
// A success code: the handle is open, but another handle's opportunistic lock is
// being broken and its holder has not yet given it up.
constexpr NTSTATUS kStatusOplockBreakInProgress = static_cast<NTSTATUS>(0x00000108);
// The open option that returns at once with the code above instead of waiting for
// the holder; which MinGW's headers lack.
constexpr ULONG kFileCompleteIfOplocked = 0x00000100;

// kErrorReparsePoint, which MinGW's headers lack.
constexpr DWORD kErrorReparsePoint = 4395;

// Another user may make or swap the folder between two looks: a few rounds, then give
// up rather than trust what is there.
constexpr int kRounds = 3;

struct LocalFreer {
    void operator()(void* memory) const { LocalFree(memory); }
};
using UniqueLocal = std::unique_ptr<void, LocalFreer>;

// The native file API creates a folder and opens it in one call, with its security
// given at creation and relative to a folder already open; ntdll is in every process.
using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                        ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using RtlNtStatusToDosErrorFn = ULONG(NTAPI*)(NTSTATUS);

template <class Fn>
Fn NtdllFunction(const char* name)
{
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

DWORD ErrorOf(NTSTATUS status)
{
    static const auto convert = NtdllFunction<RtlNtStatusToDosErrorFn>("RtlNtStatusToDosError");
    return convert ? convert(status) : ERROR_GEN_FAILURE;
}

// Opens (or, with `descriptor`, creates) `name` directly below the open folder
// `parent`. A link is opened as itself, never followed. Whoever made the folder found
// there may hold an opportunistic lock on it and never answer its break: an open that
// would wait for that break fails at once instead, as one that another handle's
// sharing refuses (the folder is not the setup's to move, and is left alone).
NTSTATUS OpenBelow(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG share,
                   PSECURITY_DESCRIPTOR descriptor, ULONG options, UniqueHandle& opened)
{
    static const auto create = NtdllFunction<NtCreateFileFn>("NtCreateFile");
    if (!create)
        return static_cast<NTSTATUS>(0xC0000002);  // not implemented
    UNICODE_STRING unicodeName{};
    unicodeName.Buffer = const_cast<PWSTR>(name.c_str());
    unicodeName.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    unicodeName.MaximumLength = unicodeName.Length;
    OBJECT_ATTRIBUTES attributes{};
    attributes.Length = sizeof(attributes);
    attributes.RootDirectory = parent;
    attributes.ObjectName = &unicodeName;
    attributes.Attributes = OBJ_CASE_INSENSITIVE;
    attributes.SecurityDescriptor = descriptor;
    IO_STATUS_BLOCK io{};
    HANDLE handle = nullptr;
    const NTSTATUS status = create(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                                   share, descriptor ? FILE_CREATE : FILE_OPEN,
                                   options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT |
                                       kFileCompleteIfOplocked,
                                   nullptr, 0);
    opened.reset(status >= 0 ? handle : nullptr);
    if (status == kStatusOplockBreakInProgress) {
        opened.reset();
        return kStatusSharingViolation;
    }
    return status;
}

bool Fail(DWORD error)
{
    SetLastError(error);
    return false;
}

struct Descriptor {
    UniqueLocal memory;
    PACL dacl = nullptr;
};

bool MakeDescriptor(Descriptor& descriptor)
{
    PSECURITY_DESCRIPTOR raw = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdminsOnlySddl, SDDL_REVISION_1, &raw, nullptr))
        return false;
    descriptor.memory.reset(raw);
    BOOL present = FALSE, defaulted = FALSE;
    return GetSecurityDescriptorDacl(raw, &present, &descriptor.dacl, &defaulted) && present && descriptor.dacl;
}

bool IsAdminsOrSystem(PSID sid)
{
    return sid && (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid));
}

// The same entries in the same order: type, flags, rights and whom they are for.
bool SameEntries(PACL actual, PACL expected)
{
    if (!actual || actual->AceCount != expected->AceCount)
        return false;
    for (DWORD i = 0; i < expected->AceCount; ++i) {
        void* a = nullptr;
        void* e = nullptr;
        if (!GetAce(actual, i, &a) || !GetAce(expected, i, &e))
            return false;
        const auto* have = static_cast<ACCESS_ALLOWED_ACE*>(a);
        const auto* want = static_cast<ACCESS_ALLOWED_ACE*>(e);
        if (have->Header.AceType != want->Header.AceType || have->Header.AceFlags != want->Header.AceFlags ||
            have->Mask != want->Mask ||
            !EqualSid(const_cast<DWORD*>(&have->SidStart), const_cast<DWORD*>(&want->SidStart)))
            return false;
    }
    return true;
}

bool PathShowsLink(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The facts of `name` below `parent`, with the handle they were read through.
FolderFacts ReadFacts(HANDLE parent, const std::wstring& path, const std::wstring& name, const Descriptor& ours,
                      UniqueHandle& opened, DWORD& error)
{
    FolderFacts facts;
    const NTSTATUS status = OpenBelow(parent, name, READ_CONTROL | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, 0, opened);
    error = status >= 0 ? ERROR_SUCCESS : ErrorOf(status);
    facts.pathIsLink = PathShowsLink(path);
    if (status == kStatusNameNotFound) {
        facts.open = FolderFacts::Open::Absent;
        return facts;
    }
    if (status < 0) {
        facts.open = status == kStatusAccessDenied ? FolderFacts::Open::Unreadable : FolderFacts::Open::Failed;
        return facts;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(opened.get(), &info)) {
        error = GetLastError();
        facts.open = FolderFacts::Open::Failed;
        return facts;
    }
    facts.open = FolderFacts::Open::Opened;
    facts.handleIsLink = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    facts.isDirectory = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;

    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR raw = nullptr;
    if (GetSecurityInfo(opened.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                        nullptr, &dacl, nullptr, &raw) == ERROR_SUCCESS) {
        const UniqueLocal held(raw);
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        facts.ownedByAdmins = IsAdminsOrSystem(owner);
        facts.listIsOurs = GetSecurityDescriptorControl(raw, &control, &revision) && (control & SE_DACL_PROTECTED) &&
                           SameEntries(dacl, ours.dacl);
    }
    return facts;
}

bool SplitPath(const std::wstring& path, std::wstring& parentPath, std::wstring& name)
{
    return SplitFolderPath(path, parentPath, name) || Fail(ERROR_BAD_PATHNAME);
}

// The folder above a shared folder, opened to reach what lies below it by handle: one
// of the system's shared folders, or the setup's own held folder. Empty on failure,
// with the last error set.
UniqueHandle OpenParentFolder(const std::wstring& parentPath)
{
    const HANDLE raw = CreateFileW(parentPath.c_str(), FILE_TRAVERSE | SYNCHRONIZE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return UniqueHandle(raw == INVALID_HANDLE_VALUE ? nullptr : raw);
}

bool RenameThrough(HANDLE handle, const std::wstring& newPath)
{
    const std::size_t nameBytes = newPath.size() * sizeof(wchar_t);
    std::vector<unsigned char> block(sizeof(FILE_RENAME_INFO) + nameBytes, 0);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
    info->ReplaceIfExists = FALSE;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(info->FileName, newPath.data(), nameBytes);
    return SetFileInformationByHandle(handle, FileRenameInfo, info, static_cast<DWORD>(block.size())) != FALSE;
}

bool MoveAside(HANDLE parent, const std::wstring& parentPath, const std::wstring& name,
               const FileIdentity* expected)
{
    UniqueHandle thing;
    const NTSTATUS status =
        OpenBelow(parent, name, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, 0, thing);
    if (status < 0)
        return Fail(ErrorOf(status));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(thing.get(), &info))
        return false;
    const std::wstring path = parentPath + (parentPath.back() == L'\\' ? L"" : L"\\") + name;
    // Opened through a link after all: renaming it would move what the link points to.
    if (PathShowsLink(path) && !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return Fail(kErrorReparsePoint);
    FileIdentity found{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    if (expected && !(found == *expected))
        return Fail(ERROR_ACCESS_DENIED);
    SYSTEMTIME now{};
    GetSystemTime(&now);
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::wstring aside = AsideName(name, now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                                             now.wSecond, now.wMilliseconds, attempt);
        if (RenameThrough(thing.get(), path.substr(0, path.size() - name.size()) + aside))
            return true;
        const DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return false;
    }
    return Fail(ERROR_ALREADY_EXISTS);
}

}  // namespace

bool ReadFileIdentity(HANDLE handle, FileIdentity& identity)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info))
        return false;
    identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

FolderFacts ReadFolderFacts(const std::wstring& path)
{
    std::wstring parentPath, name;
    Descriptor ours;
    FolderFacts failed;
    failed.open = FolderFacts::Open::Failed;
    if (!SplitPath(path, parentPath, name) || !MakeDescriptor(ours))
        return failed;
    const UniqueHandle parent = OpenParentFolder(parentPath);
    if (!parent)
        return failed;
    UniqueHandle opened;
    DWORD error = 0;
    return ReadFacts(parent.get(), path, name, ours, opened, error);
}

OwnFolderOutcome HoldOwnFolder(const std::wstring& path, FolderKind kind, OwnFolder& folder)
{
    const auto failed = [](DWORD error) {
        SetLastError(error);
        return OwnFolderOutcome::Failed;
    };
    std::wstring parentPath, name;
    if (!SplitPath(path, parentPath, name))
        return failed(GetLastError());
    Descriptor ours;
    if (!MakeDescriptor(ours))
        return failed(GetLastError());
    const UniqueHandle parent = OpenParentFolder(parentPath);
    if (!parent)
        return failed(GetLastError());

    constexpr ULONG kHeldShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
    DWORD lastError = ERROR_ACCESS_DENIED;
    for (int round = 0; round < kRounds; ++round) {
        UniqueHandle checked;
        DWORD error = 0;
        const FolderFacts facts = ReadFacts(parent.get(), path, name, ours, checked, error);
        UniqueHandle held;
        switch (DecideFolder(kind, facts)) {
        case FolderAction::UseEmbedded:
            return OwnFolderOutcome::UseEmbedded;
        case FolderAction::Fail:
            return failed(facts.open == FolderFacts::Open::Opened ? kErrorReparsePoint : error);
        case FolderAction::Keep: {
            FileIdentity seen{}, now{};
            const NTSTATUS status =
                OpenBelow(parent.get(), name, FILE_LIST_DIRECTORY, kHeldShare, nullptr, FILE_DIRECTORY_FILE, held);
            if (status < 0) {
                lastError = ErrorOf(status);
                if (kind == FolderKind::Data)
                    return OwnFolderOutcome::UseEmbedded;
                return failed(lastError);
            }
            // Still the folder that was checked: nothing can swap it from now on.
            if (!ReadFileIdentity(checked.get(), seen) || !ReadFileIdentity(held.get(), now) || !(seen == now))
                continue;
            folder.held = std::move(held);
            folder.identity = now;
            return OwnFolderOutcome::Held;
        }
        case FolderAction::MoveAsideAndCreate: {
            FileIdentity seen{};
            const bool known = checked && ReadFileIdentity(checked.get(), seen);
            checked.reset();
            if (!MoveAside(parent.get(), parentPath, name, known ? &seen : nullptr))
                return failed(GetLastError());
            [[fallthrough]];
        }
        case FolderAction::Create: {
            checked.reset();
            const NTSTATUS status = OpenBelow(parent.get(), name, FILE_LIST_DIRECTORY, kHeldShare,
                                              ours.memory.get(), FILE_DIRECTORY_FILE, held);
            if (status == kStatusNameCollision)
                continue;  // someone made one meanwhile: look again
            if (status < 0) {
                if (kind == FolderKind::Data)
                    return OwnFolderOutcome::UseEmbedded;
                return failed(ErrorOf(status));
            }
            if (!ReadFileIdentity(held.get(), folder.identity))
                return failed(GetLastError());
            folder.held = std::move(held);
            return OwnFolderOutcome::Held;
        }
        }
    }
    return kind == FolderKind::Data ? OwnFolderOutcome::UseEmbedded : failed(lastError);
}

void RemoveOwnFolderIfEmpty(const std::wstring& path, const FileIdentity& identity)
{
    std::wstring parentPath, name;
    if (!SplitPath(path, parentPath, name))
        return;
    const UniqueHandle parent = OpenParentFolder(parentPath);
    if (!parent)
        return;
    UniqueHandle folder;
    if (OpenBelow(parent.get(), name, DELETE | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, 0, folder) < 0)
        return;
    FileIdentity found{};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(folder.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !ReadFileIdentity(folder.get(), found) ||
        !(found == identity))
        return;
    // Refused for a folder that is not empty: then it stays.
    FILE_DISPOSITION_INFO dispose{TRUE};
    SetFileInformationByHandle(folder.get(), FileDispositionInfo, &dispose, sizeof(dispose));
}
