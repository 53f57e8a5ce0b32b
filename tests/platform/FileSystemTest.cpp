// The seam under the command-line tool: paths made under either style, the kinds of
// paths and folder entries, the system's reasons and the ticker.
#include "platform/FileSystem.h"
#include "platform/PathStyle.h"
#include "platform/Ticker.h"
#include "tests/platform/CodePage932Rule.h"
#include "tests/platform/TestFolder.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

using platform::PathKind;
using platform::PathStyle;

// Puts a path style in place for one scope.
class StyleScope {
public:
    explicit StyleScope(PathStyle eStyle) : m_ePrevious(platform::SetPathStyle(eStyle)) {}
    ~StyleScope() { platform::SetPathStyle(m_ePrevious); }

private:
    PathStyle m_ePrevious;
};

TEST(PathStyle, FolderPrefixesAndSeparatorsFollowTheStyle) {
    const struct {
        PathStyle eStyle;
        const char* pszFolder;
        const char* pszPrefix;
        size_t nSeparator;  // the first separator of pszFolder + "/x"
    } aCases[] = {
        {PathStyle::kNative, "", "", 0},
        {PathStyle::kNative, "out", "out/", 3},
        {PathStyle::kNative, "out/", "out/", 3},
        {PathStyle::kNative, "a\\b", "a\\b/", 3},
        {PathStyle::kNative, "C:", "C:/", 2},
        {PathStyle::kWindows, "out", "out\\", 3},
        {PathStyle::kWindows, "out/", "out/", 3},
        {PathStyle::kWindows, "C:\\x\\", "C:\\x\\", 2},
        {PathStyle::kWindows, "C:", "C:", 2},  // the drive's current folder
        {PathStyle::kWindows, "\\\\server\\share", "\\\\server\\share\\", 0},
        {PathStyle::kWindows, "\x95\x5C", "\x95\x5C\\", 2},  // a second byte that is 0x5C
        {PathStyle::kWindows, "\x95\x5C\\", "\x95\x5C\\", 2},
    };
    for (const auto& c : aCases) {
        StyleScope style(c.eStyle);
        EXPECT_EQ(platform::FolderPrefix(c.pszFolder), c.pszPrefix) << c.pszFolder;
        EXPECT_EQ(platform::FindSeparator(std::string(c.pszFolder) + "/x", 0), c.nSeparator) << c.pszFolder;
    }
    StyleScope windows(PathStyle::kWindows);
    EXPECT_EQ(platform::Separator(), '\\');
    EXPECT_EQ(platform::FindSeparator("a\\b", 2), std::string::npos);
    StyleScope native(PathStyle::kNative);
    EXPECT_EQ(platform::Separator(), '/');
}

TEST(FileSystem, KindsOfPathsAndOfFolderEntriesWhoseLinksAreNotFollowed) {
    TestFolder dir;
    ASSERT_TRUE(SzddWriteFile(dir / "a.ex_", "a"));
    ASSERT_TRUE(platform::MakeFolder((dir / "sub").c_str()));
    EXPECT_TRUE(platform::MakeFolder((dir / "sub").c_str()));  // there already
    EXPECT_FALSE(platform::MakeFolder((dir / "none" + dir.Separator() + "deeper").c_str()));
    EXPECT_EQ(platform::ErrorText(platform::LastError()), "No such file or directory");
    std::string strExpected = "a.ex_:0|sub:1";
#ifdef _WIN32
    const char* pszDevice = "NUL";
#else
    const char* pszDevice = "/dev/null";
    ASSERT_EQ(::symlink("sub", (dir / "link").c_str()), 0);
    strExpected = "a.ex_:0|link:2|sub:1";
    PathKind eLink = PathKind::kOther;
    EXPECT_TRUE(platform::GetPathKind((dir / "link").c_str(), platform::Links::kFollow, &eLink));
    EXPECT_EQ(eLink, PathKind::kFolder);
    EXPECT_TRUE(platform::GetPathKind((dir / "link").c_str(), platform::Links::kDontFollow, &eLink));
    EXPECT_EQ(eLink, PathKind::kLink);
#endif
    std::vector<platform::FolderEntry> entries;
    ASSERT_TRUE(platform::ListFolder(dir.Path(), &entries));
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.strName < b.strName; });
    std::string strSeen;
    for (const auto& entry : entries)
        strSeen += (strSeen.empty() ? "" : "|") + entry.strName + ":" + std::to_string(static_cast<int>(entry.eKind));
    EXPECT_EQ(strSeen, strExpected);

    const struct {
        std::string strPath;
        bool bFound;
        PathKind eKind;
    } aKinds[] = {
        {dir / "a.ex_", true, PathKind::kFile},
        {dir / "sub", true, PathKind::kFolder},
        {pszDevice, true, PathKind::kCharDevice},
#ifdef _WIN32
        // A share's root without its closing backslash, as "\\server\share".
        {"\\\\?\\" + dir.Path().substr(0, 2), true, PathKind::kFolder},
#endif
        {dir / "none", false, PathKind::kOther},
    };
    for (const auto& c : aKinds) {
        PathKind eKind = PathKind::kOther;
        EXPECT_EQ(platform::GetPathKind(c.strPath.c_str(), platform::Links::kFollow, &eKind), c.bFound) << c.strPath;
        EXPECT_EQ(eKind, c.eKind) << c.strPath;
    }
    EXPECT_EQ(platform::ErrorText(platform::LastError()), "No such file or directory");
    EXPECT_FALSE(platform::ListFolder(dir / "none", &entries));
    EXPECT_TRUE(platform::MayRead((dir / "a.ex_").c_str()));
}

// Waits (bounded) until the condition holds.
template <typename Condition>
bool Eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition())
        if (std::chrono::steady_clock::now() > deadline) return false;
    return true;
}

TEST(Ticker, TicksUntilItGoesAndNeverAfter) {
    std::atomic<int> nTicks{0};
    {
        platform::Ticker ticker(1, [&nTicks] { ++nTicks; });
        EXPECT_TRUE(Eventually([&nTicks] { return nTicks.load() >= 3; }));
    }
    const int nAtEnd = nTicks.load();
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
    while (std::chrono::steady_clock::now() < until) {
    }
    EXPECT_EQ(nTicks.load(), nAtEnd);
}

}  // namespace
