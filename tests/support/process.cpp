#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

extern char** environ;  // POSIX has it, but not every header declares it

namespace {

constexpr int exit_not_started = 127;

using Clock = std::chrono::steady_clock;

// Runs in the forked child: nothing here may allocate, since the parent may
// have other threads.
[[noreturn]] void become_child(const RunOptions& options, char* const* args, char* const* env,
                               int in_fd, int out_fd, int err_fd) {
  if (!options.input_file.empty()) in_fd = open(options.input_file.c_str(), O_RDONLY);
  dup2(in_fd, 0);
  if (options.output_full) out_fd = open("/dev/full", O_WRONLY);
  dup2(out_fd, 1);
  dup2(err_fd, 2);
  if (chdir(options.work_dir.c_str()) != 0) _exit(exit_not_started);
  setpgid(0, 0);  // so that a kill reaches whatever it started too
  if (options.full_card) {
    // Writes then fail with EFBIG instead of killing the writer.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit none = {0, 0};
    setrlimit(RLIMIT_FSIZE, &none);
  }
  signal(SIGPIPE, SIG_DFL);
  execve(args[0], args, env);
  _exit(exit_not_started);
}

// Pipes are made and children forked under this lock: a fork on another
// thread between pipe() and its FD_CLOEXEC would keep an end open in that
// child. (pipe2 would do it in one step, but macOS lacks it.)
std::mutex spawning;

// Both ends close on exec; the child's dup2 copies do not.
bool make_pipe(int ends[2]) {
  if (pipe(ends) != 0) return false;
  fcntl(ends[0], F_SETFD, FD_CLOEXEC);
  fcntl(ends[1], F_SETFD, FD_CLOEXEC);
  return true;
}

}  // namespace

Outcome run_program(const RunOptions& options) {
  // A program that ends before taking all its input must not kill the runner.
  signal(SIGPIPE, SIG_IGN);
  Outcome outcome;
  const std::string memory_file =
      options.work_dir.string() + "/.peak-memory-" + std::to_string(getpid()) + "-" +
      std::to_string(std::hash<std::thread::id>()(std::this_thread::get_id()));
  std::vector<std::string> argv = options.argv;
  if (!options.peak_memory.empty()) argv.insert(argv.begin(), {options.peak_memory, memory_file});
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (char** at = environ; *at != nullptr; ++at) env.push_back(*at);
  for (const auto& variable : options.environment)
    env.push_back(const_cast<char*>(variable.c_str()));
  env.push_back(nullptr);
  int in_pipe[2], out_pipe[2], err_pipe[2];
  std::unique_lock lock(spawning);
  if (!make_pipe(in_pipe) || !make_pipe(out_pipe) || !make_pipe(err_pipe)) {
    outcome.how_it_ended = "could not make pipes";
    return outcome;
  }
  const auto started = Clock::now();
  const pid_t child = fork();
  if (child == 0)
    become_child(options, args.data(), env.data(), in_pipe[0], out_pipe[1], err_pipe[1]);
  lock.unlock();
  setpgid(child, child);  // as the child does, so that an early kill finds the group
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  fcntl(in_pipe[1], F_SETFL, O_NONBLOCK);

  std::size_t written = 0;
  int in_fd = in_pipe[1];
  if (options.input.empty()) {
    close(in_fd);
    in_fd = -1;
  }
  int out_fd = out_pipe[0], err_fd = err_pipe[0];
  if (options.output_closed) {
    close(out_fd);
    out_fd = -1;
  }
  const auto deadline = started + options.deadline;
  const auto kill_at = options.kill ? started + *options.kill : Clock::time_point::max();
  bool killed = false;
  while (out_fd >= 0 || err_fd >= 0) {
    const auto until = std::min(deadline, kill_at);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    if (left.count() <= 0) {
      outcome.timed_out = Clock::now() >= deadline;
      kill(-child, SIGKILL);
      killed = true;
      break;
    }
    pollfd fds[3] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}, {in_fd, POLLOUT, 0}};
    if (poll(fds, 3, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[65536];
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got <= 0) {
        close(fds[i].fd);
        (i == 0 ? out_fd : err_fd) = -1;
      } else {
        (i == 0 ? outcome.out : outcome.err).append(buffer, static_cast<std::size_t>(got));
      }
    }
    if (in_fd >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t put =
          write(in_fd, options.input.data() + written, options.input.size() - written);
      if (put > 0) written += static_cast<std::size_t>(put);
      // A program that ended before reading it all has closed the pipe: fine.
      if ((put < 0 && errno != EAGAIN) || written == options.input.size()) {
        close(in_fd);
        in_fd = -1;
      }
    }
  }
  for (int fd : {in_fd, out_fd, err_fd})
    if (fd >= 0) close(fd);

  int wait_status = 0;
  while (waitpid(child, &wait_status, killed ? 0 : WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      outcome.timed_out = true;
      kill(-child, SIGKILL);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  outcome.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
  if (!options.peak_memory.empty()) {
    if (FILE* file = std::fopen(memory_file.c_str(), "r")) {
      if (std::fscanf(file, "%ld", &outcome.max_rss_kib) != 1) outcome.max_rss_kib = 0;
      std::fclose(file);
    }
    std::remove(memory_file.c_str());
  }
  if (outcome.timed_out) {
    outcome.how_it_ended = "did not end within " + std::to_string(options.deadline.count()) + " ms";
  } else if (WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == exit_not_started) {
    outcome.how_it_ended = "could not start " + options.argv.front();
  } else if (WIFEXITED(wait_status)) {
    outcome.status = WEXITSTATUS(wait_status);
    outcome.how_it_ended = "exit status " + std::to_string(outcome.status);
  } else if (WIFSIGNALED(wait_status)) {
    outcome.term_signal = WTERMSIG(wait_status);
    outcome.how_it_ended = std::string("killed by signal ") + strsignal(outcome.term_signal);
  }
  return outcome;
}

std::vector<Outcome> run_programs(const std::vector<RunOptions>& runs, std::size_t at_once) {
  std::vector<Outcome> outcomes(runs.size());
  for (std::size_t first = 0; first < runs.size(); first += at_once) {
    std::vector<std::thread> batch;
    for (std::size_t i = first; i < std::min(runs.size(), first + at_once); ++i)
      batch.emplace_back([&, i] { outcomes[i] = run_program(runs[i]); });
    for (auto& thread : batch) thread.join();
  }
  return outcomes;
}
