#include "core/ExtensionTable.h"
#include "core/MbcsText.h"

const ExtensionPair g_aExtensionTable[kExtensionTableRows] = {
    {"cn_", "cnt"}, {"co_", "com"}, {"dl_", "dll"}, {"do_", "doc"}, {"ex_", "exe"}, {"gi_", "gif"},
    {"hl_", "hlp"}, {"ht_", "htm"}, {"jp_", "jpg"}, {"mi_", "mid"}, {"tx_", "txt"}, {"wa_", "wav"},
};

const char* RestoredExtension(const char* pszText) {
    for (const ExtensionPair& row : g_aExtensionTable)
        if (mbcs::StartsWithNoCase(pszText, row.pszCompressed)) return row.pszRestored;
    return nullptr;
}

bool ExtensionKeyMatches(const char* pszKey, const char* pszCandidate) {
    return mbcs::StartsWithNoCase(pszCandidate, pszKey);
}
