// The data offered by a drag-out: the drop-file block byte for byte, what is
// declined, and the COM objects behind it (data object, enumerator, drop source).
#include "core/CompressedFile.h"
#include "framework/OleDataSource.h"
#include "framework/OleDropSource.h"
#include "tests/support/MainDlgHarness.h"
#include "tests/szdd/SzddWriter.h"
#include "ui/main/FileDataSource.h"
#include <gtest/gtest.h>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

std::string ReadAll(const std::string& path)
{
    std::string data;
    SzddReadFile(path, &data);
    return data;
}

// Source files in a folder of their own; the drag-out copies land in the temporary folder.
class DragOutDataTest : public testing::Test {
protected:
    // A compressed source with the given expanded content; its copy is deleted afterwards.
    CCompressedFile* Source(const std::string& name, const std::string& content, const std::string& copyName)
    {
        const std::string path = m_folder.Path(name);
        EXPECT_TRUE(SzddWriteCompressedFile(path, content));
        m_folder.RemoveWithFolder(TempPath() + copyName);
        m_files.push_back(std::make_unique<CCompressedFile>(path.c_str()));
        return m_files.back().get();
    }

    static FORMATETC HDrop(DWORD tymed = TYMED_HGLOBAL)
    {
        return {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, tymed};
    }

    // The block of one GetData request, or empty when it was declined.
    static std::string Request(CFileDataSource& source, HRESULT* pResult = nullptr)
    {
        FORMATETC format = HDrop();
        STGMEDIUM medium = {};
        const HRESULT hr = source.GetDataObject()->GetData(&format, &medium);
        if (pResult)
            *pResult = hr;
        if (FAILED(hr))
            return {};
        EXPECT_EQ(medium.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
        EXPECT_EQ(medium.pUnkForRelease, nullptr);
        return TakeBlock(medium.hGlobal);
    }

    static std::string TakeBlock(HGLOBAL hGlobal)
    {
        const SIZE_T nSize = GlobalSize(hGlobal);
        const void* p = GlobalLock(hGlobal);
        // A movable block: its handle is not its address.
        EXPECT_NE(p, static_cast<const void*>(hGlobal));
        std::string block(static_cast<const char*>(p), nSize);
        GlobalUnlock(hGlobal);
        GlobalFree(hGlobal);
        return block;
    }

    static std::string Header()
    {
        return std::string("\x14\0\0\0", 4) + std::string(16, '\0');
    }

    CTempFolder m_folder;  // outlives the entries
    std::vector<std::unique_ptr<CCompressedFile>> m_files;
};

TEST_F(DragOutDataTest, SingleEntryIsExpandedIntoTheTemporaryFolderAndListedInTheBlock)
{
    CCompressedFile* pSetup = Source("SETUP.EX_", "program bytes program bytes", "SETUP.exe");
    CFileDataSource source;
    source.AddFile(*pSetup);
    source.DelayRenderData(CF_HDROP);
    const std::string copy = TempPath() + "SETUP.exe";
    EXPECT_FALSE(FileExists(copy)) << "nothing is expanded before a receiver asks";

    const std::string block = Request(source);
    EXPECT_EQ(block, Header() + copy + std::string(5, '\0'));
    // The 50 bytes of C:\Windows\Temp\SETUP.exe, for this system's temporary folder.
    EXPECT_EQ(block.size(), 20 + copy.size() + 1 + 4);
    EXPECT_EQ(ReadAll(copy), "program bytes program bytes");
}

TEST_F(DragOutDataTest, EveryRequestExpandsAnewAndGivesANewBlock)
{
    CCompressedFile* pSetup = Source("SETUP.EX_", "first and only", "SETUP.exe");
    CFileDataSource source;
    source.AddFile(*pSetup);
    source.DelayRenderData(CF_HDROP);
    const std::string copy = TempPath() + "SETUP.exe";

    const std::string first = Request(source);
    ASSERT_TRUE(SzddWriteFile(copy, "spoilt"));
    const std::string second = Request(source);
    EXPECT_EQ(first, second);
    EXPECT_EQ(ReadAll(copy), "first and only");
}

TEST_F(DragOutDataTest, BlockListsOnlyTheFilesThatWereWrittenInArrayOrder)
{
    CCompressedFile* pB = Source("B.TX_", "bee", "B.txt");
    CCompressedFile* pUnknown = Source("C.QQ_", "sea", "C..QQ_");
    auto pMissing = std::make_unique<CCompressedFile>(m_folder.Path("GONE.EX_").c_str());
    CCompressedFile* pA = Source("A.DL_", "ay", "A.dll");
    CFileDataSource source;
    for (const CCompressedFile* pFile : {pB, pMissing.get(), pUnknown, pA})
        source.AddFile(*pFile);
    source.DelayRenderData(CF_HDROP);

    const std::string block = Request(source);
    // An entry without extension is expanded under its own one, after the name's dot.
    const std::string list = TempPath() + "B.txt" + '\0' + TempPath() + "C..QQ_" + '\0' + TempPath() +
                             "A.dll" + '\0';
    EXPECT_EQ(block, Header() + list + std::string(4, '\0'));
    EXPECT_EQ(ReadAll(TempPath() + "C..QQ_"), "sea");
    EXPECT_STREQ(pUnknown->m_szExt, "") << "the drag leaves the list's entries as they were";
}

TEST_F(DragOutDataTest, RequestIsDeclinedWhenNoFileCouldBeWrittenOrNoneIsDragged)
{
    auto pMissing = std::make_unique<CCompressedFile>(m_folder.Path("GONE.EX_").c_str());
    CFileDataSource source;
    source.AddFile(*pMissing);
    source.DelayRenderData(CF_HDROP);
    HRESULT hr = S_OK;
    EXPECT_EQ(Request(source, &hr), "");
    EXPECT_EQ(hr, DV_E_FORMATETC);

    CFileDataSource empty;
    empty.DelayRenderData(CF_HDROP);
    EXPECT_EQ(Request(empty, &hr), "");
    EXPECT_EQ(hr, DV_E_FORMATETC);
    // The block of an empty list itself: the header and four zero bytes.
    EXPECT_EQ(TakeBlock(CFileDataSource::BuildDropFiles({})), Header() + std::string(4, '\0'));
}

TEST_F(DragOutDataTest, OtherFormatsAndTheReceiversOwnStorageAreDeclinedWithoutExpanding)
{
    CCompressedFile* pSetup = Source("SETUP.EX_", "data", "SETUP.exe");
    CFileDataSource source;
    source.AddFile(*pSetup);
    source.DelayRenderData(CF_HDROP);
    IDataObject* pData = source.GetDataObject();

    FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    EXPECT_EQ(pData->GetData(&text, &medium), DV_E_FORMATETC);
    EXPECT_EQ(pData->QueryGetData(&text), DV_E_FORMATETC);
    FORMATETC stream = HDrop(TYMED_ISTREAM);
    EXPECT_EQ(pData->GetData(&stream, &medium), DV_E_TYMED);
    FORMATETC thumbnail = HDrop();
    thumbnail.dwAspect = DVASPECT_THUMBNAIL;
    EXPECT_EQ(pData->QueryGetData(&thumbnail), DV_E_DVASPECT);
    FORMATETC item = HDrop();
    item.lindex = 0;
    EXPECT_EQ(pData->QueryGetData(&item), DV_E_LINDEX);

    FORMATETC hdrop = HDrop(TYMED_HGLOBAL | TYMED_ISTREAM);
    EXPECT_EQ(pData->QueryGetData(&hdrop), S_OK);
    STGMEDIUM own = {};
    own.tymed = TYMED_HGLOBAL;
    own.hGlobal = GlobalAlloc(GMEM_MOVEABLE, 4096);
    EXPECT_EQ(pData->GetDataHere(&hdrop, &own), DV_E_FORMATETC);
    GlobalFree(own.hGlobal);
    EXPECT_FALSE(FileExists(TempPath() + "SETUP.exe"));
    EXPECT_EQ(pData->SetData(&hdrop, &own, FALSE), E_NOTIMPL);
}

TEST_F(DragOutDataTest, DeleteExpandedFilesRemovesTheCopiesButNeverASource)
{
    CCompressedFile* pA = Source("A.DL_", "ay", "A.dll");
    CCompressedFile* pNever = Source("N.TX_", "never", "N.txt");
    ASSERT_TRUE(pA->Expand(TempPath().c_str()));
    // An output path that names the source itself is left alone.
    std::strcpy(pNever->m_szOutputPath, pNever->m_szPath);
    CFileDataSource source;
    source.AddFile(*pA);
    source.AddFile(*pNever);
    source.DeleteExpandedFiles();
    EXPECT_FALSE(FileExists(TempPath() + "A.dll"));
    EXPECT_TRUE(FileExists(pNever->m_szPath));
    EXPECT_TRUE(FileExists(pA->m_szPath));
}

TEST_F(DragOutDataTest, DragWithoutDropDeletesTheCopiesOfEveryRequestEvenAfterALaterOneFailed)
{
    CCompressedFile* pA = Source("A.TX_", "ay", "A.txt");
    CCompressedFile* pB = Source("B.TX_", "bee", "B.txt");
    CFileDataSource source;
    source.AddFile(*pA);
    source.AddFile(*pB);
    source.DelayRenderData(CF_HDROP);
    ASSERT_NE(Request(source), "");
    ASSERT_TRUE(FileExists(TempPath() + "A.txt"));

    // The receiver asks again; now one source is gone and the other ends early.
    ASSERT_TRUE(DeleteFileA(pA->m_szPath));
    ASSERT_TRUE(SzddWriteFile(pB->m_szPath, SzddHeader(100)));
    EXPECT_EQ(Request(source), "");
    source.DeleteExpandedFiles();
    EXPECT_FALSE(FileExists(TempPath() + "A.txt"));
    EXPECT_FALSE(FileExists(TempPath() + "B.txt"));
    EXPECT_TRUE(FileExists(pB->m_szPath));
}

TEST_F(DragOutDataTest, OnlyTheFilesOfTheLastBlockAreDeliveredAndADropDeletesTheOtherCopies)
{
    CCompressedFile* pA = Source("A.TX_", "ay", "A.txt");
    CCompressedFile* pB = Source("B.TX_", "bee", "B.txt");
    auto pMissing = std::make_unique<CCompressedFile>(m_folder.Path("GONE.TX_").c_str());
    CFileDataSource source;
    for (const CCompressedFile* pFile : {pA, pB, pMissing.get()})
        source.AddFile(*pFile);
    source.DelayRenderData(CF_HDROP);
    ASSERT_NE(Request(source), "");
    EXPECT_TRUE(source.WasDelivered(*pA));
    EXPECT_TRUE(source.WasDelivered(*pB));
    EXPECT_FALSE(source.WasDelivered(*pMissing));

    ASSERT_TRUE(DeleteFileA(pA->m_szPath));
    EXPECT_EQ(Request(source), Header() + TempPath() + "B.txt" + std::string(5, '\0'));
    EXPECT_FALSE(source.WasDelivered(*pA));
    EXPECT_TRUE(source.WasDelivered(*pB));

    source.DeleteUndeliveredFiles();
    EXPECT_FALSE(FileExists(TempPath() + "A.txt"));
    EXPECT_EQ(ReadAll(TempPath() + "B.txt"), "bee");
}

// The clean-ups run after the list freed the dragged entries and the heap gave their
// storage to new ones that name other files: only what the drag itself wrote may go.
TEST_F(DragOutDataTest, CleanUpAfterTheEntriesWereFreedDeletesOnlyTheDragsOwnCopies)
{
    struct Case {
        bool bDropped;
        bool bDeliveredCopyStays;
    } cases[] = {{true, true}, {false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bDropped ? "dropped" : "not dropped");
        CCompressedFile* pA = Source("A.TX_", "ay", "A.txt");
        CCompressedFile* pB = Source("B.TX_", "bee", "B.txt");
        const std::string unrelated = m_folder.Path("UNRELATED.txt");
        ASSERT_TRUE(SzddWriteFile(unrelated, "keep"));
        CFileDataSource source;
        source.AddFile(*pA);
        source.AddFile(*pB);
        source.DelayRenderData(CF_HDROP);
        ASSERT_NE(Request(source), "");
        // The last request delivers A alone: B's copy was written but not handed over.
        ASSERT_TRUE(DeleteFileA(pB->m_szPath));
        ASSERT_EQ(Request(source), Header() + TempPath() + "A.txt" + std::string(5, '\0'));
        const std::string sourceA = pA->m_szPath;

        for (CCompressedFile* pFreed : {pA, pB}) {
            pFreed->~CCompressedFile();
            new (pFreed) CCompressedFile((TempPath() + "B.txt").c_str());
            std::strcpy(pFreed->m_szOutputPath, unrelated.c_str());
        }
        if (c.bDropped)
            source.DeleteUndeliveredFiles();
        else
            source.DeleteExpandedFiles();
        EXPECT_EQ(FileExists(TempPath() + "A.txt"), c.bDeliveredCopyStays);
        EXPECT_FALSE(FileExists(TempPath() + "B.txt"));
        EXPECT_TRUE(FileExists(sourceA));
        EXPECT_TRUE(FileExists(unrelated));
    }
}

TEST(OleDataSourceTest, OffersItsFormatsThroughACorrectEnumerator)
{
    COleDataSource source;
    source.DelayRenderData(CF_HDROP);
    source.DelayRenderData(CF_TEXT);
    IEnumFORMATETC* pEnum = nullptr;
    EXPECT_EQ(source.GetDataObject()->EnumFormatEtc(DATADIR_SET, &pEnum), E_NOTIMPL);
    ASSERT_EQ(source.GetDataObject()->EnumFormatEtc(DATADIR_GET, &pEnum), S_OK);

    FORMATETC got[3] = {};
    ULONG nFetched = 99;
    EXPECT_EQ(pEnum->Next(3, got, &nFetched), S_FALSE);
    ASSERT_EQ(nFetched, 2u);
    EXPECT_EQ(got[0].cfFormat, CF_HDROP);
    EXPECT_EQ(got[0].ptd, nullptr);
    EXPECT_EQ(got[0].dwAspect, static_cast<DWORD>(DVASPECT_CONTENT));
    EXPECT_EQ(got[0].lindex, -1);
    EXPECT_EQ(got[0].tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_EQ(got[1].cfFormat, CF_TEXT);
    EXPECT_EQ(pEnum->Next(1, got, nullptr), S_FALSE);
    EXPECT_EQ(pEnum->Next(2, got, nullptr), E_POINTER);

    EXPECT_EQ(pEnum->Reset(), S_OK);
    EXPECT_EQ(pEnum->Skip(1), S_OK);
    IEnumFORMATETC* pClone = nullptr;
    ASSERT_EQ(pEnum->Clone(&pClone), S_OK);
    EXPECT_EQ(pEnum->Skip(2), S_FALSE);
    // The clone goes on from where the original was.
    EXPECT_EQ(pClone->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0].cfFormat, CF_TEXT);
    EXPECT_EQ(pClone->Release(), 0u);
    EXPECT_EQ(pEnum->Release(), 0u);
}

TEST(OleDataSourceTest, CountsReferencesAndOutlivesItsOwnerSafely)
{
    IDataObject* pData = nullptr;
    {
        COleDataSource source;
        source.DelayRenderData(CF_HDROP);
        pData = source.GetDataObject();
        IUnknown* pUnknown = nullptr;
        ASSERT_EQ(pData->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnknown)), S_OK);
        EXPECT_EQ(static_cast<void*>(pUnknown), static_cast<void*>(pData));
        void* pOther = reinterpret_cast<void*>(1);
        EXPECT_EQ(pData->QueryInterface(IID_IDropTarget, &pOther), E_NOINTERFACE);
        EXPECT_EQ(pOther, nullptr);
        EXPECT_EQ(pUnknown->Release(), 1u);
        EXPECT_EQ(pData->AddRef(), 2u);
    }
    // A receiver that kept its reference gets errors, not a destroyed object.
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    EXPECT_EQ(pData->GetData(&format, &medium), E_UNEXPECTED);
    EXPECT_EQ(pData->QueryGetData(&format), E_UNEXPECTED);
    EXPECT_EQ(pData->Release(), 0u);
}

TEST(OleDropSourceTest, DropsOnReleaseOfTheButtonAndCancelsOnEscOrTheOtherButton)
{
    COleDropSource source;
    IDropSource* pSource = source.GetDropSource();
    EXPECT_EQ(pSource->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
    EXPECT_EQ(pSource->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
    EXPECT_EQ(pSource->QueryContinueDrag(FALSE, MK_LBUTTON | MK_SHIFT), S_OK);
    EXPECT_EQ(pSource->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(pSource->QueryContinueDrag(FALSE, MK_LBUTTON | MK_RBUTTON), DRAGDROP_S_CANCEL);
    EXPECT_EQ(pSource->GiveFeedback(DROPEFFECT_MOVE), DRAGDROP_S_USEDEFAULTCURSORS);
    EXPECT_EQ(pSource->AddRef(), 2u);
    EXPECT_EQ(pSource->Release(), 1u);
}

// A window of the test that takes the mouse while a drag waits to begin.
class DragStartTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_hWnd = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 300, 300, 200, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(m_hWnd, nullptr);
        PumpPendingMessages();
        // A pointer that no input has placed yet has no reliable position on some systems.
        SetCursorPos(400, 400);
        GetCursorPos(&m_ptStart);
    }
    void TearDown() override
    {
        DestroyWindow(m_hWnd);
        WriteProfileStringA("windows", "DragMinDist", nullptr);
        WriteProfileStringA("windows", "DragDelay", nullptr);
    }

    // A mouse move to the start position plus the offset, as the window receives it.
    void PostMove(int dx, int dy)
    {
        POINT pt = {m_ptStart.x + dx, m_ptStart.y + dy};
        ScreenToClient(m_hWnd, &pt);
        PostMessageA(m_hWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
    }

    // Whether the drag began, and after how many milliseconds.
    bool Begin(DWORD* pElapsed = nullptr)
    {
        COleDropSource source;
        const DWORD dwStart = GetTickCount();
        const bool bBegun = source.OnBeginDrag(m_hWnd);
        if (pElapsed)
            *pElapsed = GetTickCount() - dwStart;
        EXPECT_NE(GetCapture(), m_hWnd) << "the capture is given back";
        return bBegun;
    }

    // A delay that an attempt which does not wait for it cannot come near, however slow
    // the machine: what ends such an attempt is then told apart from the delay running out.
    static void UseLongDelay() { ASSERT_TRUE(WriteProfileStringA("windows", "DragDelay", "60000")); }
    static constexpr DWORD kFarBelowTheLongDelay = 30000;

    HWND m_hWnd = nullptr;
    POINT m_ptStart = {};
};

TEST_F(DragStartTest, ButtonOrEscBeforeTheDragBeginsEndsTheAttempt)
{
    UseLongDelay();
    const UINT endings[] = {WM_LBUTTONUP, WM_RBUTTONDOWN, WM_LBUTTONDOWN, WM_RBUTTONUP};
    for (UINT msg : endings) {
        PostMessageA(m_hWnd, msg, 0, 0);
        DWORD dwElapsed = 0;
        EXPECT_FALSE(Begin(&dwElapsed)) << "message " << msg;
        EXPECT_LT(dwElapsed, kFarBelowTheLongDelay);
    }
    PostMessageA(m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_FALSE(Begin());
}

TEST_F(DragStartTest, LeavingTheSquareBeginsAtOnceAndStayingInsideWaitsForTheDelay)
{
    // Two pixels away is still inside; the default delay of 200 ms then starts the drag.
    PostMove(2, -2);
    DWORD dwElapsed = 0;
    EXPECT_TRUE(Begin(&dwElapsed));
    EXPECT_GE(dwElapsed, 190u);

    UseLongDelay();
    PostMove(3, 0);
    EXPECT_TRUE(Begin(&dwElapsed));
    EXPECT_LT(dwElapsed, kFarBelowTheLongDelay);
}

TEST_F(DragStartTest, ThresholdsComeFromTheWindowsSectionOfTheProfile)
{
    ASSERT_TRUE(WriteProfileStringA("windows", "DragMinDist", "10"));
    ASSERT_TRUE(WriteProfileStringA("windows", "DragDelay", "500"));
    PostMove(8, 8);
    DWORD dwElapsed = 0;
    EXPECT_TRUE(Begin(&dwElapsed));
    EXPECT_GE(dwElapsed, 490u);

    UseLongDelay();
    PostMove(0, 11);
    EXPECT_TRUE(Begin(&dwElapsed));
    EXPECT_LT(dwElapsed, kFarBelowTheLongDelay);
}

}  // namespace
