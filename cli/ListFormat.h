// The line that -l prints for one file, with what the window's list shows.
#pragma once
#include <cstdint>
#include <string>

// What decoding the whole file without writing found.
enum class DataState {
    kComplete,       // decoded to the expanded size shown
    kUncompressed,   // no compressed format: expanding copies it as it is
    kTruncated,      // the data ends before the expanded length
    kUnknownMethod,  // a compression method that cannot be expanded
    kCorrupt,        // data that the decoder refused
    kReadError,      // the file could not be read to its end
    kArchive,        // a cabinet of several files: its members are extracted
    kSpanned,        // a cabinet whose data continues from or into another
};

struct ListEntry {
    std::string strPath;
    std::string strExtension;  // empty: unknown
    uint64_t nCompressed;      // the file's size
    uint64_t nExpanded;        // the size its header records, or else what its data produces
    DataState eState;
};

// The state for a decoding that returned nResult bytes (or a negative LZ error);
// bReadFailed when the file itself could not be read, bCompressed when it is in
// one of the compressed formats. A recorded length is always produced in full
// or the decoding fails, so a decoded file is complete.
DataState DataStateOf(int64_t nResult, bool bReadFailed, bool bCompressed);
// True for the states in which the file cannot be expanded whole.
bool IsDamaged(DataState eState);
// The state as -l prints it: one word.
const char* DataStateWord(DataState eState);
// The state as an error message says it.
const char* DataStateReason(DataState eState);

// "  COMPRESSED    EXPANDED  RATIO  EXTENSION  STATE  PATH", the path last since it
// may hold blanks; the ratio is compressed by expanded size, "---" without the latter.
std::string ListLine(const ListEntry& entry);
// The line of a member under its cabinet's: no compressed size or ratio of its own
// ("-", "---"), and its path indented.
std::string MemberLine(const std::string& strPath, const std::string& strExtension, uint64_t nExpanded,
                       DataState eState);
