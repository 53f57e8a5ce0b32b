// Byte streams between the decoders and their files or memory, and the bounded
// input buffer that every decoder reads through.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace lz {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Bytes read into pBuffer (0 at the end), or a negative value on error.
    virtual int64_t Read(uint8_t* pBuffer, size_t nBytes) = 0;
    // Moves to nOffset from the start; false where the source cannot. Only cabinets,
    // whose entries point back and forth, need it.
    virtual bool Seek(uint64_t /*nOffset*/) { return false; }
    // The source's whole length, or -1 when it is not known.
    virtual int64_t Size() { return -1; }
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Writes all bytes, or returns false.
    virtual bool Write(const uint8_t* pBuffer, size_t nBytes) = 0;
};

// A sink that only counts: the expanded length of a stream, without writing it.
class CountingSink : public ByteSink {
public:
    bool Write(const uint8_t*, size_t nBytes) override {
        m_nCount += nBytes;
        return true;
    }
    uint64_t Count() const { return m_nCount; }

private:
    uint64_t m_nCount = 0;
};

// The expanded length of a stream that records none: it ends where its data ends.
constexpr uint64_t kLengthUnknown = UINT64_MAX;

// Input buffer with refill; unread bytes are kept when it is topped up.
class Input {
public:
    // Room for the longest KWAJ header, whose fields may run past its data offset.
    static constexpr size_t kCapacity = 160 * 1024;

    Input(ByteSource& source, uint8_t* pBuffer) : m_source(source), m_p(pBuffer) {}

    size_t Available() const { return m_nEnd - m_nPos; }
    const uint8_t* Data() const { return m_p + m_nPos; }
    void Skip(size_t n) { m_nPos += n; }
    bool Failed() const { return m_bFailed; }
    // True once the source has nothing more (what is buffered may still be read).
    bool Ended() const { return m_bEnded; }

    // Tops the buffer up to at least nWant bytes (at most kCapacity), unless the source ends first.
    void Fill(size_t nWant) {
        if (Available() >= nWant || m_bEnded) return;
        std::memmove(m_p, m_p + m_nPos, Available());
        m_nEnd -= m_nPos;
        m_nPos = 0;
        while (m_nEnd < nWant && !m_bEnded) {
            int64_t n = m_source.Read(m_p + m_nEnd, kCapacity - m_nEnd);
            if (n < 0) m_bFailed = true;
            if (n <= 0)
                m_bEnded = true;
            else
                m_nEnd += static_cast<size_t>(n);
        }
    }

private:
    ByteSource& m_source;
    uint8_t* m_p;
    size_t m_nPos = 0;
    size_t m_nEnd = 0;
    bool m_bEnded = false;
    bool m_bFailed = false;
};

}  // namespace lz
