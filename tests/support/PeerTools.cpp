#include "tests/support/PeerTools.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace qel::test {

namespace fs = std::filesystem;

namespace {

std::string Quoted(const std::vector<std::string>& argv) {
  std::string line;
  for (const std::string& a : argv) line += (line.empty() ? "'" : " '") + a + "'";
  return line;
}

}  // namespace

ToolRun RunTool(const std::vector<std::string>& argv, const std::string& cwd,
                std::chrono::seconds limit) {
  ToolRun run;
  run.status = 127;
  if (argv.empty()) return run;
  // A test says which tools it needs up front, so that a missing one skips it rather than
  // failing it half way.
  if (FindTool(argv[0]).empty() && ::testing::UnitTest::GetInstance()->current_test_info()) {
    ADD_FAILURE() << "'" << argv[0] << "' is not installed; the test should require it";
    return run;
  }
  int out[2], err[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return run;
  if (::pipe2(err, O_CLOEXEC) != 0) {
    ::close(out[0]);
    ::close(out[1]);
    return run;
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid == 0) {
    // The child: only async-signal-safe calls until exec.
    int in = ::open("/dev/null", O_RDONLY);
    if (in >= 0) ::dup2(in, 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(127);
    ::execvp(args[0], args.data());
    static const char kFailed[] = "exec failed\n";
    (void)!::write(2, kFailed, sizeof kFailed - 1);
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  if (pid < 0) {
    ::close(out[0]);
    ::close(err[0]);
    run.err = "fork failed";
    return run;
  }

  // Both pipes are drained together, so a tool that fills one of them never blocks.
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&run.out, &run.err};
  const auto deadline = std::chrono::steady_clock::now() + limit;
  bool timedOut = false;
  char buffer[65536];
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    int ready = ::poll(fds, 2, int(left.count()));
    if (ready <= 0) continue;  // interrupted, or time is up (checked above)
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n > 0) {
        sinks[i]->append(buffer, size_t(n));
      } else {  // every writer closed it
        ::close(fds[i].fd);
        fds[i].fd = -1;
      }
    }
  }
  for (pollfd& p : fds)
    if (p.fd >= 0) ::close(p.fd);
  if (timedOut) ::kill(pid, SIGKILL);

  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (timedOut)
    run.status = -1;
  else if (WIFEXITED(status))
    run.status = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    run.status = 128 + WTERMSIG(status);
  return run;
}

bool RunToolOk(const std::vector<std::string>& argv, const std::string& cwd) {
  ToolRun run = RunTool(argv, cwd);
  if (run.Ok()) return true;
  ADD_FAILURE() << Quoted(argv) << " in '" << cwd << "' ended with status " << run.status << ":\n"
                << run.out << run.err;
  return false;
}

std::string FindTool(const std::string& name) {
  if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : "";
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  for (size_t start = 0; start <= dirs.size();) {
    size_t colon = dirs.find(':', start);
    if (colon == std::string::npos) colon = dirs.size();
    std::string dir = dirs.substr(start, colon - start);
    std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    std::error_code ec;
    if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    start = colon + 1;
  }
  return "";
}

bool RequireTool(const std::string& name) {
  if (!FindTool(name).empty()) return true;
  const char* noSkip = std::getenv("VK_NO_SKIP");
  if (noSkip && std::string(noSkip) == "1")
    ADD_FAILURE() << "peer tool '" << name << "' is not installed (VK_NO_SKIP=1)";
  else
    [&] { GTEST_SKIP() << "peer tool '" << name << "' is not installed"; }();
  return false;
}

}  // namespace qel::test
