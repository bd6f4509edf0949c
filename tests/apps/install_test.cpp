// The install rules and the Debian package, checked on what they produce.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>

#include "program_run.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

// The first word of the value of the first "key=value" line, or "".
std::string entry(const std::string& text, const std::string& key) {
    std::size_t start = text.find("\n" + key + "=");
    if (start == std::string::npos) {
        return "";
    }
    start += key.size() + 2;
    return text.substr(start, text.find_first_of(" \n", start) - start);
}

// Installed into a temporary prefix, every program, the desktop entry, the
// listener's unit and the demo work from there.
TEST(InstallTree, EveryProgramItsDesktopEntryUnitAndExampleWorkFromThePrefix) {
    TempFolder temp;
    std::string prefix = temp.file("prefix");
    ProgramRun install = run_command(temp, std::string("'") + CMAKE_COMMAND + "' --install '" +
                                               BUILD_DIR + "' --prefix '" + prefix + "'");
    ASSERT_EQ(install.code, 0) << install.out << install.err;
    for (const std::string program :
         {"zelkon-cluster-controller", "zelkon-listener", "zelkon-pipe-call"}) {
        ProgramRun version = run_command(temp, "'" + prefix + "/bin/" + program + "' --version");
        EXPECT_EQ(version.out.rfind(program + " ", 0), 0u) << version.out << version.err;
#ifdef ZELKON_MAN_PAGES
        EXPECT_TRUE(fs::exists(prefix + "/share/man/man1/" + program + ".1.gz")) << program;
#endif
    }
    std::string desktop = prefix + "/share/applications/zelkon-cluster-controller.desktop";
    std::string text = file_text(desktop);
    EXPECT_TRUE(fs::exists(prefix + "/bin/" + entry(text, "Exec"))) << text;
    EXPECT_TRUE(
        fs::exists(prefix + "/share/icons/hicolor/scalable/apps/" + entry(text, "Icon") + ".svg"))
        << text;
    std::string unit = file_text(prefix + "/lib/systemd/user/zelkon-listener.service");
    EXPECT_EQ(entry(unit, "ExecStart"), prefix + "/bin/zelkon-listener") << unit;
    fs::copy(prefix + "/share/zelkon/examples/demo", temp.file("demo"));
    ProgramRun init = run_command(
        temp, "cd '" + temp.file("demo") + "' && '" + prefix + "/bin/zelkon' zelkon.inp CLUSTER=3");
    EXPECT_EQ(init.code, 0) << init.err;
    EXPECT_TRUE(fs::exists(temp.file("demo/zelkon_cluster_3.zcd")));
}

// The packages as scripts/package.sh builds them.
TEST(DebianPackages, TheTaskServersPackageNeedsNoDisplayAndTheControllersDependsOnIt) {
    if (std::system("command -v dpkg-deb && command -v dpkg-shlibdeps > /dev/null") != 0) {
        GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps is missing";
    }
    TempFolder temp;
    ProgramRun pack =
        run_command(temp, std::string("'") + CPACK_COMMAND + "' -G DEB -B '" + temp.file("out") +
                              "' --config '" + BUILD_DIR + "/CPackConfig.cmake'");
    ASSERT_EQ(pack.code, 0) << pack.out << pack.err;
    std::map<std::string, std::string> packages;
    auto dpkg_deb = [&](const std::string& options, const std::string& file) {
        return run_command(temp, "dpkg-deb " + options + " '" + file + "'").out;
    };
    for (const auto& item : fs::directory_iterator(temp.file("out"))) {
        std::string name = dpkg_deb("-f", item.path().string() + "' 'Package");
        packages[name.substr(0, name.find('\n'))] = item.path().string();
    }
    const std::string server = packages["zelkon-task-server"];
    const std::string controller = packages["zelkon-cluster-controller"];
    ASSERT_FALSE(server.empty() || controller.empty()) << pack.out;
    std::string server_files = dpkg_deb("-c", server);
    for (const std::string program :
         {"zelkon", "zelkon_cluster_task", "zelkon_cluster_assemble", "zelkon_matrix_check",
          "zelkon-listener", "zelkon-pipe-call"}) {
        EXPECT_TRUE(contains(server_files, " ./usr/bin/" + program + "\n")) << program;
    }
    EXPECT_FALSE(contains(server_files, "zelkon-cluster-controller")) << server_files;
    std::string server_needs = dpkg_deb("-f", server + "' 'Depends");
    EXPECT_TRUE(contains(server_needs, "libqt6core6")) << server_needs;
    for (const std::string display :
         {"libqt6gui", "libqt6widgets", "libgl1", "libopengl", "libegl", "libx11", "libxcb"}) {
        EXPECT_FALSE(contains(server_needs, display)) << server_needs;
    }
    ProgramRun unit = run_command(temp, "dpkg-deb --fsys-tarfile '" + server +
                                            "' | tar -xO ./usr/lib/systemd/user/"
                                            "zelkon-listener.service");
    EXPECT_EQ(entry(unit.out, "ExecStart"), "/usr/bin/zelkon-listener") << unit.out;
    std::string controller_files = dpkg_deb("-c", controller);
    EXPECT_TRUE(contains(controller_files, " ./usr/bin/zelkon-cluster-controller\n"));
    EXPECT_TRUE(contains(controller_files,
                         " ./usr/share/applications/zelkon-cluster-controller.desktop\n"));
    EXPECT_FALSE(contains(controller_files, "zelkon-listener")) << controller_files;
    std::string controller_needs = dpkg_deb("-f", controller + "' 'Depends");
    for (const std::string needed :
         {"zelkon-task-server (= " ZELKON_VERSION ")", "openssh-client", "libqt6widgets6"}) {
        EXPECT_TRUE(contains(controller_needs, needed)) << controller_needs;
    }
}

}  // namespace
}  // namespace zelkon
