#include "core/ExtensionTable.h"

const ExtensionPair g_aExtensionTable[kExtensionTableRows] = {
    {"cn_", "cnt"}, {"co_", "com"}, {"dl_", "dll"}, {"do_", "doc"}, {"ex_", "exe"}, {"gi_", "gif"},
    {"hl_", "hlp"}, {"ht_", "htm"}, {"jp_", "jpg"}, {"mi_", "mid"}, {"tx_", "txt"}, {"wa_", "wav"},
};

namespace {

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The first n bytes equal without case; stops at a NUL of either text.
bool PrefixEqualNoCase(const char* pszA, const char* pszB, unsigned n) {
    for (unsigned i = 0; i < n; ++i) {
        if (FoldAscii(pszA[i]) != FoldAscii(pszB[i])) return false;
        if (pszA[i] == '\0') break;
    }
    return true;
}

}  // namespace

const char* RestoredExtension(const char* pszText) {
    for (const ExtensionPair& row : g_aExtensionTable)
        if (PrefixEqualNoCase(pszText, row.pszCompressed, 3)) return row.pszRestored;
    return nullptr;
}

bool ExtensionKeyMatches(const char* pszKey, const char* pszCandidate) {
    for (; *pszKey; ++pszKey, ++pszCandidate)
        if (*pszCandidate == '\0' || FoldAscii(*pszKey) != FoldAscii(*pszCandidate)) return false;
    return true;
}
