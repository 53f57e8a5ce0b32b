#include "platform/Dbcs.h"
#include <windows.h>

namespace platform {

bool IsLeadByte(unsigned char c) {
    return IsDBCSLeadByte(c) != FALSE;
}

}  // namespace platform
