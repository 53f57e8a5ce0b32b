// Helpers for the tests that start the real zorvane.exe from outside: where the
// program is, scratch folders, keys held with SendInput, the started process and its
// windows, and file contents. Every wait is bounded.
#pragma once
#include "tests/support/TimeScale.h"
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Default bound of every wait on the program (milliseconds), before the lane's scaling.
constexpr DWORD kDefaultTimeoutMs = 30000;
// Exit code of a program ended by force at a time limit.
constexpr UINT kKilledExitCode = 0xDEAD;

// Folder of this test program; zorvane.exe is built into the same folder.
inline std::string ModuleFolder()
{
    char szPath[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string path(szPath, length);
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

inline std::string ProgramPath()
{
    return ModuleFolder() + "\\zorvane.exe";
}

inline bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The whole file, or false when it cannot be read.
inline bool ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    uint8_t buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(hFile, buffer, sizeof buffer, &read, nullptr)) {
            ok = false;
            break;
        }
        if (read == 0)
            break;
        bytes.insert(bytes.end(), buffer, buffer + read);
    }
    CloseHandle(hFile);
    return ok;
}

inline bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    HANDLE hFile = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = bytes.empty() ||
        (WriteFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size());
    CloseHandle(hFile);
    return ok;
}

// Names of the entries of a folder (no "." or ".."), in the order the system lists them.
inline std::vector<std::string> ListFolder(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE hFind = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = fd.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(hFind, &fd));
    FindClose(hFind);
    return names;
}

// Deletes a folder and everything in it, read-only files included.
inline void RemoveTree(const std::string& folder)
{
    for (const std::string& name : ListFolder(folder)) {
        const std::string path = folder + "\\" + name;
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            continue;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path);
        } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    }
    RemoveDirectoryA(folder.c_str());
}

// A new, empty folder under the system's temporary folder, deleted with its contents
// when the object goes.
class TempFolder {
public:
    TempFolder()
    {
        char szTemp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, szTemp);
        std::string base = szTemp;
        if (!base.empty() && base.back() == '\\')
            base.pop_back();
        for (unsigned attempt = 0; attempt < 1000 && m_path.empty(); ++attempt) {
            const std::string candidate = base + "\\zv-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(GetTickCount() + attempt);
            if (CreateDirectoryA(candidate.c_str(), nullptr))
                m_path = candidate;
        }
    }
    ~TempFolder()
    {
        if (!m_path.empty())
            RemoveTree(m_path);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool IsValid() const { return !m_path.empty(); }
    // The folder's path, without a trailing backslash.
    const std::string& Path() const { return m_path; }
    // The path of an entry in the folder.
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

// The Windows versions that Wine reports to zorvane.exe in the tests run under
// each: the prefix's own, the oldest systems the program is made for, and the last
// one before Vista.
inline const char* const kReportedVersions[] = {"", "win95", "win98", "nt40", "winxp"};

inline std::string ReportedVersionName(const testing::TestParamInfo<const char*>& info)
{
    return *info.param ? info.param : "default";
}

// Makes Wine report the version (empty: the prefix's own) to every zorvane.exe (or
// other program of that file name) started while this lives.
class ReportedVersion {
public:
    explicit ReportedVersion(const char* pszVersion, const char* pszProgram = "zorvane.exe")
    {
        if (!*pszVersion)
            return;
        const std::string key = std::string("Software\\Wine\\AppDefaults\\") + pszProgram;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &m_hKey, nullptr) !=
            ERROR_SUCCESS)
            return;
        m_bSet = RegSetValueExA(m_hKey, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(pszVersion),
                                static_cast<DWORD>(strlen(pszVersion) + 1)) == ERROR_SUCCESS;
    }
    ~ReportedVersion()
    {
        if (!m_hKey)
            return;
        RegDeleteValueA(m_hKey, "Version");
        RegCloseKey(m_hKey);
    }
    ReportedVersion(const ReportedVersion&) = delete;
    ReportedVersion& operator=(const ReportedVersion&) = delete;

    bool IsOk(const char* pszVersion) const { return !*pszVersion || m_bSet; }

private:
    HKEY m_hKey = nullptr;
    bool m_bSet = false;
};

// Waits until the condition holds; false at the time limit.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = kDefaultTimeoutMs)
{
    const DWORD dwStart = GetTickCount();
    timeoutMs = ScaledMs(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - dwStart >= timeoutMs)
            return false;
        Sleep(10);
    }
}

inline bool SendKey(WORD vk, bool bDown)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = bDown ? 0 : KEYEVENTF_KEYUP;
    return SendInput(1, &input, sizeof input) == 1;
}

// Holds keys down (SendInput) for the life of the object; they are released in reverse
// order when it goes, also when a test fails half way.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<WORD> keys)
    {
        for (WORD vk : keys) {
            if (!SendKey(vk, true)) {
                m_bOk = false;
                continue;
            }
            m_keys.push_back(vk);
            m_bOk = WaitUntil([vk] { return (GetAsyncKeyState(vk) & 0x8000) != 0; }, 5000) && m_bOk;
        }
    }
    ~HeldKeys() { Release(); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

    // True when every key was pressed and is seen as down.
    bool IsOk() const { return m_bOk; }

    void Release()
    {
        while (!m_keys.empty()) {
            const WORD vk = m_keys.back();
            m_keys.pop_back();
            SendKey(vk, false);
            WaitUntil([vk] { return (GetAsyncKeyState(vk) & 0x8000) == 0; }, 5000);
        }
    }

private:
    std::vector<WORD> m_keys;
    bool m_bOk = true;
};

// Quotes one command-line argument when it holds a space or a tab.
inline std::string Quote(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t") == std::string::npos)
        return arg;
    return "\"" + arg + "\"";
}

// A started program. The destructor ends it when it still runs, so that a failing test
// leaves nothing behind.
class Process {
public:
    Process() = default;
    ~Process() { Kill(); Close(); }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts the program with the text after its (quoted) name as its command line.
    // Wine has been seen to refuse a start once in hundreds while the same start
    // succeeds right after; the start is not what the tests test, so a refused one is
    // tried once more, and a failure says why.
    ::testing::AssertionResult Start(const std::string& program, const std::string& arguments,
                                     const std::string& folder = std::string())
    {
        Close();
        std::string commandLine = "\"" + program + "\"";
        if (!arguments.empty())
            commandLine += " " + arguments;
        std::string errors;
        for (int attempt = 0; attempt < 2; ++attempt) {
            std::vector<char> buffer(commandLine.begin(), commandLine.end());
            buffer.push_back('\0');
            STARTUPINFOA si = {};
            si.cb = sizeof si;
            PROCESS_INFORMATION pi = {};
            if (CreateProcessA(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               folder.empty() ? nullptr : folder.c_str(), &si, &pi)) {
                CloseHandle(pi.hThread);
                m_hProcess = pi.hProcess;
                m_dwId = pi.dwProcessId;
                if (!errors.empty())
                    std::fprintf(stderr, "%s started at the second try (%s)\n", program.c_str(), errors.c_str());
                return ::testing::AssertionSuccess();
            }
            errors += (errors.empty() ? "error " : ", then error ") + std::to_string(GetLastError());
        }
        return ::testing::AssertionFailure() << "CreateProcessA " << commandLine << ": " << errors;
    }

    // Waits for the end; false at the time limit, when the program is ended by force.
    bool Wait(DWORD timeoutMs = kDefaultTimeoutMs)
    {
        if (!m_hProcess)
            return false;
        if (WaitForSingleObject(m_hProcess, ScaledMs(timeoutMs)) == WAIT_OBJECT_0)
            return true;
        Kill();
        return false;
    }

    // As Wait, and records in *pbSawWindow whether the program showed a visible
    // top-level window at any time while it ran.
    bool WaitWatchingWindows(bool* pbSawWindow, DWORD timeoutMs = kDefaultTimeoutMs);

    bool IsRunning() const { return m_hProcess && WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT; }

    // The exit code once ended; STILL_ACTIVE before.
    DWORD ExitCode() const
    {
        DWORD code = STILL_ACTIVE;
        if (m_hProcess)
            GetExitCodeProcess(m_hProcess, &code);
        return code;
    }

    DWORD Id() const { return m_dwId; }

    void Kill()
    {
        if (IsRunning()) {
            TerminateProcess(m_hProcess, kKilledExitCode);
            WaitForSingleObject(m_hProcess, ScaledMs(10000));
        }
    }

private:
    void Close()
    {
        if (m_hProcess)
            CloseHandle(m_hProcess);
        m_hProcess = nullptr;
        m_dwId = 0;
    }

    HANDLE m_hProcess = nullptr;
    DWORD m_dwId = 0;
};

// Memory seen by this process and another one at once: a section mapped here and, by
// NtMapViewOfSection with the other's handle, there. Messages that carry a pointer
// (list-view texts, a browse dialog's path) get the remote address and write into or
// read from the local one. Unlike WriteProcessMemory it needs no debugger access to
// the other process, which an emulated Wine cannot give.
class SharedMemory {
public:
    SharedMemory(DWORD dwProcessId, SIZE_T size)
    {
        using MapViewFn = LONG(NTAPI*)(HANDLE, HANDLE, PVOID*, ULONG_PTR, SIZE_T, PLARGE_INTEGER, PSIZE_T, DWORD,
                                      ULONG, ULONG);
        const auto mapView = reinterpret_cast<MapViewFn>(NtdllFunction("NtMapViewOfSection"));
        m_hProcess = OpenProcess(PROCESS_VM_OPERATION, FALSE, dwProcessId);
        m_hSection = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(size),
                                        nullptr);
        if (!mapView || !m_hProcess || !m_hSection)
            return;
        m_pLocal = static_cast<char*>(MapViewOfFile(m_hSection, FILE_MAP_WRITE, 0, 0, size));
        SIZE_T viewSize = 0;
        const DWORD kViewUnmap = 2;
        if (mapView(m_hSection, m_hProcess, &m_pRemote, 0, 0, nullptr, &viewSize, kViewUnmap, 0, PAGE_READWRITE) < 0)
            m_pRemote = nullptr;
    }
    ~SharedMemory()
    {
        using UnmapViewFn = LONG(NTAPI*)(HANDLE, PVOID);
        const auto unmapView = reinterpret_cast<UnmapViewFn>(NtdllFunction("NtUnmapViewOfSection"));
        if (m_pRemote && unmapView)
            unmapView(m_hProcess, m_pRemote);
        if (m_pLocal)
            UnmapViewOfFile(m_pLocal);
        if (m_hSection)
            CloseHandle(m_hSection);
        if (m_hProcess)
            CloseHandle(m_hProcess);
    }
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    bool IsValid() const { return m_pLocal && m_pRemote; }
    char* Local() const { return m_pLocal; }
    // The same bytes at the other process's address: only for messages to that process.
    char* Remote() const { return static_cast<char*>(m_pRemote); }

private:
    static void* NtdllFunction(const char* pszName)
    {
        return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), pszName));
    }

    HANDLE m_hProcess = nullptr;
    HANDLE m_hSection = nullptr;
    char* m_pLocal = nullptr;
    PVOID m_pRemote = nullptr;
};

namespace detail {
struct WindowSearch {
    DWORD dwProcessId;
    bool bVisibleOnly;
    std::vector<HWND> windows;
};

inline BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam)
{
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(lParam);
    DWORD dwOwner = 0;
    GetWindowThreadProcessId(hWnd, &dwOwner);
    if (dwOwner == search.dwProcessId && (!search.bVisibleOnly || IsWindowVisible(hWnd)))
        search.windows.push_back(hWnd);
    return TRUE;
}
}  // namespace detail

// The top-level windows of a process; only the visible ones when bVisibleOnly.
inline std::vector<HWND> WindowsOfProcess(DWORD dwProcessId, bool bVisibleOnly = true)
{
    detail::WindowSearch search{dwProcessId, bVisibleOnly, {}};
    EnumWindows(&detail::CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

// The first visible top-level window of the process with exactly this title, or null.
inline HWND FindWindowOfProcess(DWORD dwProcessId, const std::string& title)
{
    for (HWND hWnd : WindowsOfProcess(dwProcessId)) {
        char szText[512] = {};
        GetWindowTextA(hWnd, szText, sizeof szText);
        if (title == szText)
            return hWnd;
    }
    return nullptr;
}

inline bool Process::WaitWatchingWindows(bool* pbSawWindow, DWORD timeoutMs)
{
    *pbSawWindow = false;
    if (!m_hProcess)
        return false;
    const DWORD dwStart = GetTickCount();
    timeoutMs = ScaledMs(timeoutMs);
    for (;;) {
        if (!WindowsOfProcess(m_dwId).empty())
            *pbSawWindow = true;
        if (WaitForSingleObject(m_hProcess, 5) == WAIT_OBJECT_0)
            return true;
        if (GetTickCount() - dwStart >= timeoutMs) {
            Kill();
            return false;
        }
    }
}

}  // namespace e2e
