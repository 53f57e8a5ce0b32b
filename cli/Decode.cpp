#include "cli/Decode.h"
#include "lz/Formats.h"
#include "lz/LzError.h"
#include "platform/File.h"

#include <cerrno>
#include <unistd.h>

namespace {

class CFileSource : public lz::ByteSource {
public:
    explicit CFileSource(platform::File& file) : m_file(file) {}
    int64_t Read(uint8_t* pBuffer, size_t nBytes) override {
        int64_t n = m_file.Read(pBuffer, nBytes);
        if (n < 0) m_bFailed = true;
        return n;
    }
    bool Failed() const { return m_bFailed; }

private:
    platform::File& m_file;
    bool m_bFailed = false;
};

}  // namespace

bool CCountingSink::Write(const uint8_t* pBuffer, size_t nBytes) {
    m_nCount.fetch_add(nBytes, std::memory_order_relaxed);
    while (m_fd >= 0 && nBytes > 0) {
        ssize_t n = ::write(m_fd, pBuffer, nBytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            m_nErrno = n < 0 ? errno : EIO;
            return false;
        }
        pBuffer += n;
        nBytes -= static_cast<size_t>(n);
    }
    return true;
}

bool DecodeFile(const char* pszPath, CCountingSink& sink, DecodeResult* pResult) {
    platform::File file;
    if (!file.OpenRead(pszPath)) return false;
    CFileSource source(file);
    uint8_t abSignature[lz::kSignatureSize];
    const int64_t nGot = source.Read(abSignature, sizeof abSignature);
    pResult->bCompressed = nGot > 0 && lz::DetectFormat(abSignature, static_cast<size_t>(nGot)) != lz::Format::kPlain;
    const bool bRewound = file.Seek(0);
    pResult->nResult = bRewound ? lz::ExpandStream(source, sink) : int64_t{LZ_ERROR_READ};
    pResult->bReadFailed = source.Failed() || !bRewound;
    return true;
}
