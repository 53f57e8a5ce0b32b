// Cabinets in zorvane-expand: what -l says of one, and the extraction of an archive
// (a cabinet of several files) into a folder, member by member. A cabinet of one file
// expands through the compressed file entry like any other file.
#pragma once
#include "lz/Cabinet.h"
#include "platform/FileSystem.h"

#include <string>

// The path below the destination under which a member is written, its folders
// joined by the system's separator; null, or why not: a part of its recorded name may
// not stand in a path (IsSafeMemberName), or the system cannot spell it.
const char* MemberPath(const lz::CabinetMember& member, std::string* pPath);

// The method of a member's folder as -l notes it: "stored", "MSZIP", "Quantum", "LZX:21".
std::string MethodName(uint16_t nCompression);

// Prints the -l lines of the cabinet at pszPath: its own, with strExtension (empty:
// unknown) and a note of its method or of its number of members, then for an archive
// one line per member. Every member is decoded without writing. True when every
// member can be expanded whole; damage is reported on standard error.
bool ListCabinet(const char* pszPath, const std::string& strExtension, bool bQuiet);

struct ExtractOptions {
    bool bKeepExisting = false;
    bool bSalvage = false;
    bool bQuiet = false;
};

// Writes every member of the archive at pszPath into the open folder, making the folders
// of its members' paths inside it, one by one and never through a link, so that nothing
// is written outside it; a member file appears only when complete. Prints one line per
// member written and reports the others on standard error. True when every member was
// written whole.
bool ExtractCabinet(const char* pszPath, const platform::Folder& folder, const ExtractOptions& options);
