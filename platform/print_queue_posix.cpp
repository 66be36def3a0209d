// The print queue over `lpstat` and `lp`: each runs as a child process whose standard
// input is fed and whose output is read without blocking. The input is a socket, so a
// child that ends early cannot raise SIGPIPE in the player.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/print_queue.h"

extern char** environ;

namespace corvida {
namespace {

constexpr size_t kMaxOutput = 4096;  // what is kept of a command's output
constexpr size_t kMaxNameLength = 127;
constexpr std::string_view kDefaultLine = "system default destination:";

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Whether `name` is a program on the PATH (as posix_spawnp will look for it).
bool OnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string_view dirs = path && *path ? path : "/usr/bin:/bin";
  while (!dirs.empty()) {
    const size_t colon = dirs.find(':');
    std::string dir(dirs.substr(0, colon));
    dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
    if (IsExecutableFile((dir.empty() ? std::string(".") : dir) + "/" + name)) return true;
  }
  return false;
}

// The player's environment with the C locale, so the commands answer in words we read.
std::vector<std::string> ChildEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    std::string_view entry(*e);
    if (entry.starts_with("LC_ALL=") || entry.starts_with("LANG=") ||
        entry.starts_with("LANGUAGE=") || entry.starts_with("LC_MESSAGES="))
      continue;
    env.emplace_back(entry);
  }
  env.emplace_back("LC_ALL=C");
  return env;
}

class ChildJob : public PrintJob {
 public:
  ~ChildJob() override {
    if (pid_ > 0 && !ended_) Cancel();
    CloseInput();
    CloseOutput();
  }

  bool Launch(const std::vector<std::string>& args, std::string document, std::string& error) {
    document_ = std::move(document);
    int input[2], output[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0) {
      error = std::strerror(errno);
      return false;
    }
    if (pipe2(output, O_CLOEXEC) != 0) {
      error = std::strerror(errno);
      close(input[0]), close(input[1]);
      return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[1], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_adddup2(&actions, output[1], 2);
    std::vector<std::string> words = args;
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = ChildEnvironment();
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const int status = posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(input[1]);
    close(output[1]);
    input_ = input[0];
    output_ = output[0];
    if (status != 0) {
      pid_ = -1;
      error = std::string("cannot start ") + args[0] + ": " + std::strerror(status);
      return false;
    }
    fcntl(input_, F_SETFL, fcntl(input_, F_GETFL) | O_NONBLOCK);
    fcntl(output_, F_SETFL, fcntl(output_, F_GETFL) | O_NONBLOCK);
    if (document_.empty()) CloseInput();
    return true;
  }

  bool Step() override {
    if (ended_) return true;
    Feed();
    Drain();
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      ended_ = true;
      exit_ok_ = WIFEXITED(status) && WEXITSTATUS(status) == 0;
      exit_text_ = WIFEXITED(status) ? "ended with status " + std::to_string(WEXITSTATUS(status))
                                     : "was stopped by signal " + std::to_string(WTERMSIG(status));
      Drain();
      CloseInput();
      CloseOutput();
    }
    return ended_;
  }

  bool WaitFor(uint32_t ms) override {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (!Step()) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
      if (left <= 0) return false;
      pollfd fds[2];
      nfds_t count = 0;
      if (input_ >= 0) fds[count++] = {input_, POLLOUT, 0};
      if (output_ >= 0) fds[count++] = {output_, POLLIN, 0};
      // The child's end itself cannot be polled: it is looked at every 20 ms at least
      // (a child's own children may hold its output open after it ended).
      poll(count ? fds : nullptr, count, int(std::min<long long>(left, 20)));
    }
    return true;
  }

  uint32_t ElapsedMs() const override {
    return uint32_t(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_).count());
  }

  void Cancel() override {
    if (ended_ || pid_ <= 0) return;
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    ended_ = true;
    exit_ok_ = false;
    cancelled_ = true;
    CloseInput();
    CloseOutput();
  }

  bool succeeded() const override { return ended_ && exit_ok_ && fed_ == document_.size(); }

  std::string error() const override {
    if (cancelled_) return "no answer from the print queue";
    // The first line the command wrote, else how it ended.
    std::string line = output_text_.substr(0, output_text_.find('\n'));
    for (char& c : line)
      if (uint8_t(c) < 0x20 || c == 0x7F) c = '?';
    if (exit_ok_ && fed_ < document_.size()) return "the print queue did not take the document";
    return line.empty() ? "lp " + exit_text_ : line;
  }

  const std::string& output() const { return output_text_; }

 private:
  using Clock = std::chrono::steady_clock;

  void Feed() {
    while (input_ >= 0 && fed_ < document_.size()) {
      const ssize_t n = send(input_, document_.data() + fed_, document_.size() - fed_,
                             MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        fed_ += size_t(n);
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
      CloseInput();  // the command stopped reading: what it took is all it gets
      return;
    }
    if (fed_ == document_.size()) CloseInput();
  }

  void Drain() {
    char buffer[1024];
    while (output_ >= 0) {
      const ssize_t n = read(output_, buffer, sizeof buffer);
      if (n > 0) {
        const size_t room = kMaxOutput - std::min(kMaxOutput, output_text_.size());
        output_text_.append(buffer, std::min(size_t(n), room));
        continue;
      }
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
      CloseOutput();
    }
  }

  void CloseInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
  }
  void CloseOutput() {
    if (output_ >= 0) close(output_);
    output_ = -1;
  }

  Clock::time_point started_ = Clock::now();
  pid_t pid_ = -1;
  int input_ = -1, output_ = -1;
  std::string document_;
  size_t fed_ = 0;
  std::string output_text_;
  bool ended_ = false, exit_ok_ = false, cancelled_ = false;
  std::string exit_text_;
};

// Titles are the stack's name: control characters are not passed on.
std::string PlainTitle(const std::string& title) {
  std::string plain = title.substr(0, 64);
  for (char& c : plain)
    if (uint8_t(c) < 0x20 || c == 0x7F) c = '?';
  return plain.empty() ? "Corvida" : plain;
}

}  // namespace

std::string ParseDefaultDestination(std::string_view text) {
  for (size_t start = 0; start < text.size();) {
    const size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (!line.starts_with(kDefaultLine)) continue;
    line.remove_prefix(kDefaultLine.size());
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.remove_suffix(1);
    if (line.empty() || line.size() > kMaxNameLength || line.front() == '-') return "";
    for (char c : line)
      if (uint8_t(c) <= 0x20 || uint8_t(c) >= 0x7F || c == '/') return "";
    return std::string(line);
  }
  return "";
}

std::string DefaultPrinter(uint32_t limit_ms) {
  if (!OnPath("lp") || !OnPath("lpstat")) return "";
  ChildJob query;
  std::string error;
  if (!query.Launch({"lpstat", "-d"}, "", error)) return "";
  if (!query.WaitFor(limit_ms)) {
    query.Cancel();
    return "";
  }
  return ParseDefaultDestination(query.output());
}

std::unique_ptr<PrintJob> PrintJob::Start(const std::string& destination, const std::string& title,
                                          PageSetup::Paper paper, std::string document,
                                          std::string& error) {
  auto job = std::make_unique<ChildJob>();
  const std::string media = paper == PageSetup::Paper::kLetter ? "media=Letter" : "media=A4";
  if (!job->Launch({"lp", "-d", destination, "-t", PlainTitle(title), "-o", media},
                   std::move(document), error))
    return nullptr;
  return job;
}

}  // namespace corvida
