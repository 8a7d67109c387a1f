// Running qor as a separate process on temporary files.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/test_files.h"

extern char** environ;

namespace qor::testing {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

class QorTest : public ::testing::Test {
 protected:
  // Runs qor with `args`; standard input is `input`, or empty.
  Outcome Qor(std::vector<std::string> args, const std::string& input = "") {
    const std::string in = work.File("stdin"), out = work.File("stdout"), err = work.File("stderr");
    WriteBytes(in, input);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

    args.insert(args.begin(), QOR_PATH);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    Outcome o;
    if (posix_spawn(&pid, QOR_PATH, &actions, nullptr, argv.data(), environ) == 0) {
      int wstatus = 0;
      waitpid(pid, &wstatus, 0);
      o.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    }
    posix_spawn_file_actions_destroy(&actions);
    o.out = ReadBytes(out);
    o.err = ReadBytes(err);
    return o;
  }

  std::string Sample(const std::string& name, std::size_t size, unsigned seed = 1) {
    const std::string path = dir.File(name);
    WriteBytes(path, SampleBytes(size, seed));
    return path;
  }

  TempDir dir;   // the files qor works on
  TempDir work;  // qor's standard streams
};

}  // namespace qor::testing
