// A private CUPS server for the integration tests: its own configuration, spool and log under
// a temporary folder, listening on a local socket. While it runs, CUPS_SERVER names it, so
// the library's spooler and the CUPS tools talk to it alone.
#pragma once
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace lntc::test {

class CupsServer {
  public:
    CupsServer();
    ~CupsServer();
    CupsServer(const CupsServer&) = delete;
    CupsServer& operator=(const CupsServer&) = delete;
    // Whether cupsd started; when not, why in reason().
    bool running() const { return pid_ > 0; }
    const std::string& reason() const { return reason_; }
    // lpadmin against this server; true when it succeeded.
    bool addPrinter(const std::string& name, const std::string& comment) {
        return lpadmin({"-p", name, "-E", "-v", "file:///dev/null", "-D", comment});
    }
    bool deletePrinter(const std::string& name) { return lpadmin({"-x", name}); }

  private:
    bool lpadmin(const std::vector<std::string>& args);

    std::string dir_, socket_, reason_;
    std::optional<std::string> previous_; // CUPS_SERVER before
    pid_t pid_ = -1;
};

} // namespace lntc::test
