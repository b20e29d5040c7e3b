// Installing into a prefix and building the Debian package, checked with
// the tools a distribution uses.

#include <gtest/gtest.h>

#include <filesystem>

#include "cli/cli_run.h"
#include "support/test_media.h"

namespace zq48 {
namespace {

namespace fs = std::filesystem;
using testing::Quote;
using testing::CliRun;

class Installing : public ::testing::Test {
 protected:
  CliRun Sh(const std::string& command) { return testing::Shell(command, dir_.path()); }
  testing::TempDir dir_;
};

TEST_F(Installing, InstallsProgramsMenuEntryIconManPagesAndCompletion) {
  const std::string prefix = dir_.File("prefix");
  CliRun install = Sh("cmake --install " + Quote(ZQ48_BUILD_DIR) + " --prefix " + Quote(prefix));
  ASSERT_EQ(install.status, 0) << install.err;

  for (const char* file : {"bin/zq48enc", "bin/zq48-encoder", "share/applications/zq48-encoder.desktop",
                           "share/icons/hicolor/scalable/apps/zq48-encoder.svg", "share/man/man1/zq48enc.1",
                           "share/man/man1/zq48-encoder.1", "share/bash-completion/completions/zq48enc"})
    EXPECT_TRUE(fs::exists(prefix + "/" + file)) << file;

  CliRun version = Sh(Quote(prefix + "/bin/zq48enc") + " --version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "zq48enc (ZQ48 Encoder) 1.0\n");

  const std::string desktop = prefix + "/share/applications/zq48-encoder.desktop";
  CliRun validate = Sh("desktop-file-validate " + Quote(desktop));
  EXPECT_EQ(validate.status, 0) << validate.out << validate.err;
  EXPECT_EQ(validate.out + validate.err, "");  // not even a hint
  const std::string entry = testing::ReadText(desktop);
  // A file manager's "Open with" hands over the files, of the types the program reads.
  EXPECT_NE(entry.find("\nExec=zq48-encoder %F\n"), std::string::npos);
  EXPECT_NE(entry.find("\nIcon=zq48-encoder\n"), std::string::npos);  // the hicolor icon's name
  for (const char* type : {"video/mp4", "video/x-msvideo", "video/mpeg", "video/quicktime", "video/x-matroska",
                           "video/webm", "video/mp2t", "video/dv", "video/x-flv"})
    EXPECT_NE(entry.find(std::string(type) + ";"), std::string::npos) << type;

  // --help and --version as GNU programs answer them, with no display at all.
  const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                Quote(prefix + "/bin/zq48-encoder");
  CliRun help = Sh(noDisplay + " --help");
  EXPECT_EQ(help.status, 0) << help.err;
  EXPECT_EQ(help.out.rfind("Usage: zq48-encoder [OPTION]... [FILE|FOLDER]...\n", 0), 0u) << help.out;
  CliRun desktopVersion = Sh(noDisplay + " --version");
  EXPECT_EQ(desktopVersion.status, 0) << desktopVersion.err;
  EXPECT_EQ(desktopVersion.out, "zq48-encoder (ZQ48 Encoder) 1.0\n");
  // Qt's options stay Qt's; an unknown one of ours is a usage error.
  CliRun unknown = Sh(noDisplay + " -platform offscreen --frobnicate");
  EXPECT_EQ(unknown.status, 2);
  // (after whatever Qt itself says of the environment)
  EXPECT_TRUE(unknown.err.ends_with("\nzq48-encoder: unrecognized option '--frobnicate'\n"
                                    "Try 'zq48-encoder --help' for more information.\n") ||
              unknown.err.starts_with("zq48-encoder: unrecognized option '--frobnicate'\n"))
      << unknown.err;

  struct Page {
    const char* file;
    const char* name;
    const char* mention;
  } pages[] = {{"zq48enc.1", "zq48enc - encode video files", "--skip-complete"},
               {"zq48-encoder.1", "zq48-encoder - desktop batch encoder", "zq48enc(1)"}};
  for (const Page& p : pages) {
    CliRun man = Sh("MANWIDTH=100 LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l " +
                 Quote(prefix + "/share/man/man1/" + p.file) + " | col -b");
    EXPECT_EQ(man.status, 0) << p.file << man.err;
    EXPECT_EQ(man.err, "") << p.file;  // groff found nothing to warn about
    EXPECT_NE(man.out.find(p.name), std::string::npos) << man.out;
    EXPECT_NE(man.out.find(p.mention), std::string::npos) << p.file;
  }

  const std::string completion = prefix + "/share/bash-completion/completions/zq48enc";
  CliRun syntax = Sh("bash -n " + Quote(completion));
  EXPECT_EQ(syntax.status, 0) << syntax.err;
  // It completes options and the one value --progress takes.
  auto complete = [&](const std::string& line) {
    return Sh("bash -c " + Quote("source /usr/share/bash-completion/bash_completion; source " + Quote(completion) +
                                 "; COMP_LINE=" + Quote(line) + "; COMP_POINT=${#COMP_LINE}; read -ra COMP_WORDS <<< "
                                 "\"$COMP_LINE\"; COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _zq48enc; "
                                 "printf '%s\\n' \"${COMPREPLY[@]}\""))
        .out;
  };
  EXPECT_EQ(complete("zq48enc --skip-c"), "--skip-complete\n");
  EXPECT_EQ(complete("zq48enc --va"), "--variant\n");
  EXPECT_EQ(complete("zq48enc --progress=j"), "json\n");
}

TEST_F(Installing, DebianPackageDependsOnTheLibrariesTheProgramsUse) {
  const std::string out = dir_.File("deb");
  CliRun cpack = Sh("cpack -G DEB --config " + Quote(std::string(ZQ48_BUILD_DIR) + "/CPackConfig.cmake") + " -B " +
                 Quote(out));
  ASSERT_EQ(cpack.status, 0) << cpack.out << cpack.err;
  std::string deb;
  for (const auto& e : fs::directory_iterator(out))
    if (e.path().extension() == ".deb") deb = e.path().string();
  ASSERT_FALSE(deb.empty()) << cpack.out;
  EXPECT_EQ(fs::path(deb).filename().string().rfind("zq48-encoder_1.0_", 0), 0u) << deb;

  CliRun control = Sh("dpkg-deb -f " + Quote(deb));
  ASSERT_EQ(control.status, 0) << control.err;
  EXPECT_NE(control.out.find("Package: zq48-encoder\n"), std::string::npos);
  const std::size_t at = control.out.find("\nDepends: ");
  ASSERT_NE(at, std::string::npos) << control.out;
  const std::string depends = control.out.substr(at, control.out.find('\n', at + 1) - at);
  // Found from the binaries by dpkg-shlibdeps: the media libraries, the codecs, Qt, the HTTP server.
  for (const char* package : {"libavcodec", "libavformat", "libavutil", "libswscale", "libswresample",
                              "libxvidcore4", "libmp3lame0", "libqt6widgets6", "libqt6multimedia6", "libqt6charts6",
                              "libcpp-httplib0.11", "libc6", "libstdc++6"})
    EXPECT_NE(depends.find(package), std::string::npos) << package << " missing in" << depends;

  CliRun contents = Sh("dpkg-deb -c " + Quote(deb));
  for (const char* file : {"./usr/bin/zq48enc", "./usr/bin/zq48-encoder", "./usr/share/applications/zq48-encoder.desktop",
                           "./usr/share/icons/hicolor/scalable/apps/zq48-encoder.svg",
                           "./usr/share/man/man1/zq48enc.1", "./usr/share/bash-completion/completions/zq48enc"})
    EXPECT_NE(contents.out.find(file), std::string::npos) << file;
}

}  // namespace
}  // namespace zq48
