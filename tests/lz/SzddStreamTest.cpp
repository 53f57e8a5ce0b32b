#include "lz/LzError.h"
#include "lz/ExpandStream.h"
#include "tests/lz/StreamTestSupport.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace {

using namespace lz_test;

// The format as plainly as it can be written: a ring of 4096 bytes, one byte at a time.
std::string ReferenceExpand(const std::string& body, uint32_t nLength) {
    unsigned char ring[4096];
    std::memset(ring, ' ', sizeof ring);
    unsigned pos = 4080;
    std::string out;
    size_t i = 0;
    while (out.size() < nLength && i < body.size()) {
        unsigned ctrl = static_cast<unsigned char>(body[i++]);
        for (int bit = 0; bit < 8 && out.size() < nLength; ++bit, ctrl >>= 1) {
            if (ctrl & 1) {
                if (i >= body.size()) return out;
                ring[pos] = static_cast<unsigned char>(body[i++]);
                out.push_back(static_cast<char>(ring[pos]));
                pos = (pos + 1) & 4095;
            } else {
                if (i + 2 > body.size()) return out;
                unsigned b0 = static_cast<unsigned char>(body[i]), b1 = static_cast<unsigned char>(body[i + 1]);
                i += 2;
                unsigned off = b0 | ((b1 & 0xF0) << 4), len = (b1 & 0x0F) + 3;
                for (unsigned k = 0; k < len && out.size() < nLength; ++k) {
                    ring[pos] = ring[(off + k) & 4095];
                    out.push_back(static_cast<char>(ring[pos]));
                    pos = (pos + 1) & 4095;
                }
            }
        }
    }
    return out;
}

TEST(SzddStream, DecodesLiteralsAndMatchesFromTheWrittenBytes) {
    SzddStreamBuilder b;
    b.Literals("abcd").Match(4080, 4).Literal('!');
    Result r = Expand(b.Build(9));
    EXPECT_EQ(r.nCode, 9);
    EXPECT_EQ(r.strOut, "abcdabcd!");
}

TEST(SzddStream, MatchesReachIntoTheSpaceFilledWindow) {
    SzddStreamBuilder b;
    // Ring positions 4075-4079 hold spaces, followed by the two letters just
    // written; 4095, 0 and 1 are still spaces.
    b.Literals("ab").Match(4075, 7).Match(0, 3).Match(4095, 3);
    Result r = Expand(b.Build(15));
    EXPECT_EQ(r.nCode, 15);
    EXPECT_EQ(r.strOut, std::string("ab") + "     ab" + "   " + "   ");
}

TEST(SzddStream, OverlappingMatchesRepeatTheirOwnOutput) {
    SzddStreamBuilder b;
    b.Literal('x').Match(4080, 18).Literals("ab").Match(4099 & 4095, 7);
    Result r = Expand(b.Build(28));
    EXPECT_EQ(r.strOut, std::string(19, 'x') + "ab" + "abababa");
}

TEST(SzddStream, MatchesAfterTheWindowWrapsSeeTheNewestBytes) {
    std::mt19937 rng(7);
    std::string data = RandomBytes(rng, 5000);
    SzddStreamBuilder b;
    b.Literals(data);
    // Output byte n sits at ring position (4080 + n) mod 4096; byte 100 was overwritten by byte 4196.
    b.Match((4080 + 4500) & 4095, 10).Match((4080 + 100) & 4095, 3).Match((4080 + 5013) & 4095, 18);
    Result r = Expand(b.Build(5031));
    ASSERT_EQ(r.nCode, 5031);
    std::string expect = data + data.substr(4500, 10) + data.substr(4196, 3);
    // The last match starts on the slot of the byte about to be written: 4096 bytes back.
    for (int k = 0; k < 18; ++k) expect.push_back(expect[expect.size() - 4096]);
    EXPECT_EQ(r.strOut, expect);
}

TEST(SzddStream, OutputStopsAtTheExpandedLength) {
    SzddStreamBuilder b;
    b.Literals("abcdefghij").Match(4080, 18);
    Result r = Expand(b.Build(5));
    EXPECT_EQ(r.nCode, 5);
    EXPECT_EQ(r.strOut, "abcde");
    // Inside a match too.
    r = Expand(b.Build(13));
    EXPECT_EQ(r.strOut, "abcdefghijabc");
    EXPECT_EQ(Expand(b.Build(0)).strOut, "");
}

TEST(SzddStream, DataEndingBeforeTheExpandedLengthIsCorrupt) {
    SzddStreamBuilder b;
    b.Literals("abcdefghij").Match(4080, 18);
    EXPECT_EQ(Expand(b.Build(29)).nCode, LZ_ERROR_READ);
    // A match cut after its first byte.
    std::string cut = b.Build(28);
    cut.pop_back();
    EXPECT_EQ(Expand(cut).nCode, LZ_ERROR_READ);
    // A header alone that promises data.
    EXPECT_EQ(Expand(SzddHeader(1)).nCode, LZ_ERROR_READ);
    // A signature with a header cut short.
    EXPECT_EQ(Expand(SzddHeader(1).substr(0, 12)).nCode, LZ_ERROR_READ);
    // Huge promised length, little data: fails, and quickly.
    std::mt19937 rng(3);
    SzddStreamBuilder big;
    big.Literals(RandomBytes(rng, 100000));
    EXPECT_EQ(Expand(big.Build(0xFFFFFFFFu)).nCode, LZ_ERROR_READ);
}

TEST(SzddStream, UnknownModeFails) {
    std::string s = SzddStreamBuilder().Literals("abc").Build(3);
    s[8] = 'B';
    EXPECT_EQ(Expand(s).nCode, LZ_ERROR_UNKNOWNALG);
}

TEST(SzddStream, OtherDataIsCopiedUnchanged) {
    EXPECT_EQ(Expand("").nCode, 0);
    EXPECT_EQ(Expand("hello").strOut, "hello");
    // Too short to hold the signature, though it starts like one.
    std::string partial("SZDD\x88\xF0\x27", 7);
    EXPECT_EQ(Expand(partial).strOut, partial);
    std::string almost = SzddHeader(3) + "abc";
    almost[7] = 0x34;
    EXPECT_EQ(Expand(almost).strOut, almost);
    std::mt19937 rng(11);
    std::string big = RandomBytes(rng, 300000);
    Result r = Expand(big, 5000);
    EXPECT_EQ(r.nCode, 300000);
    EXPECT_TRUE(r.strOut == big);
}

TEST(SzddStream, ReadAndWriteErrorsAreReported) {
    std::mt19937 rng(5);
    std::string packed = SzddCompress(RandomBytes(rng, 200000, 4));
    {
        MemorySource source(packed, 0, 1000);
        StringSink sink;
        EXPECT_EQ(lz::ExpandStream(source, sink), LZ_ERROR_READ);
    }
    {
        MemorySource source(packed);
        StringSink sink(150000);
        EXPECT_EQ(lz::ExpandStream(source, sink), LZ_ERROR_WRITE);
    }
    {
        std::string plain = "not compressed at all";
        MemorySource source(plain);
        StringSink sink(3);
        EXPECT_EQ(lz::ExpandStream(source, sink), LZ_ERROR_WRITE);
    }
}

TEST(SzddStream, RoundTripsCompressedDataOfManySizes) {
    std::mt19937 rng(2024);
    const size_t aSizes[] = {1, 2, 3, 17, 18, 19, 143, 144, 145, 4095, 4096, 4097, 8191, 65535, 65536,
                             131071, 131072, 131073, 300007, 1 << 20};
    for (size_t n : aSizes) {
        for (int nAlphabet : {2, 5, 40, 256}) {
            std::string data = RandomBytes(rng, n, nAlphabet);
            std::string packed = SzddCompress(data, 'e');
            Result r = Expand(packed, n % 3 == 0 ? 23 : 0);
            ASSERT_EQ(r.nCode, static_cast<int64_t>(n)) << n << " " << nAlphabet;
            ASSERT_TRUE(r.strOut == data) << n << " " << nAlphabet;
        }
    }
}

TEST(SzddStream, ArbitraryStreamsDecodeAsThePlainRingDoes) {
    // Random items with random ring offsets, checked against the byte-at-a-time ring.
    std::mt19937 rng(99);
    for (int nRound = 0; nRound < 60; ++nRound) {
        std::string body;
        size_t nItems = 1 + rng() % (nRound < 30 ? 300 : 40000);
        while (nItems > 0) {
            unsigned ctrl = rng() & 0xFF;
            if (rng() % 4 == 0) ctrl = 0xFF;
            body.push_back(static_cast<char>(ctrl));
            for (int bit = 0; bit < 8 && nItems > 0; ++bit, --nItems) {
                body.push_back(static_cast<char>(rng()));
                if (!(ctrl & (1 << bit))) body.push_back(static_cast<char>(rng()));
            }
        }
        uint32_t nFull = static_cast<uint32_t>(ReferenceExpand(body, 0xFFFFFFFFu).size());
        uint32_t nLength = nRound % 3 == 0 ? nFull : static_cast<uint32_t>(rng() % (nFull + 1));
        std::string expect = ReferenceExpand(body, nLength);
        Result r = Expand(SzddHeader(nLength) + body, nRound % 2 ? 31 : 0);
        ASSERT_EQ(r.nCode, static_cast<int64_t>(nLength)) << nRound;
        ASSERT_TRUE(r.strOut == expect) << nRound;
    }
}

}  // namespace

namespace {

TEST(ShortSzddStream, TheRingIsFirstWrittenAt4078) {
    SzddStreamBuilder b;
    // 4078 holds the first byte written; 4080, the first byte of an SZDD ring, holds the third.
    b.Literals("abc").Match(4078, 5).Match(4080, 3).Match(4077, 3);
    Result r = Expand(ShortSzddHeader(14) + b.Body());
    EXPECT_EQ(r.nCode, 14);
    EXPECT_EQ(r.strOut, "abc" "abcab" "cab" " ab");
}

TEST(ShortSzddStream, RoundTripsAndFailsWhenCutShort) {
    std::mt19937 rng(4078);
    for (size_t n : {size_t(0), size_t(1), size_t(4097), size_t(131073), size_t(400000)}) {
        std::string data = RandomBytes(rng, n, n % 2 ? 3 : 256);
        std::string packed = ShortSzddCompress(data);
        Result r = Expand(packed, 17);
        ASSERT_EQ(r.nCode, static_cast<int64_t>(n));
        ASSERT_TRUE(r.strOut == data);
        if (n > 0) {
            EXPECT_EQ(Expand(packed.substr(0, packed.size() - 1)).nCode, LZ_ERROR_READ) << n;
        }
    }
    EXPECT_EQ(Expand(ShortSzddHeader(5)).nCode, LZ_ERROR_READ);
    EXPECT_EQ(Expand(ShortSzddHeader(5).substr(0, 10)).nCode, LZ_ERROR_READ);
}

}  // namespace
