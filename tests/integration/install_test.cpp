// The installed tree: the build installed under a temporary prefix other than the configured
// one, product programs built against it with pkg-config and with the CMake package, run with a
// temporary machine root.
#include "support/child_process.h"
#include "support/temp_root.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <utility>

using namespace lntc::test;
namespace fs = std::filesystem;

namespace {

const std::string kMajor = std::string(LNTC_VERSION).substr(0, std::string(LNTC_VERSION).find('.'));

class InstalledTree : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        prefix_ = new TempRoot;
        RunResult r =
            runProgram(LNTC_CMAKE, {"--install", LNTC_BUILD_DIR, "--prefix", prefix_->path()}, {});
        ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    }
    static void TearDownTestSuite() { delete std::exchange(prefix_, nullptr); }
    // A path of the installed tree, as given by the install's directory names below the prefix.
    static std::string at(const std::string& dir) { return prefix_->path() + "/" + dir; }
    static std::string lib() { return at(LNTC_INSTALL_LIBDIR); }
    static std::string bin() { return at(LNTC_INSTALL_BINDIR); }
    static RunResult shell(const std::string& script,
                           const std::map<std::string, std::string>& env = {}) {
        return runProgram("/bin/sh", {"-c", script}, env);
    }

    TempRoot work;
    static TempRoot* prefix_;
};

TempRoot* InstalledTree::prefix_ = nullptr;

// Both ways a product program finds the library give a program that reads the configuration
// the installed tool set up, and shows the logo through the installed Qt host.
TEST_F(InstalledTree, ProgramsBuiltWithPkgConfigAndTheCMakePackageRunAgainstIt) {
    const std::string root = work.path() + "/root";
    const std::map<std::string, std::string> env = {
        {"LNT_ROOT", root},      {"LNTC_SHARE", ""},
        {"LNTC_NO_GUI", "0"},    {"QT_QPA_PLATFORM", "offscreen"},
        {"LD_LIBRARY_PATH", ""}, {"ASAN_OPTIONS", "detect_leaks=0"}}; // Qt outlives the library
    ASSERT_EQ(runProgram(bin() + "/lntc", {"demo-setup"}, env).exitCode, 0);
    const std::string source = std::string(LNTC_SOURCE_DIR) + "/tests/consumer";
    const std::string build = work.path() + "/cmake-consumer";
    RunResult built = shell(
        "set -e; flags=$(pkg-config --cflags --libs lntc); '" LNTC_C_COMPILER "' '" + source +
            "/consumer.c' $flags " LNTC_CONSUMER_FLAGS " -Wl,-rpath,'" + lib() + "' -o '" +
            work.path() + "/pc-consumer'; '" LNTC_CMAKE "' -S '" + source + "' -B '" + build +
            "' -G Ninja -DCMAKE_C_COMPILER='" LNTC_C_COMPILER
            "' -DCMAKE_C_FLAGS='" LNTC_CONSUMER_FLAGS "' -DCMAKE_PREFIX_PATH='" +
            prefix_->path() + "' >/dev/null; '" LNTC_CMAKE "' --build '" + build + "' >/dev/null",
        {{"PKG_CONFIG_LIBDIR", lib() + "/pkgconfig"}, {"PKG_CONFIG_PATH", ""}});
    ASSERT_EQ(built.exitCode, 0) << built.out << built.err;

    // lntc-config and the Qt host are installed together, where Qt is found.
    const bool qt = fs::exists(bin() + "/lntc-config");
    for (const std::string& program : {work.path() + "/pc-consumer", build + "/consumer"}) {
        RunResult r = runProgram(program, {"ACCOUNTS_LJ"}, env);
        EXPECT_EQ(std::to_string(r.exitCode) + " " + r.out,
                  "0 windows " + std::to_string(qt) +
                      "\nqueue 0 Accounts department, second floor\n")
            << program << r.err;
        RunResult libs = shell("ldd '" + program + "' | grep liblntc");
        EXPECT_NE(libs.out.find(lib() + "/liblntc.so." + kMajor), std::string::npos) << libs.out;
    }
    // The installed configuration program runs the installed demo script on that root.
    const std::string script = at(LNTC_INSTALL_DATADIR) + "/lntc/demo/configure.script";
    RunResult run =
        qt ? runProgram(bin() + "/lntc-config", {"--script", script}, env) : RunResult{};
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
}

// The manual pages render without a warning and name every command and option the programs
// list in their help; the completion offers the commands and their options.
TEST_F(InstalledTree, ManualPagesAndCompletionCoverThePrograms) {
    using Page = std::pair<std::string, std::string>;
    for (const auto& [page, program] :
         {Page{"lntc", bin() + "/lntc"}, Page{"lntc-config", bin() + "/lntc-config"}}) {
        if (!fs::exists(program)) continue; // lntc-config needs Qt
        RunResult text = shell("man --warnings --nh --nj -l '" + at(LNTC_INSTALL_MANDIR) +
                                   "/man1/" + page + ".1.gz'",
                               {{"MANWIDTH", "500"}, {"LC_ALL", "C"}, {"MAN_KEEP_FORMATTING", ""}});
        EXPECT_EQ(std::to_string(text.exitCode) + text.err, "0") << page;
        // What an indented help line starts with: a command or an option.
        const std::string help = runProgram(program, {"--help"}, {}).out;
        const std::regex named(R"((^|\n)  (\S+))");
        std::sregex_iterator word(help.begin(), help.end(), named), end;
        EXPECT_NE(word, end) << page;
        for (; word != end; ++word)
            EXPECT_NE(text.out.find((*word)[2]), std::string::npos)
                << page << " lacks " << (*word)[2];
    }

    // The parts of bash-completion the script uses, reduced to what these cases need.
    std::string script = "_init_completion() { words=(\"${COMP_WORDS[@]}\"); cword=$COMP_CWORD; "
                         "cur=${words[cword]}; prev=${words[cword-1]}; }; source '" +
                         at(LNTC_INSTALL_DATADIR "/bash-completion/completions/lntc") + "'; ";
    for (const char* words :
         {"lntc re", "lntc reg export --", "lntc retain Q ''", "lntc --root / ldpx HP_LASERJET_4"})
        script += std::string("COMP_WORDS=(") + words +
                  "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); " +
                  "COMPREPLY=(); _lntc; echo \"${COMPREPLY[*]}\"; ";
    // The candidates come from the installed lntc.
    RunResult r =
        runProgram("/bin/bash", {"-c", script}, {{"PATH", bin() + ":" + std::getenv("PATH")}});
    EXPECT_EQ(r.out, "retain reg restore\n--regedit4 --v5\n0 1\n"
                     "HP_LASERJET_4M HP_LASERJET_4MPLUS HP_LASERJET_4MV HP_LASERJET_4SIMX\n")
        << r.err;
}

} // namespace
