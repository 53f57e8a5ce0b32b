#include "framework/ResourceString.h"
#include "framework/Resource.h"
#include "framework/WinApp.h"
#include <vector>

std::string LoadResString(HINSTANCE hInstance, UINT nID, int nMaxBytes)
{
    // A string table resource is a block of 16 strings: string n is in block n / 16 + 1,
    // each one a count of UTF-16 units and the units.
    DWORD cbBlock = 0;
    const auto* pUnit = static_cast<const WCHAR*>(
        FindResourceData(hInstance, RT_STRING, (nID >> 4) + 1, &cbBlock));
    if (!pUnit || nMaxBytes <= 1)
        return std::string();
    const WCHAR* pEnd = pUnit + cbBlock / sizeof(WCHAR);
    for (UINT i = 0; i < (nID & 15) && pUnit < pEnd; ++i)
        pUnit += 1 + *pUnit;
    if (pUnit >= pEnd || *pUnit == 0 || pUnit + 1 + *pUnit > pEnd)
        return std::string();
    const int nUnits = *pUnit;

    const int nBytes = WideCharToMultiByte(CP_ACP, 0, pUnit + 1, nUnits, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(nBytes > 0 ? nBytes : 0), '\0');
    if (nBytes > 0)
        WideCharToMultiByte(CP_ACP, 0, pUnit + 1, nUnits, &result[0], nBytes, nullptr, nullptr);
    const size_t nLimit = static_cast<size_t>(nMaxBytes) - 1;
    if (result.size() > nLimit) {
        size_t nKeep = 0;
        for (;;) {
            const size_t nChar = IsDBCSLeadByte(static_cast<BYTE>(result[nKeep])) ? 2 : 1;
            if (nKeep + nChar > nLimit)
                break;
            nKeep += nChar;
        }
        result.resize(nKeep);
    }
    return result;
}

std::string LoadResString(UINT nID, int nMaxBytes)
{
    return LoadResString(CWinApp::ResourceInstance(), nID, nMaxBytes);
}

std::string FormatText(const std::string& strPattern, std::initializer_list<std::string> texts)
{
    const std::vector<std::string> args(texts);
    std::string result;
    // '%' and the digits are never the second byte of a double-byte character.
    for (size_t i = 0; i < strPattern.size(); ++i) {
        const char ch = strPattern[i];
        const char next = i + 1 < strPattern.size() ? strPattern[i + 1] : '\0';
        if (ch == '%' && next == '%') {
            result += '%';
            ++i;
        } else if (ch == '%' && next >= '1' && next <= '9') {
            const size_t nArg = static_cast<size_t>(next - '1');
            if (nArg < args.size())
                result += args[nArg];
            ++i;
        } else {
            result += ch;
        }
    }
    return result;
}
