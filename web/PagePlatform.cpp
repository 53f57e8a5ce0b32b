// What the naming rules of core/ ask of the platform, for the page: its names are UTF-8,
// in which no byte of a character can be taken for a '.', '/', '\' or '_', so every byte
// stands alone; '/' alone separates the folders of a browser's relative paths.
#include "platform/Dbcs.h"
#include "platform/PathStyle.h"

namespace platform {

bool IsLeadByte(unsigned char) { return false; }
bool IsSeparator(char c) { return c == '/'; }
bool NamesIgnoreCase() { return false; }

}  // namespace platform
