#include "support/child_process.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace lntc::test {

namespace {

// Starts program with its standard input, output and (when err is given) error on pipes; env's
// entries are added to the current environment or replace its.
pid_t spawn(const std::string& program, const std::vector<std::string>& args,
            const std::map<std::string, std::string>& env, int& in, int& out, int* err) {
    std::signal(SIGPIPE, SIG_IGN);
    const int streams = err ? 3 : 2;
    int pipes[3][2];
    for (int i = 0; i < streams; ++i)
        if (pipe2(pipes[i], O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e)
        if (!env.count(std::string(*e).substr(0, std::string(*e).find('='))))
            envStrings.push_back(*e);
    for (const auto& [k, v] : env)
        envStrings.push_back(k + "=" + v);
    std::vector<char*> argv{const_cast<char*>(program.c_str())}, envp;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    for (auto& e : envStrings)
        envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    for (int i = 0; i < streams; ++i) { // the child's end of input is 0, of output 1
        if (pid == 0) dup2(pipes[i][i == 0 ? 0 : 1], i);
        close(pipes[i][i == 0 ? 0 : 1]);
    }
    if (pid == 0) {
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    in = pipes[0][1];
    out = pipes[1][0];
    if (err) *err = pipes[2][0];
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

} // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::map<std::string, std::string>& env) {
    pid_ = spawn(program, args, env, in_, out_, nullptr);
}

ChildProcess::~ChildProcess() {
    closeInput();
    // Give the child the chance to end by itself, as a product process does at end of input.
    for (int i = 0; i < 500 && !waited_; ++i)
        if (!(waited_ = waitpid(pid_, &status_, WNOHANG) == pid_)) usleep(10000);
    if (!waited_) kill(pid_, SIGKILL);
    wait();
    close(out_);
}

void ChildProcess::send(const std::string& line) {
    std::string data = line + "\n";
    if (in_ >= 0) (void)!write(in_, data.data(), data.size());
}

std::optional<std::string> ChildProcess::readLine() {
    for (size_t nl; (nl = buffer_.find('\n')) == std::string::npos;) {
        pollfd p{out_, POLLIN, 0};
        char chunk[4096];
        ssize_t n = poll(&p, 1, 30000) > 0 ? read(out_, chunk, sizeof chunk) : 0;
        if (n <= 0) return std::nullopt;
        buffer_.append(chunk, static_cast<size_t>(n));
    }
    std::string line = buffer_.substr(0, buffer_.find('\n'));
    buffer_.erase(0, line.size() + 1);
    return line;
}

std::string ChildProcess::ask(const std::string& line) {
    send(line);
    return readLine().value_or("<no answer>");
}

void ChildProcess::closeInput() {
    if (in_ >= 0) close(in_);
    in_ = -1;
}

int ChildProcess::wait() {
    if (!waited_) status_ = waitFor(pid_);
    waited_ = true;
    return status_;
}

ForkedChild::ForkedChild(const std::function<int(ForkedChild&)>& body) {
    if (pipe2(down_, O_CLOEXEC) != 0 || pipe2(up_, O_CLOEXEC) != 0) std::abort();
    if ((pid_ = fork()) == 0) {
        inChild_ = true;
        close(down_[1]);
        close(up_[0]);
        int rc = 99;
        try {
            rc = body(*this);
        } catch (...) {
        }
        _exit(rc);
    }
    close(down_[0]);
    close(up_[1]);
}

ForkedChild::~ForkedChild() {
    if (!reaped_ && pid_ > 0) kill(), join();
    close(down_[1]);
    close(up_[0]);
}

void ForkedChild::tell(char c) {
    if (write(inChild_ ? up_[1] : down_[1], &c, 1) != 1) std::abort();
}

char ForkedChild::await() {
    char c = 0;
    ssize_t n;
    while ((n = read(inChild_ ? down_[0] : up_[0], &c, 1)) < 0 && errno == EINTR) {
    }
    return n == 1 ? c : 0;
}

int ForkedChild::join() {
    reaped_ = true;
    return waitFor(pid_);
}

void ForkedChild::kill() {
    ::kill(pid_, SIGKILL);
}

bool exitedWith(int status, int code) {
    return WIFEXITED(status) && WEXITSTATUS(status) == code;
}

RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& env, const std::string& input) {
    int in = -1, out = -1, err = -1;
    pid_t pid = spawn(program, args, env, in, out, &err);
    if (!input.empty()) (void)!write(in, input.data(), input.size());
    close(in);
    RunResult r{0, "", ""};
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    int ready = 1;
    while ((fds[0].fd >= 0 || fds[1].fd >= 0) && (ready = poll(fds, 2, 60000)) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP))) continue;
            char chunk[4096];
            ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
            if (n > 0) (i == 0 ? r.out : r.err).append(chunk, static_cast<size_t>(n));
            if (n <= 0) close(std::exchange(fds[i].fd, -1));
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0) close(f.fd);
    if (ready == 0) kill(pid, SIGKILL); // a minute without a word: hung, and the test fails
    const int status = waitFor(pid);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

int LoopbackListener(uint16_t& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(fd, 16) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("no loopback socket");
    port = ntohs(addr.sin_port);
    return fd;
}

} // namespace lntc::test
