#include "cli/Wildcards.h"
#include "core/MbcsText.h"
#include "platform/Dbcs.h"
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"

#include <algorithm>

namespace {

// The bytes of the character that starts at i.
size_t CharLength(const std::string& s, size_t i) {
    return platform::IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

unsigned char Folded(unsigned char c) {
    return platform::NamesIgnoreCase() && c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool SameCharacter(const std::string& a, size_t i, const std::string& b, size_t j) {
    const size_t n = CharLength(a, i);
    if (n != CharLength(b, j)) return false;
    if (n == 2) return a.compare(i, 2, b, j, 2) == 0;
    return Folded(static_cast<unsigned char>(a[i])) == Folded(static_cast<unsigned char>(b[j]));
}

// The name with its single-byte letters folded where names ignore case.
std::string SortKey(const std::string& strName) {
    std::string strKey = strName;
    for (size_t i = 0; i < strKey.size(); i += CharLength(strKey, i))
        strKey[i] = static_cast<char>(Folded(static_cast<unsigned char>(strKey[i])));
    return strKey;
}

// '*' and '?' are below every second byte of a double-byte character, so a byte test
// at a character's start finds them.
bool Matches(const std::string& strName, const std::string& strPattern) {
    size_t n = 0, p = 0;
    size_t nRetryName = std::string::npos, nRetryPattern = std::string::npos;  // after the last '*'
    while (n < strName.size()) {
        if (p < strPattern.size() && strPattern[p] == '*') {
            nRetryPattern = ++p;
            nRetryName = n;
        } else if (p < strPattern.size() && (strPattern[p] == '?' || SameCharacter(strName, n, strPattern, p))) {
            p += strPattern[p] == '?' ? 1 : CharLength(strPattern, p);
            n += CharLength(strName, n);
        } else if (nRetryPattern != std::string::npos) {
            // The last '*' takes one character more.
            nRetryName += CharLength(strName, nRetryName);
            n = nRetryName;
            p = nRetryPattern;
        } else {
            return false;
        }
    }
    while (p < strPattern.size() && strPattern[p] == '*') ++p;
    return p == strPattern.size();
}

}  // namespace

bool HasWildcards(const std::string& strArg) { return strArg.find_first_of("*?") != std::string::npos; }

std::vector<std::string> MatchWildcards(const std::string& strPattern) {
    // The folder part as typed: up to the last separator, or a drive's "X:".
    const char* pszSeparator = mbcs::FindLastSeparator(strPattern.c_str());
    size_t nFolder = pszSeparator ? static_cast<size_t>(pszSeparator - strPattern.c_str()) + 1 : 0;
    if (nFolder == 0 && strPattern.size() >= 2 && strPattern[1] == ':') nFolder = 2;
    const std::string strFolder = strPattern.substr(0, nFolder);
    const std::string strNames = strPattern.substr(nFolder);

    std::vector<platform::FolderEntry> entries;
    std::vector<std::string> names;
    if (platform::ListFolder(strFolder.empty() ? "." : strFolder, &entries))
        for (const platform::FolderEntry& entry : entries)
            if (Matches(entry.strName, strNames)) names.push_back(entry.strName);
    std::sort(names.begin(), names.end(), NameBefore);
    for (std::string& strName : names) strName.insert(0, strFolder);
    return names;
}

bool NameBefore(const std::string& strA, const std::string& strB) {
    const std::string strKeyA = SortKey(strA), strKeyB = SortKey(strB);
    return strKeyA != strKeyB ? strKeyA < strKeyB : strA < strB;
}
