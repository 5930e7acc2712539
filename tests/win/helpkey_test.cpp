// helpkey.exe started with each command text, beside recorders that stand in
// for the help viewer (winhelp.exe) and the help engine (winhlp32.exe); and
// the icons read back from the built program.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "handles.h"
#include "harness.h"

using setupcore::Handle;

namespace {

std::string read_file(const std::string& path, bool* found) {
  std::string text;
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  *found = file != INVALID_HANDLE_VALUE;
  if (!*found) return text;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
  CloseHandle(file);
  return text;
}

// Everything started in the job ends when the job is closed, so a program
// that never exits cannot outlive its test.
Handle make_job() {
  Handle job(CreateJobObjectA(nullptr, nullptr));
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
  return job;
}

// Starts `command` inside `job` before it runs a single instruction, so
// whatever it starts lands in the job as well. With no desktop named it runs
// on the caller's.
Handle start_in_job(std::string command, HANDLE job, const char* desktop, const char* dir) {
  std::string desktop_name = desktop ? desktop : "";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.lpDesktop = desktop ? desktop_name.data() : nullptr;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, dir, &startup,
                      &info)) {
    ADD_FAILURE() << "cannot start " << command << ": " << GetLastError();
    return Handle();
  }
  Handle process(info.hProcess);
  Handle thread(info.hThread);
  if (!AssignProcessToJobObject(job, process.get())) ADD_FAILURE() << "no job for " << command;
  ResumeThread(thread.get());
  return process;
}

bool wait_until_empty(HANDLE job, DWORD milliseconds) {
  for (DWORD waited = 0; waited < milliseconds; waited += 20) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting,
                                   nullptr))
      return false;
    if (accounting.ActiveProcesses == 0) return true;
    Sleep(20);
  }
  return false;
}

// Without a display no window can be made on the ordinary desktop, and the
// help engine finds its program by a window. A desktop of our own on Wine's
// window-less display driver lets the engine's stand-in make one.
class NullDesktop {
 public:
  NullDesktop() : name_(harness::unique_name("helpkey")), job_(make_job()) {
    const Handle explorer =
        start_in_job("explorer.exe /desktop=" + name_ + ",640x480,null", job_.get(), nullptr, nullptr);
    // The desktop and its window are up once its program waits for input.
    if (explorer && WaitForInputIdle(explorer.get(), 60000) != 0) ADD_FAILURE() << "the desktop did not come up";
  }
  const char* name() const { return name_.c_str(); }

 private:
  std::string name_;
  Handle job_;  // ends the desktop with the test
};

struct Outcome {
  bool finished = false;
  DWORD exit_code = 0;
  bool all_ended = false;  // helpkey and whatever it started
  bool viewer_started = false;
  std::string viewer_log;
  bool engine_started = false;
  std::string engine_log;
};

// A directory of its own holding helpkey.exe and the two recorders; the
// loader finds the recorders there before anything else.
class LaunchDir {
 public:
  LaunchDir() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp) + harness::unique_name("helpkey");
    CreateDirectoryA(dir_.c_str(), nullptr);
    const std::string bin = harness::program_dir() + "\\";
    for (const auto& [from, to] : {std::pair{"helpkey.exe", "helpkey.exe"}, std::pair{"recorder.exe", "winhelp.exe"},
                                   std::pair{"recorder.exe", "winhlp32.exe"}})
      if (!CopyFileA((bin + from).c_str(), path(to).c_str(), FALSE))
        ADD_FAILURE() << "cannot copy " << from << " as " << to << ": " << GetLastError();
  }
  ~LaunchDir() {
    for (const char* file : {"helpkey.exe", "winhelp.exe", "winhlp32.exe", "winhelp.log", "winhlp32.log"})
      DeleteFileA(path(file).c_str());
    RemoveDirectoryA(dir_.c_str());
  }
  std::string path(const char* file) const { return dir_ + "\\" + file; }

  // Starts helpkey.exe on `desktop` with `text` after its own name, and
  // waits for it and everything it started to end.
  Outcome run(const std::string& text, const char* desktop) const {
    Outcome outcome;
    const Handle job = make_job();
    const Handle process = start_in_job("\"" + path("helpkey.exe") + "\"" + (text.empty() ? "" : " " + text),
                                        job.get(), desktop, dir_.c_str());
    if (!process) return outcome;
    outcome.finished = WaitForSingleObject(process.get(), 60000) == WAIT_OBJECT_0;
    GetExitCodeProcess(process.get(), &outcome.exit_code);
    // The recorders may still be at work when helpkey has ended.
    outcome.all_ended = wait_until_empty(job.get(), 60000);
    outcome.viewer_log = read_file(path("winhelp.log"), &outcome.viewer_started);
    outcome.engine_log = read_file(path("winhlp32.log"), &outcome.engine_started);
    return outcome;
  }

 private:
  std::string dir_;
};

struct Case {
  const char* label;
  std::string text;
  std::string viewer;   // the viewer's command line; empty: no viewer may start
  std::string file;     // with a keyword: what the help engine is asked to show
  std::string keyword;  // empty: the help engine must not be called
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }

class Helpkey : public testing::TestWithParam<Case> {
 protected:
  static void SetUpTestSuite() { desktop_ = new NullDesktop; }
  static void TearDownTestSuite() {
    delete desktop_;
    desktop_ = nullptr;
  }
  static NullDesktop* desktop_;
};
NullDesktop* Helpkey::desktop_ = nullptr;

TEST_P(Helpkey, StartsTheViewerOrCallsTheHelpEngine) {
  const Case& c = GetParam();
  LaunchDir dir;
  const Outcome out = dir.run(c.text, desktop_->name());
  ASSERT_TRUE(out.finished) << "helpkey.exe did not end";
  ASSERT_TRUE(out.all_ended) << "a program helpkey started did not end";
  EXPECT_EQ(0u, out.exit_code);

  if (!c.viewer.empty()) {
    EXPECT_EQ("command: " + c.viewer + "\nshow: 5\n", out.viewer_log)
        << "the viewer is started once, with SW_SHOW";
  } else {
    EXPECT_FALSE(out.viewer_started) << out.viewer_log;
  }

  if (c.keyword.empty()) {
    EXPECT_FALSE(out.engine_started) << out.engine_log;
  } else if (std::getenv("SETUPKIT_NO_DESKTOP_WINDOWS")) {
    // The test VM's Wine makes no window on the null desktop, so the
    // engine's stand-in can't take the request there.
    ASSERT_TRUE(out.engine_started) << "the help engine was not called";
    GTEST_SKIP() << "no windows on this Wine's null desktop: the request itself is not checked";
  } else {
    ASSERT_TRUE(out.engine_started) << "the help engine was not called";
    // The first two lines are how the platform started its engine; the rest
    // is what helpkey asked it to show.
    const std::string& log = out.engine_log;
    const std::size_t request = log.find('\n', log.find('\n') + 1) + 1;
    EXPECT_EQ(0u, log.find("command: ")) << log;
    EXPECT_EQ(std::string::npos, log.find("\ncommand: ")) << "started once: " << log;
    EXPECT_EQ("owner: desktop\nhelp command: 257\nfile: " + c.file + "\nkeyword: " + c.keyword + "\n",
              log.substr(request));
  }
}

const std::string k1011(1011, 'n');
const std::string k1012(1012, 'n');

INSTANTIATE_TEST_SUITE_P(
    CommandTexts, Helpkey,
    testing::Values(
        Case{"empty", "", "winhelp.exe", "", ""},
        Case{"blanks only", " \t  \t ", "winhelp.exe", "", ""},
        Case{"single token", "app.hlp", "winhelp.exe app.hlp", "", ""},
        Case{"token and keyword of several words", "app.hlp \t  set up\tthe  server \t ", "", "app.hlp",
             "set up the  server"},
        Case{"quoted name and keyword", "\"C:\\My Help\\app.hlp\"   key word ", "", "C:\\My Help\\app.hlp",
             "key word"},
        Case{"quoted name alone", "\"C:\\My Help\\app.hlp\"", "winhelp.exe C:\\My Help\\app.hlp", "", ""},
        Case{"keyword right after the closing quote", "\"my app.hlp\"index", "", "my app.hlp", "index"},
        Case{"no closing quote, a later space", "\"my app.hlp index", "", "my", "app.hlp index"},
        Case{"no closing quote, no space", "\"app.hlp", "winhelp.exe app.hlp", "", ""},
        Case{"empty quotes and keyword", "\"\" index", "winhelp.exe", "", ""},
        Case{"quotes inside the keyword", "app.hlp say \"hi\" \"", "", "app.hlp", "say \"hi\" \""},
        Case{"name of 1011 characters", k1011, "winhelp.exe " + k1011, "", ""},
        Case{"name of 1012 characters", k1012, "", "", ""},
        Case{"name of 1012 characters and keyword", k1012 + " key", "", k1012, "key"}),
    [](const testing::TestParamInfo<Case>& info) {
      std::string name;
      for (const char* p = info.param.label; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

BOOL CALLBACK collect_type(HMODULE, LPSTR type, LONG_PTR found) {
  reinterpret_cast<std::vector<ULONG_PTR>*>(found)->push_back(
      IS_INTRESOURCE(type) ? reinterpret_cast<ULONG_PTR>(type) : ~ULONG_PTR{0});
  return TRUE;
}

BOOL CALLBACK collect_name(HMODULE, LPCSTR, LPSTR name, LONG_PTR found) {
  reinterpret_cast<std::vector<ULONG_PTR>*>(found)->push_back(
      IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name) : ~ULONG_PTR{0});
  return TRUE;
}

// The built program's resources: the three icon groups and their one image
// each, and nothing besides.
TEST(HelpkeyResources, ThreeIconGroupsOfOne32x32SixteenColourImage) {
  const std::string file = harness::program_dir() + "\\helpkey.exe";
  const HMODULE image = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(image) << GetLastError();

  std::vector<ULONG_PTR> types;
  EnumResourceTypesA(image, collect_type, reinterpret_cast<LONG_PTR>(&types));
  EXPECT_EQ((std::set<ULONG_PTR>{reinterpret_cast<ULONG_PTR>(RT_ICON), reinterpret_cast<ULONG_PTR>(RT_GROUP_ICON)}),
            std::set<ULONG_PTR>(types.begin(), types.end()))
      << "icons only: no version, manifest or other resource";

  auto names_of = [&](LPCSTR type) {
    std::vector<ULONG_PTR> names;
    EnumResourceNamesA(image, type, collect_name, reinterpret_cast<LONG_PTR>(&names));
    return names;
  };
  auto bytes_of = [&](ULONG_PTR name, LPCSTR type, DWORD* size) -> const BYTE* {
    const HRSRC found = FindResourceA(image, MAKEINTRESOURCEA(name), type);
    *size = found ? SizeofResource(image, found) : 0;
    return found ? static_cast<const BYTE*>(LockResource(LoadResource(image, found))) : nullptr;
  };

  const std::vector<ULONG_PTR> groups = names_of(RT_GROUP_ICON);
  EXPECT_EQ((std::vector<ULONG_PTR>{101, 102, 104}), groups);

#pragma pack(push, 2)
  struct GroupHeader {
    WORD reserved, type, count;
  };
  struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bit_count;
    DWORD bytes;
    WORD id;
  };
#pragma pack(pop)
  std::set<ULONG_PTR> images_used;
  for (const ULONG_PTR group : groups) {
    SCOPED_TRACE("icon group " + std::to_string(group));
    DWORD size = 0;
    const BYTE* data = bytes_of(group, RT_GROUP_ICON, &size);
    ASSERT_TRUE(data);
    ASSERT_EQ(sizeof(GroupHeader) + sizeof(GroupEntry), size) << "one image in the group";
    GroupHeader header;
    GroupEntry entry;
    std::memcpy(&header, data, sizeof header);
    std::memcpy(&entry, data + sizeof header, sizeof entry);
    EXPECT_EQ(1, header.type);
    EXPECT_EQ(1, header.count);
    EXPECT_EQ(32, entry.width);
    EXPECT_EQ(32, entry.height);
    EXPECT_EQ(16, entry.colours);
    EXPECT_EQ(1, entry.planes);
    EXPECT_EQ(4, entry.bit_count);
    images_used.insert(entry.id);

    DWORD image_size = 0;
    const BYTE* bits = bytes_of(entry.id, RT_ICON, &image_size);
    ASSERT_TRUE(bits);
    EXPECT_EQ(entry.bytes, image_size);
    // Header, 16-colour palette, 4-bit colour rows and the 1-bit mask.
    EXPECT_EQ(40u + 16 * 4 + 32 * 16 + 32 * 4, image_size);
    BITMAPINFOHEADER info;
    std::memcpy(&info, bits, sizeof info);
    EXPECT_EQ(32, info.biWidth);
    EXPECT_EQ(64, info.biHeight) << "colour and mask stacked";
    EXPECT_EQ(1, info.biPlanes);
    EXPECT_EQ(4, info.biBitCount);
    EXPECT_EQ(static_cast<DWORD>(BI_RGB), info.biCompression);
  }
  const std::vector<ULONG_PTR> images = names_of(RT_ICON);
  EXPECT_EQ(images_used, std::set<ULONG_PTR>(images.begin(), images.end())) << "no image outside the groups";
  EXPECT_EQ(3u, images_used.size());
  FreeLibrary(image);
}

}  // namespace
