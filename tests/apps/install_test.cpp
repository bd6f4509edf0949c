// The install rules and the Debian package, checked on what they produce.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "program_run.h"

namespace zelkon {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kPrograms = {"zelkon-cluster-controller", "zelkon-listener",
                                            "zelkon-pipe-call"};
const std::vector<std::string> kReferencePrograms = {
    "zelkon", "zelkon_cluster_task", "zelkon_cluster_assemble", "zelkon_matrix_check"};

bool have(const std::string& program) {
    return std::system(("command -v " + program + " > /dev/null 2>&1").c_str()) == 0;
}

// The value of the first "key=value" line, or "".
std::string entry(const std::string& text, const std::string& key) {
    std::size_t start = text.find("\n" + key + "=");
    if (start == std::string::npos) {
        return "";
    }
    start += key.size() + 2;
    return text.substr(start, text.find('\n', start) - start);
}

std::string first_word(const std::string& text) {
    return text.substr(0, text.find(' '));
}

// A fresh install of the build into a temporary prefix.
class InstallTree : public ::testing::Test {
  protected:
    void SetUp() override {
        ProgramRun install = run_command(temp, std::string("'") + CMAKE_COMMAND + "' --install '" +
                                                   BUILD_DIR + "' --prefix '" + prefix() + "'");
        ASSERT_EQ(install.code, 0) << install.out << install.err;
    }
    std::string prefix() const { return temp.file("prefix"); }
    std::string bin(const std::string& program) const { return prefix() + "/bin/" + program; }

    TempFolder temp;
};

TEST_F(InstallTree, EveryProgramRunsFromThePrefix) {
    for (const auto& program : kPrograms) {
        ProgramRun version = run_command(temp, "'" + bin(program) + "' --version");
        EXPECT_EQ(version.code, 0) << program << version.err;
        EXPECT_EQ(version.out.rfind(program + " ", 0), 0u) << version.out;
    }
    // They take no options: without arguments they give their usage.
    for (const auto& program : kReferencePrograms) {
        ProgramRun usage = run_command(temp, "'" + bin(program) + "'");
        EXPECT_EQ(usage.code, 2) << program << usage.err;
        EXPECT_NE(usage.err.find("usage: " + program + " "), std::string::npos) << usage.err;
    }
}

TEST_F(InstallTree, TheDesktopEntryIsValidAndNamesTheInstalledProgramAndIcon) {
    std::string desktop = prefix() + "/share/applications/zelkon-cluster-controller.desktop";
    std::string text = file_text(desktop);
    EXPECT_TRUE(fs::exists(bin(first_word(entry(text, "Exec"))))) << text;
    EXPECT_TRUE(
        fs::exists(prefix() + "/share/icons/hicolor/scalable/apps/" + entry(text, "Icon") + ".svg"))
        << text;
    if (have("desktop-file-validate")) {
        ProgramRun check = run_command(temp, "desktop-file-validate '" + desktop + "'");
        EXPECT_EQ(check.code, 0);
        EXPECT_EQ(check.out + check.err, "");
    }
}

TEST_F(InstallTree, TheListenersUserUnitStartsTheInstalledListener) {
    std::string unit = file_text(prefix() + "/lib/systemd/user/zelkon-listener.service");
    std::string program = first_word(entry(unit, "ExecStart"));
    EXPECT_EQ(program, bin("zelkon-listener")) << unit;
    EXPECT_EQ(access(program.c_str(), X_OK), 0) << unit;
}

TEST_F(InstallTree, TheDemoExampleRunsWithTheInstalledProgram) {
    fs::copy(prefix() + "/share/zelkon/examples/demo", temp.file("demo"));
    ProgramRun init = run_command(
        temp, "cd '" + temp.file("demo") + "' && '" + bin("zelkon") + "' zelkon.inp CLUSTER=3");
    EXPECT_EQ(init.code, 0) << init.err;
    EXPECT_TRUE(fs::exists(temp.file("demo/zelkon_cluster_3.zcd")));
    EXPECT_TRUE(fs::exists(prefix() + "/share/doc/zelkon-cluster-controller/README.md"));
#ifdef ZELKON_MAN_PAGES
    for (const auto& programs : {kPrograms, kReferencePrograms}) {
        for (const auto& program : programs) {
            EXPECT_TRUE(fs::exists(prefix() + "/share/man/man1/" + program + ".1.gz")) << program;
        }
    }
#endif
}

// The packages, built from the build folder as scripts/package.sh does.
class DebianPackages : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!have("dpkg-deb") || !have("dpkg-shlibdeps")) {
            GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps is missing";
        }
        ProgramRun pack = run_command(temp, std::string("'") + CPACK_COMMAND + "' -G DEB -B '" +
                                                temp.file("out") + "' --config '" + BUILD_DIR +
                                                "/CPackConfig.cmake'");
        ASSERT_EQ(pack.code, 0) << pack.out << pack.err;
        for (const auto& item : fs::directory_iterator(temp.file("out"))) {
            if (item.path().extension() == ".deb") {
                std::string file = item.path().string();
                packages[dpkg_deb("-f", file, "Package").out] = file;
            }
        }
        ASSERT_EQ(packages.size(), 2u) << pack.out;
    }
    ProgramRun dpkg_deb(const std::string& option, const std::string& file,
                        const std::string& field = "") {
        ProgramRun run = run_command(temp, "dpkg-deb " + option + " '" + file + "' " + field);
        if (!field.empty() && !run.out.empty() && run.out.back() == '\n') {
            run.out.pop_back();
        }
        return run;
    }

    TempFolder temp;
    std::map<std::string, std::string> packages;  // by package name
};

TEST_F(DebianPackages, TheTaskServersPackageNeedsNoDisplayAndTheControllersDependsOnIt) {
    const std::string server = packages["zelkon-task-server"];
    const std::string controller = packages["zelkon-cluster-controller"];
    ASSERT_FALSE(server.empty() || controller.empty());
    std::string server_files = dpkg_deb("-c", server).out;
    for (const auto& program : kReferencePrograms) {
        EXPECT_NE(server_files.find(" ./usr/bin/" + program + "\n"), std::string::npos) << program;
    }
    for (const std::string program : {"zelkon-listener", "zelkon-pipe-call"}) {
        EXPECT_NE(server_files.find(" ./usr/bin/" + program + "\n"), std::string::npos) << program;
    }
    EXPECT_EQ(server_files.find("zelkon-cluster-controller"), std::string::npos) << server_files;
    std::string server_needs = dpkg_deb("-f", server, "Depends").out;
    EXPECT_NE(server_needs.find("libqt6core6"), std::string::npos) << server_needs;
    for (const std::string display :
         {"libqt6gui", "libqt6widgets", "libgl1", "libopengl", "libegl", "libx11", "libxcb"}) {
        EXPECT_EQ(server_needs.find(display), std::string::npos) << server_needs;
    }
    ProgramRun unit = run_command(temp, "dpkg-deb --fsys-tarfile '" + server +
                                            "' | tar -xO ./usr/lib/systemd/user/"
                                            "zelkon-listener.service");
    EXPECT_EQ(first_word(entry(unit.out, "ExecStart")), "/usr/bin/zelkon-listener") << unit.out;

    std::string controller_files = dpkg_deb("-c", controller).out;
    EXPECT_NE(controller_files.find(" ./usr/bin/zelkon-cluster-controller\n"), std::string::npos);
    EXPECT_NE(
        controller_files.find(" ./usr/share/applications/zelkon-cluster-controller.desktop\n"),
        std::string::npos)
        << controller_files;
    EXPECT_EQ(controller_files.find("zelkon-listener"), std::string::npos) << controller_files;
    std::string controller_needs = dpkg_deb("-f", controller, "Depends").out;
    for (const std::string needed :
         {"zelkon-task-server (= " ZELKON_VERSION ")", "openssh-client", "libqt6widgets6"}) {
        EXPECT_NE(controller_needs.find(needed), std::string::npos) << controller_needs;
    }
}

}  // namespace
}  // namespace zelkon
