#include "lz/LzExpand.h"
#include "platform/File.h"
#include "tests/platform/TestFolder.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(LzExpand, CopiesASourceIntoATargetAndFillsTheRecord) {
    TestFolder dir;
    std::string data;
    for (int i = 0; i < 20000; ++i) data += "row " + std::to_string(i % 97) + "\n";
    ASSERT_TRUE(SzddWriteCompressedFile(dir / "a.tx_", data));

    LzOpenRecord rec;
    std::memset(&rec, 0xAB, sizeof rec);
    int32_t hIn = LzOpenFile((dir / "a.tx_").c_str(), &rec, LZ_OF_READ);
    ASSERT_GT(hIn, 0);
    EXPECT_EQ(rec.cBytes, 136);
    EXPECT_EQ(rec.nErrCode, 0);
    EXPECT_STREQ(rec.szPathName, (dir / "a.tx_").c_str());
    int32_t hOut = LzOpenFile((dir / "a.txt").c_str(), &rec, LZ_OF_CREATE | LZ_OF_READWRITE);
    ASSERT_GT(hOut, 0);
    EXPECT_NE(hOut, hIn);
    EXPECT_EQ(LzCopy(hIn, hOut), static_cast<int64_t>(data.size()));
    LzClose(hIn);
    LzClose(hOut);

    std::string out;
    ASSERT_TRUE(SzddReadFile(dir / "a.txt", &out));
    EXPECT_TRUE(out == data);
}

TEST(LzExpand, BadPathsAndHandlesGiveNegativeValues) {
    TestFolder dir;
    LzOpenRecord rec;
    EXPECT_EQ(LzOpenFile((dir / "missing.ex_").c_str(), &rec, LZ_OF_READ), LZ_ERROR_BADINHANDLE);
    EXPECT_NE(rec.nErrCode, 0);
    EXPECT_EQ(LzOpenFile((dir / "no" + dir.Separator() + "x.exe").c_str(), &rec, LZ_OF_CREATE),
              LZ_ERROR_BADOUTHANDLE);
    EXPECT_EQ(LzOpenFile(nullptr, &rec, LZ_OF_READ), LZ_ERROR_BADINHANDLE);

    ASSERT_TRUE(SzddWriteCompressedFile(dir / "a.ex_", "abc"));
    int32_t hIn = LzOpenFile((dir / "a.ex_").c_str(), &rec, LZ_OF_READ);
    int32_t hOut = LzOpenFile((dir / "a.exe").c_str(), &rec, LZ_OF_CREATE);
    ASSERT_GT(hIn, 0);
    ASSERT_GT(hOut, 0);
    EXPECT_EQ(LzCopy(hOut, hIn), LZ_ERROR_BADINHANDLE);  // swapped
    EXPECT_EQ(LzCopy(hIn, hIn), LZ_ERROR_BADOUTHANDLE);
    EXPECT_EQ(LzCopy(0, hOut), LZ_ERROR_BADINHANDLE);
    EXPECT_EQ(LzCopy(hIn, 999), LZ_ERROR_BADOUTHANDLE);
    LzClose(hIn);
    LzClose(hOut);
    EXPECT_EQ(LzCopy(hIn, hOut), LZ_ERROR_BADINHANDLE);  // closed
    LzClose(hIn);                                         // a second close does nothing
    LzClose(-5);
}

TEST(LzExpand, ReadOnlySourceExpandsUnchangedAndTargetTakesItsTime) {
    TestFolder dir;
    std::string src = dir / "r.dl_";
    std::string packed = SzddCompress(std::string(5000, 'q') + "tail");
    ASSERT_TRUE(SzddWriteFile(src, packed));
    platform::FileTime t;
    ASSERT_TRUE(platform::FileGetWriteTime(src.c_str(), &t));
    // Move the time well into the past so that a fresh time cannot pass for it.
    t.nHigh -= 1000;
    ASSERT_TRUE(platform::FileSetWriteTime(src.c_str(), t));
    ASSERT_TRUE(platform::FileSetReadOnly(src.c_str(), true));

    LzOpenRecord rec;
    // Even the read-write style only reads a source.
    int32_t hIn = LzOpenFile(src.c_str(), &rec, LZ_OF_READWRITE);
    ASSERT_GT(hIn, 0);
    int32_t hOut = LzOpenFile((dir / "r.dll").c_str(), &rec, LZ_OF_CREATE | LZ_OF_READWRITE);
    ASSERT_GT(hOut, 0);
    EXPECT_EQ(LzCopy(hIn, hOut), 5004);
    LzClose(hIn);
    LzClose(hOut);

    platform::FileTime tOut, tSrc;
    ASSERT_TRUE(platform::FileGetWriteTime((dir / "r.dll").c_str(), &tOut));
    ASSERT_TRUE(platform::FileGetWriteTime(src.c_str(), &tSrc));
    EXPECT_TRUE(tOut == t);
    EXPECT_TRUE(tSrc == t);
    std::string after;
    ASSERT_TRUE(SzddReadFile(src, &after));
    EXPECT_TRUE(after == packed);
    platform::FileSetReadOnly(src.c_str(), false);
}

TEST(LzExpand, HandlesAreReusedAfterClose) {
    TestFolder dir;
    ASSERT_TRUE(SzddWriteFile(dir / "x.ex_", "x"));
    LzOpenRecord rec;
    // Far more opens than the service holds at once: each one is closed again.
    for (int i = 0; i < 100; ++i) {
        int32_t h = LzOpenFile((dir / "x.ex_").c_str(), &rec, LZ_OF_READ);
        ASSERT_GT(h, 0);
        LzClose(h);
    }
}

}  // namespace
