// Shared by the two implementations of the file seam.
#pragma once

namespace platform {

// Runs the hook that SetCreatedNewHook put in place, if any.
void NotifyCreatedNew(const char* pszPath);

}  // namespace platform
