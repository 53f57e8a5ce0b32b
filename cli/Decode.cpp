#include "cli/Decode.h"
#include "core/FileStreams.h"
#include "lz/Formats.h"
#include "lz/LzError.h"
#include "platform/Console.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

bool CCountingSink::Write(const uint8_t* pBuffer, size_t nBytes) {
    m_nCount.fetch_add(nBytes, std::memory_order_relaxed);
    if (!m_bToStdout || platform::WriteStandardOutput(pBuffer, nBytes)) return true;
    m_nError = platform::LastError();
    return false;
}

bool DecodeFile(const char* pszPath, CCountingSink& sink, DecodeResult* pResult) {
    platform::File file;
    if (!file.OpenRead(pszPath)) return false;
    // Appended to while it is read, the file would grow until the disk is full.
    pResult->bInputIsOutput = sink.ToStdout() && file.IsStandardOutput();
    if (pResult->bInputIsOutput) return true;
    lz::FileSource source(file);
    uint8_t abSignature[lz::kSignatureSize];
    const int64_t nGot = source.Read(abSignature, sizeof abSignature);
    pResult->bCompressed = nGot > 0 && lz::DetectFormat(abSignature, static_cast<size_t>(nGot)) != lz::Format::kPlain;
    const bool bRewound = file.Seek(0);
    pResult->nResult = bRewound ? lz::ExpandStream(source, sink) : int64_t{LZ_ERROR_READ};
    pResult->bReadFailed = source.Failed() || !bRewound;
    return true;
}
