// Real drags out of the main window's list under the mouse (SendInput): onto a
// window of this test that takes the files, and drags that end without a drop.
#include "tests/szdd/SzddWriter.h"
#include "tests/support/MainDlgHarness.h"
#include <shellapi.h>
#include <atomic>

namespace {

// A receiver of dropped files, as a folder window is one.
class CTestDropTarget final : public IDropTarget {
public:
    bool m_bRefuse = false;        // answers every position with no effect
    bool m_bRequestOnEnter = true;  // asks for the data as soon as the drag enters, as the shell does
    bool m_bKeepData = false;       // keeps the data object after the drop, as a copy in progress does
    HWND m_hWndMain = nullptr;

    std::atomic<int> m_nEnter{0}, m_nOver{0}, m_nLeave{0}, m_nDrop{0};
    DWORD m_dwAllowed = 0;
    bool m_bMainAcceptedFilesDuringDrag = true;
    std::vector<std::string> m_enterPaths;    // the block's paths at DragEnter
    bool m_bEnterFilesExisted = false;
    std::vector<std::string> m_dropPaths;     // the block's paths at Drop
    std::vector<std::string> m_dropContents;  // what those files held at Drop
    IDataObject* m_pKeptData = nullptr;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override
    {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDropTarget)) {
            *ppv = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // Lives on the test's stack, longer than any registration.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* pData, DWORD, POINTL, DWORD* pdwEffect) override
    {
        ++m_nEnter;
        m_dwAllowed = *pdwEffect;
        m_bMainAcceptedFilesDuringDrag = (GetWindowLongPtrA(m_hWndMain, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0;
        if (m_bRequestOnEnter) {
            m_enterPaths = Paths(pData);
            m_bEnterFilesExisted = !m_enterPaths.empty();
            for (const std::string& path : m_enterPaths)
                m_bEnterFilesExisted &= FileExists(path);
        }
        *pdwEffect = Answer(*pdwEffect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* pdwEffect) override
    {
        ++m_nOver;
        *pdwEffect = Answer(*pdwEffect);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override
    {
        ++m_nLeave;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* pData, DWORD, POINTL, DWORD* pdwEffect) override
    {
        m_dropPaths = Paths(pData);
        if (m_bKeepData) {
            pData->AddRef();
            m_pKeptData = pData;
        }
        for (const std::string& path : m_dropPaths) {
            std::string content;
            SzddReadFile(path, &content);
            m_dropContents.push_back(content);
        }
        *pdwEffect = Answer(*pdwEffect);
        ++m_nDrop;
        return S_OK;
    }

private:
    DWORD Answer(DWORD dwAllowed) const { return m_bRefuse ? DROPEFFECT_NONE : (dwAllowed & DROPEFFECT_MOVE); }

    static std::vector<std::string> Paths(IDataObject* pData)
    {
        std::vector<std::string> paths;
        FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        if (FAILED(pData->GetData(&format, &medium)))
            return paths;
        HDROP hDrop = static_cast<HDROP>(medium.hGlobal);
        const UINT nCount = DragQueryFileA(hDrop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < nCount; ++i) {
            char sz[MAX_PATH] = {};
            DragQueryFileA(hDrop, i, sz, MAX_PATH);
            paths.push_back(sz);
        }
        ReleaseStgMedium(&medium);
        return paths;
    }
};

// The receiver's window, beside the main window.
class CTargetWindow {
public:
    explicit CTargetWindow(CTestDropTarget& target)
    {
        // SS_NOTIFY: a plain static is transparent to the pointer, so no drop would find it.
        m_hWnd = CreateWindowExA(WS_EX_TOPMOST, "STATIC", "drop here", WS_POPUP | WS_VISIBLE | WS_BORDER | SS_NOTIFY, 1040, 80,
                                 200, 200, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(RegisterDragDrop(m_hWnd, &target), S_OK);
    }
    ~CTargetWindow()
    {
        RevokeDragDrop(m_hWnd);
        DestroyWindow(m_hWnd);
    }
    POINT Centre() const
    {
        RECT rc;
        GetWindowRect(m_hWnd, &rc);
        return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    HWND m_hWnd = nullptr;
};

// Paces the input as a hand does; the waits that matter are on conditions.
void Pause(int nMs)
{
    Sleep(nMs);
}

POINT Glide(POINT from, POINT to)
{
    for (int i = 1; i <= 12; ++i) {
        MovePointerTo({from.x + (to.x - from.x) * i / 12, from.y + (to.y - from.y) * i / 12});
        Pause(25);
    }
    return to;
}

// The id of a message box's text.
const int kMessageBoxText = 0xFFFF;

enum class Ending { Drop, Escape, OntoMainWindow };

// Presses on the row, drags onto the target, ends the drag the given way.
struct DragRun {
    POINT ptRow;
    POINT ptTarget;
    POINT ptMain;  // a point of the main window outside the list
    Ending ending;
    CTestDropTarget* pTarget;
    std::atomic<bool> bDone{false};
    bool bReachedTarget = false;

    void operator()()
    {
        MovePointerTo(ptRow);
        Pause(100);
        SendLeftButton(true);
        Pause(100);
        POINT pt = Glide(ptRow, {ptRow.x + 30, ptRow.y + 10});
        pt = Glide(pt, ptTarget);
        bReachedTarget = WaitFor([&] { return pTarget->m_nOver > 0; }, 4000);
        switch (ending) {
        case Ending::Drop:
            break;
        case Ending::Escape:
            SendKey(VK_ESCAPE, false);
            Pause(50);
            SendKey(VK_ESCAPE, true);
            WaitFor([&] { return pTarget->m_nLeave > 0; }, 2000);
            break;
        case Ending::OntoMainWindow:
            Glide(pt, ptMain);
            WaitFor([&] { return pTarget->m_nLeave > 0; }, 2000);
            Pause(150);
            break;
        }
        SendLeftButton(false);
        Pause(100);
        bDone = true;
    }
};

class DragOutDragTest : public testing::Test {
protected:
    // A compressed source; its drag-out copy in the temporary folder is deleted afterwards.
    std::string Source(const std::string& name, const std::string& content, const std::string& copyName)
    {
        const std::string path = m_folder.Path(name);
        EXPECT_TRUE(SzddWriteCompressedFile(path, content));
        m_folder.RemoveWithFolder(TempPath() + copyName);
        return path;
    }

    // Runs one drag from row nPressRow of the selection; the script's checks run after it.
    void Drag(CDrivenMainDlg& d, CTestDropTarget& target, int nPressRow, Ending ending)
    {
        target.m_hWndMain = d.m_hWnd;
        CTargetWindow window(target);
        PumpPendingMessages();

        RECT rcRow = {LVIR_LABEL, 0, 0, 0};
        SendMessageA(d.List(), LVM_GETITEMRECT, static_cast<WPARAM>(nPressRow), reinterpret_cast<LPARAM>(&rcRow));
        POINT ptRow = {rcRow.left + 40, (rcRow.top + rcRow.bottom) / 2};
        ClientToScreen(d.List(), &ptRow);
        RECT rcMain;
        GetWindowRect(d.GetDlgItem(IDC_BROWSE_DEST), &rcMain);
        const POINT ptMain = {rcMain.right + 30, (rcMain.top + rcMain.bottom) / 2};

        DragRun run{ptRow, window.Centre(), ptMain, ending, &target};
        CTestThread input([&run] { run(); });
        const bool bFinished = PumpMessagesUntil([&] { return run.bDone.load(); }, 15000);
        input.join();
        PumpPendingMessages();
        EXPECT_TRUE(bFinished);
        EXPECT_TRUE(run.bReachedTarget) << "the drag never reached the target window";
        EXPECT_EQ(GetCapture(), nullptr);
    }

    static bool AcceptsFiles(HWND hWnd) { return (GetWindowLongPtrA(hWnd, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; }

    CTempFolder m_folder;
};

TEST_F(DragOutDragTest, DropOntoAReceiverDeliversTheSelectedFilesInRowOrderAndRemovesTheRows)
{
    const std::string a = Source("ALPHA.TX_", "alpha text", "ALPHA.txt");
    const std::string b = Source("BETA.TX_", "beta text", "BETA.txt");
    const std::string c = Source("GAMMA.DL_", "gamma library", "GAMMA.dll");
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {a, b, c};
    CTestDropTarget target;
    std::vector<std::string> rowsAfter;
    std::string status;
    bool bAcceptsAfter = false;
    dlg.Run([&](CDrivenMainDlg& d) {
        // Selected bottom row first; the pointer presses the bottom row.
        d.Select({2, 0});
        Drag(d, target, 2, Ending::Drop);
        rowsAfter = d.Column(0);
        status = d.StatusText(0);
        bAcceptsAfter = AcceptsFiles(d.m_hWnd);
    });
    EXPECT_EQ(target.m_dwAllowed, static_cast<DWORD>(DROPEFFECT_MOVE));
    EXPECT_FALSE(target.m_bMainAcceptedFilesDuringDrag);
    EXPECT_TRUE(bAcceptsAfter);
    ASSERT_EQ(target.m_nDrop, 1);
    EXPECT_EQ(target.m_dropPaths, (std::vector<std::string>{TempPath() + "ALPHA.txt", TempPath() + "GAMMA.dll"}));
    EXPECT_EQ(target.m_dropContents, (std::vector<std::string>{"alpha text", "gamma library"}));
    // The receiver has the files: nothing of them is deleted.
    EXPECT_TRUE(FileExists(TempPath() + "ALPHA.txt"));
    EXPECT_EQ(rowsAfter, (std::vector<std::string>{b}));
    EXPECT_EQ(status, "1 個のファイル");
}

TEST_F(DragOutDragTest, RowsWhoseFileWasNotDeliveredStaySelectedAndTheUserIsTold)
{
    const std::string a = Source("ALPHA.TX_", "alpha text", "ALPHA.txt");
    const std::string gone = m_folder.Path("GONE.TX_");
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {a, gone};
    CTestDropTarget target;
    std::vector<std::string> rowsAfter;
    bool bGoneSelected = false;
    std::string caption;
    std::string message;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0, 1});
        d.Expect([&](HWND hWnd) {
            caption = WindowText(hWnd);
            message = DlgItemText(hWnd, kMessageBoxText);
            PostMessageA(hWnd, WM_COMMAND, IDOK, 0);
        });
        Drag(d, target, 0, Ending::Drop);
        rowsAfter = d.Column(0);
        bGoneSelected = SendMessageA(d.List(), LVM_GETITEMSTATE, 0, LVIS_SELECTED) == LVIS_SELECTED;
    });
    ASSERT_EQ(target.m_nDrop, 1);
    EXPECT_EQ(target.m_dropPaths, (std::vector<std::string>{TempPath() + "ALPHA.txt"}));
    EXPECT_EQ(rowsAfter, (std::vector<std::string>{gone}));
    EXPECT_TRUE(bGoneSelected);
    EXPECT_EQ(caption, "ファイル展開エラー");
    EXPECT_EQ(message, "展開できなかったファイルがあります。\nそれらのファイルはリストに残っています。");
    EXPECT_TRUE(dlg.m_boxes.empty());
}

TEST_F(DragOutDragTest, AReceiverAskingAgainDuringTheWarningGetsNothingAndNoCopyIsLeft)
{
    const std::string a = Source("ALPHA.TX_", "alpha text", "ALPHA.txt");
    const std::string gone = m_folder.Path("GONE.TX_");
    m_folder.RemoveWithFolder(TempPath() + "GONE.txt");
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {a, gone};
    CTestDropTarget target;
    target.m_bKeepData = true;
    HRESULT hrLate = S_OK;
    std::vector<std::string> rowsAfter;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0, 1});
        d.Expect([&](HWND hWnd) {
            // The delivered row's entry is freed; the other file could be expanded now,
            // but no clean-up would follow.
            EXPECT_TRUE(SzddWriteCompressedFile(gone, "late text"));
            FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
            STGMEDIUM medium = {};
            hrLate = target.m_pKeptData ? target.m_pKeptData->GetData(&format, &medium) : E_POINTER;
            if (SUCCEEDED(hrLate))
                ReleaseStgMedium(&medium);
            PostMessageA(hWnd, WM_COMMAND, IDOK, 0);
        });
        Drag(d, target, 0, Ending::Drop);
        rowsAfter = d.Column(0);
    });
    ASSERT_NE(target.m_pKeptData, nullptr);
    target.m_pKeptData->Release();
    EXPECT_EQ(target.m_dropPaths, (std::vector<std::string>{TempPath() + "ALPHA.txt"}));
    EXPECT_EQ(hrLate, DV_E_FORMATETC);
    EXPECT_FALSE(FileExists(TempPath() + "GONE.txt"));
    EXPECT_TRUE(FileExists(TempPath() + "ALPHA.txt")) << "the receiver's file stays";
    EXPECT_TRUE(FileExists(a));
    EXPECT_EQ(rowsAfter, (std::vector<std::string>{gone}));
}

TEST_F(DragOutDragTest, EscDuringTheDragKeepsTheRowsAndDeletesTheCopies)
{
    const std::string a = Source("ALPHA.TX_", "alpha text", "ALPHA.txt");
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {a};
    CTestDropTarget target;
    std::vector<std::string> rowsAfter;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0});
        Drag(d, target, 0, Ending::Escape);
        rowsAfter = d.Column(0);
        EXPECT_TRUE(AcceptsFiles(d.m_hWnd));
    });
    EXPECT_TRUE(target.m_bEnterFilesExisted);
    EXPECT_EQ(target.m_nDrop, 0);
    EXPECT_FALSE(FileExists(TempPath() + "ALPHA.txt"));
    EXPECT_EQ(rowsAfter, (std::vector<std::string>{a}));
}

TEST_F(DragOutDragTest, RefusingReceiverKeepsTheRowsAndDeletesTheCopies)
{
    const std::string a = Source("ALPHA.TX_", "alpha text", "ALPHA.txt");
    const std::string b = Source("BETA.TX_", "beta text", "BETA.txt");
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {a, b};
    CTestDropTarget target;
    target.m_bRefuse = true;
    std::vector<std::string> rowsAfter;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0, 1});
        Drag(d, target, 0, Ending::Drop);
        rowsAfter = d.Column(0);
    });
    EXPECT_EQ(target.m_enterPaths, (std::vector<std::string>{TempPath() + "ALPHA.txt", TempPath() + "BETA.txt"}));
    EXPECT_TRUE(target.m_bEnterFilesExisted);
    EXPECT_EQ(target.m_nDrop, 0);
    EXPECT_FALSE(FileExists(TempPath() + "ALPHA.txt"));
    EXPECT_FALSE(FileExists(TempPath() + "BETA.txt"));
    EXPECT_EQ(rowsAfter, (std::vector<std::string>{a, b}));
}

TEST_F(DragOutDragTest, DropOntoTheMainWindowItselfIsRefused)
{
    const std::string a = Source("ALPHA.TX_", "alpha text", "ALPHA.txt");
    CDrivenMainDlg dlg;
    dlg.m_arrStartFiles = {a};
    CTestDropTarget target;
    std::vector<std::string> rowsAfter;
    dlg.Run([&](CDrivenMainDlg& d) {
        d.Select({0});
        Drag(d, target, 0, Ending::OntoMainWindow);
        rowsAfter = d.Column(0);
        EXPECT_TRUE(AcceptsFiles(d.m_hWnd));
    });
    EXPECT_TRUE(target.m_bEnterFilesExisted);
    EXPECT_EQ(target.m_nDrop, 0);
    EXPECT_FALSE(FileExists(TempPath() + "ALPHA.txt"));
    // Neither removed nor taken in again as a new row.
    EXPECT_EQ(rowsAfter, (std::vector<std::string>{a}));
}

}  // namespace
