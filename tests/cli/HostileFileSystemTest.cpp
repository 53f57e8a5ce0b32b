// zorvane-expand on file systems that others can change while it runs or that hold
// what a disk should not: links out of a tree, swapped folders, long paths, names
// made to look like the tool's own lines.
#include "tests/cli/ToolHarness.h"
#include "tests/platform/TestFolder.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

class HostileFileSystem : public ::testing::Test {
protected:
    std::string Read(const std::string& strName) const {
        std::string s;
        return SzddReadFile(dir / strName, &s) ? s : "<missing>";
    }
    void Compress(const std::string& strName, const std::string& strData) const {
        ASSERT_TRUE(SzddWriteFile(dir / strName, SzddCompress(strData))) << strName;
    }
    void MakeFolders(const std::string& strPath) const {
        for (size_t nEnd = strPath.find('/'); ; nEnd = strPath.find('/', nEnd + 1)) {
            ::mkdir((dir / strPath.substr(0, nEnd)).c_str(), 0777);
            if (nEnd == std::string::npos) break;
        }
    }
    ToolResult Run(const std::vector<std::string>& args) const { return RunTool(dir.Path(), args); }

    TestFolder dir;
};

// Natively a path is as long as the system takes, not the Windows program's 259 bytes.
TEST_F(HostileFileSystem, LongPathsAndExtensionsExpand) {
    const std::string strDeep = std::string(120, 'a') + "/" + std::string(120, 'b') + "/" + std::string(50, 'c');
    MakeFolders(strDeep);
    const std::string strLongExt = "x." + std::string(60, 'e');
    struct Case {
        std::vector<std::string> args;
        std::string strSource, strOutput;
    } const aCases[] = {
        {{strDeep + "/SETUP.EX_"}, strDeep + "/SETUP.EX_", strDeep + "/SETUP.exe"},  // 303 bytes
        {{"-R", "a" + std::string(119, 'a')}, strDeep + "/deep.tx_", strDeep + "/deep.txt"},
        {{strLongExt}, strLongExt, "x.." + std::string(60, 'e')},
    };
    for (const Case& c : aCases) {
        Compress(c.strSource, c.strSource);
        ToolResult r = Run(c.args);
        EXPECT_EQ(r.nStatus, 0) << c.strSource << ": " << r.strErr;
        EXPECT_EQ(Read(c.strOutput), c.strSource);
    }
}

}  // namespace
