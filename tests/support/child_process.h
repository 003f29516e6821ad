// A child process with pipes to its standard input and output, for tests with several
// processes on one machine root.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace lntc::test {

class ChildProcess {
  public:
    // Starts program with args; env entries are added to (or replace) the current environment.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::map<std::string, std::string>& env);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void send(const std::string& line);
    // The next output line, or nullopt at end of output (or after an upper bound of waiting
    // that only a hung child reaches).
    std::optional<std::string> readLine();
    // send + readLine.
    std::string ask(const std::string& line);
    void closeInput();
    // Waits for the end; the raw wait status.
    int wait();
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
    std::string buffer_;
    bool waited_ = false;
    int status_ = 0;
};

// A forked copy of this process running body, whose result is the exit code (99 when it
// throws). tell() and await() pass single characters both ways to order the steps.
class ForkedChild {
  public:
    explicit ForkedChild(const std::function<int(ForkedChild&)>& body);
    ~ForkedChild(); // kills a child still running
    ForkedChild(const ForkedChild&) = delete;
    ForkedChild& operator=(const ForkedChild&) = delete;
    void tell(char c);
    // The next character from the other side; 0 when it went away.
    char await();
    // Waits for the end; the raw wait status.
    int join();
    void kill();

  private:
    int down_[2] = {-1, -1}, up_[2] = {-1, -1};
    pid_t pid_ = -1;
    bool inChild_ = false, reaped_ = false;
};

bool exitedWith(int status, int code);

// A TCP socket listening on 127.0.0.1 (connections queue up; nobody accepts them) and its port.
int LoopbackListener(uint16_t& port);

// Runs a program to its end (killed once it says nothing for a minute, as only a hung one
// does); exit status (or 128 + signal) and everything it printed.
struct RunResult {
    int exitCode;
    std::string out, err;
};
RunResult runProgram(const std::string& program, const std::vector<std::string>& args,
                     const std::map<std::string, std::string>& env, const std::string& input = "");

} // namespace lntc::test
