// The fixed table of compressed extensions and the extensions they restore to.
#pragma once

struct ExtensionPair {
    const char* pszCompressed;  // "ex_"
    const char* pszRestored;    // "exe"
};

enum { kExtensionTableRows = 12 };
extern const ExtensionPair g_aExtensionTable[kExtensionTableRows];

// The restored extension for a compressed one: pszText begins with a row's
// compressed extension, ASCII letters without case. Null when no row matches.
const char* RestoredExtension(const char* pszText);

// Whether the entry with compressed extension pszCandidate shares the key
// pszKey: it begins with the key, character by character, ASCII letters without
// case and double-byte characters exactly; a shorter candidate does not match.
bool ExtensionKeyMatches(const char* pszKey, const char* pszCandidate);
