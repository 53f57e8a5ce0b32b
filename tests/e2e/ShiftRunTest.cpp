// The Shift batch run, from outside: the program started with names and Shift held
// expands every file beside itself, shows no window and tells by its exit code
// whether every file was expanded.
#include "tests/e2e/E2eSupport.h"
#include "tests/szdd/CabWriter.h"
#include "tests/szdd/KwajWriter.h"
#include "tests/szdd/SzddWriter.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Text-like data with some noise, different for every seed, so that the expansion has
// both literals and matches to get right.
Bytes MakeData(unsigned seed, size_t size)
{
    static const char* const kWords[] = {"setup ", "disk ", "expand ", "file ", "\r\n", "ソフト ", "0123 "};
    Bytes data;
    uint32_t state = seed * 2654435761u + 1;
    while (data.size() < size) {
        state = state * 1103515245u + 12345u;
        if ((state >> 28) == 0) {
            data.push_back(static_cast<uint8_t>(state >> 16));
        } else {
            const std::string word = kWords[(state >> 16) % 7];
            data.insert(data.end(), word.begin(), word.end());
        }
    }
    data.resize(size);
    return data;
}

bool WriteCompressed(const std::string& path, const Bytes& data)
{
    return SzddWriteCompressedFile(path, std::string(data.begin(), data.end()));
}

Bytes ReadBytes(const std::string& path)
{
    Bytes bytes;
    e2e::ReadFileBytes(path, bytes);
    return bytes;
}

std::vector<std::string> Sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

// Each case runs with every reported Windows version.
class ShiftRun : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_version.IsOk(GetParam())) << "cannot set the reported version " << GetParam();
        ASSERT_TRUE(e2e::FileExists(e2e::ProgramPath())) << e2e::ProgramPath();
        ASSERT_TRUE(m_folder.IsValid());
    }

    // Starts the program with the keys held and waits for its end; the keys are
    // released after the program ended, or when anything fails.
    void RunWithKeys(std::initializer_list<WORD> keys, const std::string& arguments, const std::string& folder = {})
    {
        e2e::HeldKeys held(keys);
        ASSERT_TRUE(held.IsOk()) << "the keys are not seen as held";
        ASSERT_TRUE(m_process.Start(e2e::ProgramPath(), arguments, folder));
        ASSERT_TRUE(m_process.WaitWatchingWindows(&m_bSawWindow)) << "the program did not end";
    }

    e2e::ReportedVersion m_version{GetParam()};
    e2e::TempFolder m_folder;
    e2e::Process m_process;
    bool m_bSawWindow = false;
};

INSTANTIATE_TEST_SUITE_P(Versions, ShiftRun, testing::ValuesIn(e2e::kReportedVersions), e2e::ReportedVersionName);

TEST_P(ShiftRun, ExpandsEveryNamedFileBesideItselfShowsNothingAndReportsTheMissingOne)
{
    const std::string soft = "ソフト";  // ソ ends in the byte 0x5C
    ASSERT_EQ(soft.substr(0, 2), "\x83\x5C");
    const std::string spaced = m_folder / "My Files";
    ASSERT_TRUE(CreateDirectoryA(spaced.c_str(), nullptr));

    const Bytes setup = MakeData(1, 20000), unknown = MakeData(2, 3000), softData = MakeData(3, 9000),
                note = MakeData(4, 5000), readOnly = MakeData(5, 7000);
    ASSERT_TRUE(WriteCompressed(m_folder / "SETUP.EX_", setup));
    ASSERT_TRUE(WriteCompressed(m_folder / "README.XY_", unknown));
    ASSERT_TRUE(WriteCompressed(m_folder / (soft + ".EX_"), softData));
    ASSERT_TRUE(WriteCompressed(spaced + "\\NOTE.TX_", note));
    ASSERT_TRUE(WriteCompressed(m_folder / "RO.DL_", readOnly));
    ASSERT_TRUE(SetFileAttributesA((m_folder / "RO.DL_").c_str(), FILE_ATTRIBUTE_READONLY));
    const Bytes readOnlySource = ReadBytes(m_folder / "RO.DL_");

    // A name relative to the program's folder, absolute ones, a quoted one with spaces
    // and one that names no file.
    const std::string arguments = "SETUP.EX_  " + m_folder / "README.XY_" + " " + m_folder / (soft + ".EX_") + " " +
        e2e::Quote(spaced + "\\NOTE.TX_") + " " + m_folder / "MISSING.DL_" + " " + m_folder / "RO.DL_";
    RunWithKeys({VK_SHIFT}, arguments, m_folder.Path());

    EXPECT_FALSE(m_bSawWindow);
    EXPECT_NE(m_process.ExitCode(), 0u);
    EXPECT_NE(m_process.ExitCode(), static_cast<DWORD>(e2e::kKilledExitCode));

    EXPECT_EQ(ReadBytes(m_folder / "SETUP.exe"), setup);
    EXPECT_EQ(ReadBytes(m_folder / "README..XY_"), unknown);
    EXPECT_EQ(ReadBytes(m_folder / (soft + ".exe")), softData);
    EXPECT_EQ(ReadBytes(spaced + "\\NOTE.txt"), note);
    EXPECT_EQ(ReadBytes(m_folder / "RO.dll"), readOnly);
    // The read-only source is left as it was.
    EXPECT_EQ(ReadBytes(m_folder / "RO.DL_"), readOnlySource);
    EXPECT_TRUE(GetFileAttributesA((m_folder / "RO.DL_").c_str()) & FILE_ATTRIBUTE_READONLY);

    // Nothing else was written: no file for the missing name, no partial or temporary files.
    EXPECT_EQ(Sorted(e2e::ListFolder(m_folder.Path())),
              Sorted({"My Files", "README..XY_", "README.XY_", "RO.DL_", "RO.dll", "SETUP.EX_", "SETUP.exe",
                      soft + ".EX_", soft + ".exe"}));
    EXPECT_EQ(Sorted(e2e::ListFolder(spaced)), Sorted({"NOTE.TX_", "NOTE.txt"}));
}

TEST_P(ShiftRun, ARecordedExtensionThatNamesAPathIsRefusedAndNothingLeavesTheFolder)
{
    const std::string in = m_folder / "in";
    ASSERT_TRUE(CreateDirectoryA(in.c_str(), nullptr));
    KwajOptions recorded;
    recorded.nFlags = kKwajExt;
    recorded.strExt = "\\ab";
    const Bytes data = MakeData(9, 3000);
    // Method 0 stores the data as it is.
    ASSERT_TRUE(SzddWriteFile(in + "\\..X_", KwajHeader(0, recorded) + std::string(data.begin(), data.end())));

    RunWithKeys({VK_SHIFT}, in + "\\..X_");

    EXPECT_FALSE(m_bSawWindow);
    EXPECT_EQ(m_process.ExitCode(), 0u);
    // The fallback names it beside its source; the folder above gets nothing.
    EXPECT_EQ(ReadBytes(in + "\\...X_"), data);
    EXPECT_EQ(Sorted(e2e::ListFolder(in)), Sorted({"...X_", "..X_"}));
    EXPECT_EQ(e2e::ListFolder(m_folder.Path()), std::vector<std::string>{"in"});
}

TEST_P(ShiftRun, ACabinetOfOneFileExpandsUnderItsRecordedExtension)
{
    const Bytes data = MakeData(10, 100000);
    ASSERT_TRUE(SzddWriteFile(m_folder / "SETUPAPI.DL_",
                              CabCompress(std::string(data.begin(), data.end()), "setupapi.dll", CabLzx(21))));

    RunWithKeys({VK_SHIFT}, m_folder / "SETUPAPI.DL_");

    EXPECT_FALSE(m_bSawWindow);
    EXPECT_EQ(m_process.ExitCode(), 0u);
    EXPECT_EQ(ReadBytes(m_folder / "SETUPAPI.dll"), data);
}

TEST_P(ShiftRun, AnArchiveIsRefusedWithAWarningAndNothingIsWritten)
{
    ASSERT_TRUE(SzddWriteFile(m_folder / "DRIVERS.CAB", CabArchive({{"a.sys", "a"}, {"b.sys", "b"}, {"c.sys", "c"}},
                                                                   kCabMszip)));
    std::string text;
    {
        e2e::HeldKeys held({VK_SHIFT});
        ASSERT_TRUE(held.IsOk()) << "the keys are not seen as held";
        ASSERT_TRUE(m_process.Start(e2e::ProgramPath(), m_folder / "DRIVERS.CAB"));
        HWND hWndBox = nullptr;
        ASSERT_TRUE(e2e::WaitUntil(
            [&] { return (hWndBox = e2e::FindWindowOfProcess(m_process.Id(), "ファイル展開エラー")) != nullptr; }));
        char szText[512] = {};
        GetWindowTextA(GetDlgItem(hWndBox, 0xFFFF), szText, sizeof szText);
        text = szText;
        PostMessageA(hWndBox, WM_COMMAND, IDOK, 0);
    }
    ASSERT_TRUE(m_process.Wait());
    EXPECT_EQ(text, "DRIVERS.CAB は 3 個のファイルを収めたキャビネットです。\nコマンドライン ツールで展開してください。");
    EXPECT_EQ(m_process.ExitCode(), 1u);
    EXPECT_EQ(e2e::ListFolder(m_folder.Path()), std::vector<std::string>{"DRIVERS.CAB"});
}

TEST_P(ShiftRun, ExitCodeIsZeroWhenEveryFileExpanded)
{
    const Bytes first = MakeData(6, 4096), second = MakeData(7, 1);
    ASSERT_TRUE(WriteCompressed(m_folder / "A.HL_", first));
    ASSERT_TRUE(WriteCompressed(m_folder / "B.WA_", second));

    RunWithKeys({VK_SHIFT}, m_folder / "A.HL_" + " " + m_folder / "B.WA_");

    EXPECT_FALSE(m_bSawWindow);
    EXPECT_EQ(m_process.ExitCode(), 0u);
    EXPECT_EQ(ReadBytes(m_folder / "A.hlp"), first);
    EXPECT_EQ(ReadBytes(m_folder / "B.wav"), second);
}

TEST_P(ShiftRun, WithoutNamesEndsAtOnceWithZeroAndShowsNothing)
{
    RunWithKeys({VK_SHIFT}, "");
    EXPECT_FALSE(m_bSawWindow);
    EXPECT_EQ(m_process.ExitCode(), 0u);
}

TEST_P(ShiftRun, ShiftWithCtrlExpandsBesideTheSourceWithoutAskingForAFolder)
{
    const Bytes data = MakeData(8, 12000);
    ASSERT_TRUE(WriteCompressed(m_folder / "DOC.DO_", data));

    RunWithKeys({VK_CONTROL, VK_SHIFT}, m_folder / "DOC.DO_");

    EXPECT_FALSE(m_bSawWindow) << "a folder prompt or another window was shown";
    EXPECT_EQ(m_process.ExitCode(), 0u);
    EXPECT_EQ(ReadBytes(m_folder / "DOC.doc"), data);
    EXPECT_EQ(Sorted(e2e::ListFolder(m_folder.Path())), Sorted({"DOC.DO_", "DOC.doc"}));
}

}  // namespace
