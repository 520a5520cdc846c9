// Test checks that run in a child process: as the unprivileged user `nobody`
// when the tests run as root (so that file permissions, which bind every user
// but root, are tested wherever the suite runs), or under limits that must not
// touch the test process itself.
//
//   InChild(Privileges::kNobody, [] { ... EXPECT_...; });
//
// The child's failures are printed by the child and fail the calling test.
// Objects of the body end inside it, before the child exits.
#pragma once

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include <gtest/gtest.h>

enum class Privileges { kKept, kNobody };

template <typename Body>
void InChild(Privileges privileges, Body body) {
  std::fflush(stdout);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (privileges == Privileges::kNobody && geteuid() == 0) {
      const passwd* nobody = getpwnam("nobody");
      if (nobody == nullptr || setgroups(0, nullptr) != 0 || setgid(nobody->pw_gid) != 0 ||
          setuid(nobody->pw_uid) != 0) {
        std::printf("cannot become the user nobody\n");
        _exit(2);
      }
    }
    body();
    std::fflush(stdout);
    _exit(::testing::Test::HasFailure() ? 1 : 0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "the checks in the child process failed (see above)";
}
