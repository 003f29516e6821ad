#include "support/cups_server.h"

#include "support/child_process.h"

#include <cups/cups.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace lntc::test {

namespace {

bool answers(const std::string& socket) {
    http_t* http = httpConnect2(socket.c_str(), 0, nullptr, AF_UNSPEC, HTTP_ENCRYPTION_NEVER, 1,
                                1000, nullptr);
    httpClose(http);
    return http != nullptr;
}

} // namespace

CupsServer::CupsServer() {
    namespace fs = std::filesystem;
    // Short: the socket's path must fit a socket address.
    std::string templ = "/tmp/lntc-cups-XXXXXX";
    if (!mkdtemp(templ.data())) {
        reason_ = "mkdtemp failed";
        return;
    }
    dir_ = templ;
    socket_ = dir_ + "/cups.sock";
    const bool root = geteuid() == 0;
    fs::permissions(dir_, static_cast<fs::perms>(0755));
    for (const char* sub : {"spool", "cache", "state", "log", "temp", "ppd"}) {
        fs::create_directories(dir_ + "/" + sub);
        // As root, cupsd does its work as lp.
        if (const passwd* lp = root ? getpwnam("lp") : nullptr)
            if (::chown((dir_ + "/" + sub).c_str(), lp->pw_uid, lp->pw_gid) != 0) reason_ = "chown";
    }
    std::ofstream(dir_ + "/cupsd.conf")
        << "Listen " << socket_ << "\nLogLevel warn\nBrowsing Off\nWebInterface No\n"
        << "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
        << "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow all\n  </Limit>\n"
        << "</Policy>\n";
    std::ofstream files(dir_ + "/cups-files.conf");
    if (root) files << "User lp\nGroup lp\n";
    files << "ServerRoot " << dir_ << "\nRequestRoot " << dir_ << "/spool\nCacheDir " << dir_
          << "/cache\nStateDir " << dir_ << "/state\nTempDir " << dir_ << "/temp\nErrorLog " << dir_
          << "/log/error_log\nAccessLog " << dir_ << "/log/access_log\nPageLog " << dir_
          << "/log/page_log\nFileDevice Yes\n";
    files.close();

    const char* cupsd = "/usr/sbin/cupsd";
    if (::access(cupsd, X_OK) != 0) {
        reason_ = "cupsd is not installed";
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        const std::string conf = dir_ + "/cupsd.conf", cf = dir_ + "/cups-files.conf";
        execl(cupsd, cupsd, "-f", "-c", conf.c_str(), "-s", cf.c_str(), nullptr);
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!answers(socket_)) {
        const bool ended = waitpid(pid_, nullptr, WNOHANG) == pid_;
        if (ended || std::chrono::steady_clock::now() > deadline) {
            reason_ = "cupsd did not start; see " + dir_ + "/log/error_log";
            if (!ended) ::kill(pid_, SIGKILL);
            if (!ended) waitpid(pid_, nullptr, 0);
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (const char* v = std::getenv("CUPS_SERVER")) previous_ = v;
    setenv("CUPS_SERVER", socket_.c_str(), 1);
    cupsSetServer(nullptr); // the client takes CUPS_SERVER afresh
}

CupsServer::~CupsServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
        previous_ ? setenv("CUPS_SERVER", previous_->c_str(), 1) : unsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
    }
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
}

bool CupsServer::lpadmin(const std::vector<std::string>& args) {
    return runProgram("/usr/sbin/lpadmin", args, {{"CUPS_SERVER", socket_}}).exitCode == 0;
}

} // namespace lntc::test
