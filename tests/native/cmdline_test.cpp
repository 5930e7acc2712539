#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "cmdline.h"

using namespace helpkey;

namespace {

// The command text in a buffer of its own size plus a guard behind it, so a
// write past the entry terminator shows up; the command buffer likewise.
struct CutText {
  explicit CutText(const std::string& text, std::size_t capacity = kCommandCapacity)
      : bytes(text.begin(), text.end()), command(capacity + 8, '#'), capacity(capacity) {
    bytes.push_back('\0');
    bytes.insert(bytes.end(), 8, '#');
    plan = cut_command_text(bytes.data(), command.data(), capacity);
  }
  bool guards_intact() const {
    const std::size_t end = bytes.size() - 8;
    for (std::size_t i = end; i < bytes.size(); ++i)
      if (bytes[i] != '#') return false;
    for (std::size_t i = capacity; i < command.size(); ++i)
      if (command[i] != '#') return false;
    return true;
  }
  bool inside_text(const char* p) const { return p >= bytes.data() && p < bytes.data() + bytes.size() - 8; }

  std::vector<char> bytes;
  std::vector<char> command;
  std::size_t capacity;
  Plan plan;
};

struct Case {
  const char* label;
  std::string text;
  Launch launch;
  std::string file;     // HelpEngine
  std::string keyword;  // HelpEngine
  std::string command;  // Viewer
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.label; }

class Cut : public testing::TestWithParam<Case> {};

TEST_P(Cut, GivesWhatToStart) {
  const Case& c = GetParam();
  CutText run(c.text);
  ASSERT_EQ(c.launch, run.plan.launch);
  switch (c.launch) {
    case Launch::HelpEngine:
      ASSERT_TRUE(run.inside_text(run.plan.file) && run.inside_text(run.plan.keyword))
          << "the name and keyword are cut out of the command text itself";
      EXPECT_EQ(c.file, run.plan.file);
      EXPECT_EQ(c.keyword, run.plan.keyword);
      EXPECT_STREQ("", run.command.data());
      break;
    case Launch::Viewer:
      EXPECT_EQ(c.command, run.command.data());
      break;
    case Launch::Nothing:
      EXPECT_STREQ("", run.command.data());
      break;
  }
  EXPECT_TRUE(run.guards_intact());
}

const std::string k1011(1011, 'n');
const std::string k1012(1012, 'n');

INSTANTIATE_TEST_SUITE_P(
    Texts, Cut,
    testing::Values(
        Case{"empty", "", Launch::Viewer, "", "", "winhelp.exe"},
        Case{"blanks only", " \t  \t ", Launch::Viewer, "", "", "winhelp.exe"},
        Case{"single token", "app.hlp", Launch::Viewer, "", "", "winhelp.exe app.hlp"},
        Case{"single token in blanks", "\t app.hlp \t", Launch::Viewer, "", "", "winhelp.exe app.hlp"},
        Case{"token and keyword of several words", "app.hlp \t  set up\tthe  server \t ", Launch::HelpEngine,
             "app.hlp", "set up the  server", ""},
        Case{"quoted name and keyword", "\"C:\\My Help\\app.hlp\"   key word ", Launch::HelpEngine,
             "C:\\My Help\\app.hlp", "key word", ""},
        Case{"quoted name alone", "\"C:\\My Help\\app.hlp\"", Launch::Viewer, "", "",
             "winhelp.exe C:\\My Help\\app.hlp"},
        Case{"quoted name and trailing blanks", "\"my app.hlp\" \t ", Launch::Viewer, "", "",
             "winhelp.exe my app.hlp"},
        Case{"keyword right after the closing quote", "\"my app.hlp\"index", Launch::HelpEngine, "my app.hlp",
             "index", ""},
        Case{"no closing quote, a later space", "\"my app.hlp index", Launch::HelpEngine, "my", "app.hlp index",
             ""},
        Case{"no closing quote, no space", "\"app.hlp", Launch::Viewer, "", "", "winhelp.exe app.hlp"},
        Case{"lone quote", "\"", Launch::Viewer, "", "", "winhelp.exe"},
        Case{"empty quotes and keyword", "\"\" index", Launch::Viewer, "", "", "winhelp.exe"},
        Case{"empty quotes alone", "\"\"", Launch::Viewer, "", "", "winhelp.exe"},
        Case{"quotes inside the keyword", "app.hlp say \"hi\" \"", Launch::HelpEngine, "app.hlp",
             "say \"hi\" \"", ""},
        Case{"quote inside a plain name", "a\"b.hlp c", Launch::HelpEngine, "a\"b.hlp", "c", ""},
        Case{"name of 1011 characters", k1011, Launch::Viewer, "", "", "winhelp.exe " + k1011},
        Case{"quoted name of 1011 characters", "\"" + k1011 + "\"", Launch::Viewer, "", "",
             "winhelp.exe " + k1011},
        Case{"name of 1012 characters", k1012, Launch::Nothing, "", "", ""},
        Case{"name of 1012 characters and keyword", k1012 + " key", Launch::HelpEngine, k1012, "key", ""}),
    [](const testing::TestParamInfo<Case>& info) {
      std::string name;
      for (const char* p = info.param.label; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
      return name;
    });

TEST(CutCommandText, NeverWritesPastASmallCommandBuffer) {
  // "winhelp.exe" needs 12 bytes with its terminator, "winhelp.exe a" 14.
  struct {
    const char* text;
    std::size_t capacity;
    Launch launch;
    const char* command;
  } cases[] = {
      {"", 12, Launch::Viewer, "winhelp.exe"}, {"", 11, Launch::Nothing, ""},
      {"a", 14, Launch::Viewer, "winhelp.exe a"}, {"a", 13, Launch::Nothing, ""},
      {"a", 0, Launch::Nothing, nullptr},
  };
  for (const auto& c : cases) {
    CutText run(c.text, c.capacity);
    EXPECT_EQ(c.launch, run.plan.launch) << c.text << " in " << c.capacity;
    if (c.command) EXPECT_STREQ(c.command, run.command.data()) << c.text << " in " << c.capacity;
    EXPECT_TRUE(run.guards_intact()) << c.text << " in " << c.capacity;
  }
}

}  // namespace
