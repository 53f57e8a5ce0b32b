// The fixed table of compressed extensions and the extensions they restore to.
#pragma once

struct ExtensionPair {
    const char* pszCompressed;  // "ex_"
    const char* pszRestored;    // "exe"
};

enum { kExtensionTableRows = 12 };
extern const ExtensionPair g_aExtensionTable[kExtensionTableRows];

// The restored extension for a compressed one: the first three characters of
// pszText are compared, ASCII letters without case. Null when no row matches.
const char* RestoredExtension(const char* pszText);

// Whether the entry with compressed extension pszCandidate shares the key
// pszKey: its first strlen(pszKey) bytes equal the key's, ASCII letters without
// case, other bytes exactly; a candidate shorter than the key does not match.
bool ExtensionKeyMatches(const char* pszKey, const char* pszCandidate);
