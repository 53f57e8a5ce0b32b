// One compressed file: where it is, which extension its expanded form gets,
// and where its last expansion was written.
#pragma once
#include "lz/LzExpand.h"
#include <cstdint>

class CCompressedFile {
public:
    enum { kMaxPath = 260, kMaxExt = 52 };

    // Guesses the extension from the name; touches no file.
    explicit CCompressedFile(const char* pszPath);
    ~CCompressedFile();
    CCompressedFile(const CCompressedFile&) = delete;
    CCompressedFile& operator=(const CCompressedFile&) = delete;

    // True when the extension table knows the compressed extension; m_szExt is then its restored form.
    bool GuessExtension();
    // The file's own size (bCompressed), or the expanded size its header records.
    uint32_t GetSize(bool bCompressed) const;
    // Writes the expanded file beside the source (empty prefix) or under the prefix,
    // a folder that already ends in a backslash. False when no complete file was written.
    bool Expand(const char* pszDestPrefix);

    char m_szPath[kMaxPath];
    char m_szOutputPath[kMaxPath];
    char m_szExt[kMaxExt];
    int32_t m_nLzHandle;
    LzOpenRecord m_ofs;
};
