// The LZ service's byte streams over files of the platform's file seam.
#pragma once
#include "lz/ByteStream.h"
#include "platform/File.h"

namespace lz {

class FileSource : public ByteSource {
public:
    explicit FileSource(platform::File& f) : m_f(f) {}
    int64_t Read(uint8_t* p, size_t n) override {
        const int64_t nRead = m_f.Read(p, n);
        if (nRead < 0) m_bFailed = true;
        return nRead;
    }
    bool Seek(uint64_t nOffset) override { return m_f.Seek(nOffset); }
    int64_t Size() override { return m_f.Size(); }
    // True once a read failed: the file could not be read, whatever its data holds.
    bool Failed() const { return m_bFailed; }

private:
    platform::File& m_f;
    bool m_bFailed = false;
};

class FileSink : public ByteSink {
public:
    explicit FileSink(platform::File& f) : m_f(f) {}
    bool Write(const uint8_t* p, size_t n) override { return m_f.Write(p, n); }

private:
    platform::File& m_f;
};

}  // namespace lz
