// A test of the tool that runs it in a folder of its own, with the few steps every
// such test takes on that folder.
#pragma once
#include "platform/FileSystem.h"
#include "tests/cli/ToolHarness.h"
#include "tests/platform/TestFolder.h"
#include "tests/szdd/SzddWriter.h"

#include <gtest/gtest.h>

class ToolTest : public ::testing::Test {
protected:
    std::string Read(const std::string& strName) const {
        std::string s;
        return SzddReadFile(dir / strName, &s) ? s : "<missing>";
    }
    void Write(const std::string& strName, const std::string& strBytes) const {
        ASSERT_TRUE(SzddWriteFile(dir / strName, strBytes)) << strName;
    }
    void MakeFolder(const std::string& strName) const {
        ASSERT_TRUE(platform::MakeFolder((dir / strName).c_str())) << strName;
    }
    ToolResult Run(const std::vector<std::string>& args, Terminal eTerminal = Terminal::kNone) const {
        return RunTool(dir.Path(), args, eTerminal);
    }

    TestFolder dir;
};
