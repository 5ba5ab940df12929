// Folders that other users of the machine cannot change under the program.
#pragma once

#include <string>

// Administrators and SYSTEM have full control, for the folder and all that is made in
// it; nothing is inherited from the shared folder above; Administrators own it.
inline constexpr wchar_t kAdminsOnlySddl[] = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
// The same, and Users may read.
inline constexpr wchar_t kAdminsUsersReadSddl[] = L"O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FR;;;BU)";

// Makes `path` a real folder carrying the security descriptor `sddl`: a missing one is
// created with it; an existing one is given its owner and protected access list; a
// link (reparse point) in its place is never followed but removed, and the real folder
// made. False, with the last error set, when the folder cannot be had or secured (a
// file of that name, a link that cannot be removed, no right to change the folder).
bool SecureFolder(const std::wstring& path, const wchar_t* sddl);
