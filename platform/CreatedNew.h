// Shared by the two implementations of the file seam.
#pragma once
#include <cstddef>

namespace platform {

// Adds to what BytesWrittenToFiles reports.
void CountWritten(size_t nBytes);

// Runs the hook that SetCreatedNewHook put in place, if any.
void NotifyCreatedNew(const char* pszPath);

class Folder;

// Has the signals that end the program remove the file pszName of the open folder
// (natively; no signal ends a Windows program that way). Returns the slot to give to
// KeepOnEndingSignals, or -1 when there is none.
int RemoveOnEndingSignals(const Folder& folder, const char* pszName);
// Leaves the file of that slot alone from now on (-1: nothing).
void KeepOnEndingSignals(int nSlot);

}  // namespace platform
