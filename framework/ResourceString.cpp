#include "framework/ResourceString.h"
#include "framework/WinApp.h"
#include <vector>

std::string LoadResString(UINT nID, int nMaxBytes)
{
    std::vector<char> buffer(static_cast<size_t>(nMaxBytes), '\0');
    const int length = LoadStringA(CWinApp::ResourceInstance(), nID, buffer.data(), nMaxBytes);
    return std::string(buffer.data(), static_cast<size_t>(length > 0 ? length : 0));
}
