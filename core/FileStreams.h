// The LZ service's byte streams over files of the platform's file seam.
#pragma once
#include "lz/ByteStream.h"
#include "platform/File.h"

namespace lz {

class FileSource : public ByteSource {
public:
    explicit FileSource(platform::File& f) : m_f(f) {}
    int64_t Read(uint8_t* p, size_t n) override { return m_f.Read(p, n); }

private:
    platform::File& m_f;
};

class FileSink : public ByteSink {
public:
    explicit FileSink(platform::File& f) : m_f(f) {}
    bool Write(const uint8_t* p, size_t n) override { return m_f.Write(p, n); }

private:
    platform::File& m_f;
};

}  // namespace lz
