// The administrator check through the built DLL. Wine can't make a token
// without the Administrators group, so the DLL's GetTokenInformation import
// is pointed at a filter here that edits or fails the answers.
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "harness.h"

namespace {

enum class TokenFault {
  None,
  AdministratorsRemoved,
  AdministratorsDenyOnly,
  SizeQuerySucceeds,
  SizeQueryFails,
  GroupsQueryFails,
};

struct TokenState {
  TokenFault fault = TokenFault::None;
  // When set, the fault applies to the token with this identifier only.
  bool one_token = false;
  LUID token_id{};
  std::vector<HANDLE> queried;  // every token handle the DLL asked about
};
TokenState g_token;

LUID token_id(HANDLE token) {
  TOKEN_STATISTICS statistics{};
  DWORD size = 0;
  GetTokenInformation(token, TokenStatistics, &statistics, sizeof statistics, &size);
  return statistics.TokenId;
}

PSID administrators_sid() {
  static BYTE sid[SECURITY_MAX_SID_SIZE];
  static DWORD size = sizeof sid;
  static const bool made = CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size);
  return made ? sid : nullptr;
}

BOOL WINAPI FaultyGetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID info, DWORD size,
                                      PDWORD needed) {
  g_token.queried.push_back(token);
  TokenFault fault = g_token.fault;
  if (g_token.one_token) {
    const LUID id = token_id(token);
    if (id.LowPart != g_token.token_id.LowPart || id.HighPart != g_token.token_id.HighPart) fault = TokenFault::None;
  }
  if (!info && fault == TokenFault::SizeQuerySucceeds) {
    *needed = 0;
    return TRUE;
  }
  if ((!info && fault == TokenFault::SizeQueryFails) || (info && fault == TokenFault::GroupsQueryFails)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (!GetTokenInformation(token, kind, info, size, needed)) return FALSE;
  if (kind != TokenGroups || !info) return TRUE;

  auto* groups = static_cast<TOKEN_GROUPS*>(info);
  DWORD kept = 0;
  for (DWORD i = 0; i < groups->GroupCount; ++i) {
    SID_AND_ATTRIBUTES group = groups->Groups[i];
    if (EqualSid(group.Sid, administrators_sid())) {
      if (fault == TokenFault::AdministratorsRemoved) continue;
      if (fault == TokenFault::AdministratorsDenyOnly) group.Attributes = SE_GROUP_USE_FOR_DENY_ONLY;
    }
    groups->Groups[kept++] = group;
  }
  groups->GroupCount = kept;
  return TRUE;
}

class AdministratorCheck : public testing::Test {
 protected:
  void SetUp() override {
    g_token = {};
    g_token.queried.reserve(4096);
    ASSERT_NE(nullptr, administrators_sid());
    ASSERT_TRUE(patch_.ok()) << "GetTokenInformation import not found";
  }

  void expect_tokens_closed() {
    for (HANDLE token : g_token.queried) {
      DWORD flags = 0;
      EXPECT_FALSE(GetHandleInformation(token, &flags)) << "token handle " << token << " left open";
    }
  }

  harness::Dll srv{"srvsetup.dll"};
  harness::ImportPatch patch_{srv.module(), "ADVAPI32.dll", "GetTokenInformation",
                              reinterpret_cast<const void*>(&FaultyGetTokenInformation)};
};

struct TokenCase {
  TokenFault fault;
  int result;
  const char* name;
};

void PrintTo(const TokenCase& c, std::ostream* os) { *os << c.name; }

class TokenCases : public AdministratorCheck, public testing::WithParamInterface<TokenCase> {};

TEST_P(TokenCases, AnswerAndReleaseTheTokenAndMemory) {
  g_token.fault = GetParam().fault;
  EXPECT_EQ(GetParam().result, srv("RunningAsAdministrator"));

  // Many calls on the same path leave nothing behind: no token handle open,
  // no group buffer or SID on the heap.
  const SIZE_T heap = harness::heap_in_use();
  for (int i = 0; i < 200; ++i) ASSERT_EQ(GetParam().result, srv("RunningAsAdministrator"));
  EXPECT_EQ(heap, harness::heap_in_use());
  ASSERT_FALSE(g_token.queried.empty());
  expect_tokens_closed();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TokenCases,
    testing::Values(TokenCase{TokenFault::None, 1, "real groups"},
                    TokenCase{TokenFault::AdministratorsRemoved, 0, "Administrators removed"},
                    // Membership counts, not what the group may be used for.
                    TokenCase{TokenFault::AdministratorsDenyOnly, 1, "Administrators deny-only"},
                    TokenCase{TokenFault::SizeQuerySucceeds, 0, "size query succeeds"},
                    TokenCase{TokenFault::SizeQueryFails, 0, "size query fails otherwise"},
                    TokenCase{TokenFault::GroupsQueryFails, 0, "groups query fails"}));

TEST_F(AdministratorCheck, AnImpersonatingCallerIsJudgedByItsThreadToken) {
  ASSERT_TRUE(ImpersonateSelf(SecurityImpersonation));
  HANDLE thread_token = nullptr;
  ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &thread_token));
  g_token.token_id = token_id(thread_token);
  CloseHandle(thread_token);
  g_token.one_token = true;
  g_token.fault = TokenFault::AdministratorsRemoved;

  const int impersonating = srv("RunningAsAdministrator");
  RevertToSelf();

  EXPECT_EQ(0, impersonating) << "the thread token lacks the group";
  EXPECT_EQ(1, srv("RunningAsAdministrator")) << "the process token has it";
  expect_tokens_closed();
}

}  // namespace
