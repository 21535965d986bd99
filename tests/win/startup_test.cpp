// The program's start-up, driven from outside as the system and the user start it: exact
// command lines, the first-run flag in the registry, a second start while one runs. The program
// runs in the same Wine virtual desktop; the address it would open in a browser is read from the
// session's recorder.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/settings.h"
#include "platform/registry.h"
#include "tests/win/program_driver.h"
#include "app/single_instance.h"

namespace {

using namespace std::chrono_literals;
using qv::platform::Hive;
using qv::platform::RegKey;
using namespace qv::test;

const std::wstring kProgram = WinPath(QV_PROGRAM);
const std::wstring kInstallDir = WinPath(QV_INSTALL_DIR "/");

std::optional<std::wstring> ReadValue(const wchar_t* name, const wchar_t* path = qv::kMainKeyPath,
                                      Hive hive = Hive::LocalMachine) {
  RegKey key = RegKey::Open(hive, path, qv::platform::RegAccess::Read);
  return key ? key.ReadWide(name, 520) : std::nullopt;
}
void WriteValue(const wchar_t* name, const std::optional<std::wstring>& text,
                const wchar_t* path = qv::kMainKeyPath) {
  RegKey key = RegKey::Create(Hive::LocalMachine, path);
  if (text) key.WriteWide(name, *text);
  else key.DeleteValue(name);
}

// Lines the session's browser recorder has written since the mark.
class OpenedAddresses {
 public:
  OpenedAddresses() {
    const char* dir = getenv("QV_WINE_DIR");
    m_path = std::string(dir ? dir : ".") + "/opened-addresses";
    Mark();
  }
  void Mark() {
    std::ifstream f(m_path, std::ios::binary | std::ios::ate);
    m_from = f ? static_cast<std::streamoff>(f.tellg()) : 0;
  }
  // The lines once there are `count` of them, or what there is after a few seconds (the
  // browser launcher runs in a process of its own).
  std::vector<std::string> Await(size_t count) const {
    std::vector<std::string> lines = Since();
    for (int i = 0; i < 100 && lines.size() < count; ++i) {
      Sleep(50);
      lines = Since();
    }
    return lines;
  }
  std::vector<std::string> Since() const {
    std::ifstream f(m_path, std::ios::binary);
    std::vector<std::string> lines;
    if (!f) return lines;
    f.seekg(m_from);
    for (std::string line; std::getline(f, line);) lines.push_back(line);
    return lines;
  }

 private:
  std::string m_path;
  std::streamoff m_from = 0;
};

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* name : kNames) m_saved.push_back(ReadValue(name));
    m_savedHome = ReadValue(L"WNHome", qv::kLexiconKeyPath);
    WriteValue(L"Target", kInstallDir);
    WriteValue(L"QVLang", L"en");
    WriteValue(L"Tut", L"1");
    RegKey::DeleteTree(Hive::CurrentUser, qv::kMainKeyPath);  // the user's own flag and language
  }
  void TearDown() override {
    RegKey::DeleteTree(Hive::CurrentUser, qv::kMainKeyPath);
    for (size_t i = 0; i < std::size(kNames); ++i) WriteValue(kNames[i], m_saved[i]);
    WriteValue(L"WNHome", m_savedHome, qv::kLexiconKeyPath);
  }
  static constexpr const wchar_t* kNames[] = {L"Target", L"QVLang", L"Tut"};
  std::vector<std::optional<std::wstring>> m_saved;
  std::optional<std::wstring> m_savedHome;  // the program's start writes it
  OpenedAddresses m_opened;
};

// Tut "0": the tutorial page is asked for once, the user's flag and language are written (the
// installation's stay), the splash is shown and the settings window stays hidden; the next
// start is a normal one.
TEST_F(StartupTest, FirstRunThenNormal) {
  WriteValue(L"Tut", L"0");
  {
    Started s;
    Start(s, kProgram, L"");
    ASSERT_TRUE(s.settings);
    EXPECT_TRUE(s.splashSeen);
    EXPECT_GE(s.toMainDialog, 2000ms);
    EXPECT_FALSE(IsWindowVisible(s.settings));
    EXPECT_EQ(ReadValue(L"Tut"), L"0");
    EXPECT_EQ(ReadValue(L"Tut", qv::kMainKeyPath, Hive::CurrentUser), L"1");
    EXPECT_EQ(ReadValue(L"QVLang", qv::kMainKeyPath, Hive::CurrentUser), L"fr");
    const auto opened = m_opened.Await(1);
    ASSERT_EQ(opened.size(), 1u);
    // The page in the language just written.
    EXPECT_EQ(opened[0], "file://" QV_INSTALL_DIR "/tutorial/index.fr.html");
    EXPECT_TRUE(s.Exit());
  }
  m_opened.Mark();
  Started s;
  Start(s, kProgram, L"");
  ASSERT_TRUE(s.settings);
  EXPECT_TRUE(s.splashSeen);
  EXPECT_TRUE(IsWindowVisible(s.settings));
  Sleep(1000);
  EXPECT_TRUE(m_opened.Since().empty());
  EXPECT_TRUE(s.Exit());
}

// Only a tail of exactly "1" starts quietly: no splash, settings window hidden.
TEST_F(StartupTest, CommandLineTails) {
  struct Case {
    const wchar_t* tail;
    bool quiet;
  } cases[] = {{L"1", true}, {L"1 ", false}, {L"11", false}, {L"/1", false}};
  for (const Case& c : cases) {
    Started s;
    Start(s, kProgram, c.tail);
    ASSERT_TRUE(s.settings) << c.tail;
    EXPECT_EQ(s.splashSeen, !c.quiet) << c.tail;
    EXPECT_EQ(IsWindowVisible(s.settings) != FALSE, !c.quiet) << c.tail;
    if (!c.quiet) {
      EXPECT_GE(s.toMainDialog, 2000ms) << c.tail;
    }
    EXPECT_TRUE(s.Exit()) << c.tail;
  }
  // The blanks after the program's name are not part of the tail.
  Started s;
  Start(s, kProgram, L"   1", false);
  ASSERT_TRUE(s.settings);
  EXPECT_FALSE(s.splashSeen);
  EXPECT_FALSE(IsWindowVisible(s.settings));
  EXPECT_TRUE(s.Exit());
}

// First run started quietly: the tutorial still opens, without splash, the window hidden.
TEST_F(StartupTest, FirstRunQuiet) {
  WriteValue(L"Tut", L"0");
  Started s;
  Start(s, kProgram, L"1");
  ASSERT_TRUE(s.settings);
  EXPECT_FALSE(s.splashSeen);
  EXPECT_FALSE(IsWindowVisible(s.settings));
  EXPECT_EQ(m_opened.Await(1).size(), 1u);
  EXPECT_EQ(ReadValue(L"Tut", qv::kMainKeyPath, Hive::CurrentUser), L"1");
  EXPECT_TRUE(s.Exit());
}

// A bundle without TutorialURL: nothing opens and start-up goes on.
TEST_F(StartupTest, FirstRunWithoutTutorialAddress) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring dir = std::wstring(temp) + L"qv-startup-test\\";
  CreateDirectoryW(dir.c_str(), nullptr);
  {
    const wchar_t text[] = L"\uFEFF[Main]\r\nQV Settings=QV Settings\r\n";
    HANDLE f = CreateFileW((dir + L"qv_rb.fr").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, text, sizeof text - sizeof(wchar_t), &written, nullptr);
    CloseHandle(f);
  }
  WriteValue(L"Target", dir);
  WriteValue(L"Tut", L"0");
  Started s;
  Start(s, kProgram, L"1");
  ASSERT_TRUE(s.settings);
  Sleep(1000);
  EXPECT_TRUE(m_opened.Since().empty());
  EXPECT_EQ(ReadValue(L"Tut", qv::kMainKeyPath, Hive::CurrentUser), L"1");
  EXPECT_TRUE(s.Exit());
  DeleteFileW((dir + L"qv_rb.fr").c_str());
  RemoveDirectoryW(dir.c_str());
}

// Runs the program under the debug interface to its end (bounded): what it wrote to the debug
// channel, and its exit code.
std::string RunDebugged(const std::wstring& program, const std::wstring& tail, DWORD& exitCode) {
  std::wstring cmd = L"\"" + program + L"\" " + tail;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  exitCode = STILL_ACTIVE;
  if (!CreateProcessW(program.c_str(), cmd.data(), nullptr, nullptr, FALSE,
                      DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr, &si, &pi))
    return {};
  std::string out;
  for (DEBUG_EVENT ev{}; WaitForDebugEvent(&ev, 20000);) {
    DWORD status = DBG_CONTINUE;
    if (ev.dwDebugEventCode == OUTPUT_DEBUG_STRING_EVENT) {
      const OUTPUT_DEBUG_STRING_INFO& ds = ev.u.DebugString;
      std::string text(ds.nDebugStringLength * (ds.fUnicode ? 2 : 1), '\0');
      SIZE_T got = 0;
      ReadProcessMemory(pi.hProcess, ds.lpDebugStringData, text.data(), text.size(), &got);
      if (!ds.fUnicode) out.append(text.data(), strnlen(text.data(), got));
    } else if (ev.dwDebugEventCode == CREATE_PROCESS_DEBUG_EVENT) {
      CloseHandle(ev.u.CreateProcessInfo.hFile);
    } else if (ev.dwDebugEventCode == LOAD_DLL_DEBUG_EVENT) {
      CloseHandle(ev.u.LoadDll.hFile);
    } else if (ev.dwDebugEventCode == EXCEPTION_DEBUG_EVENT &&
               ev.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
      status = DBG_EXCEPTION_NOT_HANDLED;
    }
    const bool ended = ev.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT;
    if (ended) exitCode = ev.u.ExitProcess.dwExitCode;
    ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
    if (ended) break;
  }
  if (exitCode == STILL_ACTIVE) TerminateProcess(pi.hProcess, 99);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return out;
}

// Without its main dialog the program says so on the debug channel and exits with 0, having
// shown nothing.
TEST_F(StartupTest, MainDialogCreationFails) {
  DWORD exitCode = 0;
  const std::string debug = RunDebugged(WinPath(QV_NO_MAIN_DIALOG), L"1", exitCode);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_NE(debug.find("Main dialog creation failed!\n"), std::string::npos) << debug;
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

// The single-instance rule: a mark that exists but cannot be opened (the first instance runs
// elevated) is a running instance, as is one that creation finds already there.
TEST(InstanceMutex, AccessDeniedCountsAsRunning) {
  using qv::startup::AlreadyRunning;
  EXPECT_TRUE(AlreadyRunning(ERROR_SUCCESS, false, ERROR_SUCCESS));
  EXPECT_TRUE(AlreadyRunning(ERROR_ACCESS_DENIED, false, ERROR_SUCCESS));
  EXPECT_FALSE(AlreadyRunning(ERROR_FILE_NOT_FOUND, true, ERROR_SUCCESS));
  EXPECT_TRUE(AlreadyRunning(ERROR_FILE_NOT_FOUND, true, ERROR_ALREADY_EXISTS));
  EXPECT_TRUE(AlreadyRunning(ERROR_FILE_NOT_FOUND, false, ERROR_ACCESS_DENIED));
  // Neither opened nor created for another reason: this start goes on without the mark.
  EXPECT_FALSE(AlreadyRunning(ERROR_FILE_NOT_FOUND, false, ERROR_INVALID_HANDLE));
}

// A second start shows the first one's hidden settings window and exits with 0 having created
// nothing; a window whose title only begins with "QV Settings" is left alone.
TEST_F(StartupTest, SecondStartShowsTheRunningOne) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"QvStartupTestDecoy";
  RegisterClassW(&wc);
  HWND decoy = CreateWindowW(wc.lpszClassName, L"QV Settings - copy", WS_OVERLAPPEDWINDOW, 10, 10,
                             200, 100, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(decoy);

  Started first;
  Start(first, kProgram, L"1");
  ASSERT_TRUE(first.settings);
  ASSERT_FALSE(IsWindowVisible(first.settings));

  Started second;
  Start(second, kProgram, L"");
  EXPECT_TRUE(second.exited);
  EXPECT_EQ(second.exitCode, 0u);
  EXPECT_FALSE(second.splashSeen);
  EXPECT_EQ(second.settings, nullptr);
  EXPECT_TRUE(IsWindowVisible(first.settings));
  EXPECT_FALSE(IsWindowVisible(decoy));
  EXPECT_TRUE(first.Exit());
  DestroyWindow(decoy);
}

}  // namespace
