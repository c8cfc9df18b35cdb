#include "player/fs_commands.h"

#include <gtest/gtest.h>

namespace {

const std::string kFolder = "C:\\Movies\\fscommand\\";
using Kind = FsCommandAction::Kind;

TEST(FsCommands, OnlyTheThreeCommandsInExactCase)
{
    EXPECT_EQ(DecideFsCommand(L"quit", "", kFolder).kind, Kind::Close);
    EXPECT_EQ(DecideFsCommand(L"QUIT", "", kFolder).kind, Kind::Nothing);
    EXPECT_EQ(DecideFsCommand(L"Exec", "tool.exe", kFolder).kind, Kind::Nothing);
    EXPECT_EQ(DecideFsCommand(L"fullscreen", "true", kFolder).kind, Kind::Nothing);
    EXPECT_EQ(DecideFsCommand(L"exec ", "tool.exe", kFolder).kind, Kind::Nothing);
}

TEST(FsCommands, ExecStartsFilesFromTheCompanionFolderOnly)
{
    for (const char* name : {"tool.exe", "../tool.exe", "\\tool.exe", "./tool.exe", "/..\\./tool.exe"}) {
        const auto action = DecideFsCommand(L"exec", name, kFolder);
        EXPECT_EQ(action.kind, Kind::OpenFile) << name;
        EXPECT_EQ(action.path, kFolder + "tool.exe") << name;
    }
    EXPECT_EQ(DecideFsCommand(L"exec", "docs\\readme.txt", kFolder).path, kFolder + "docs\\readme.txt");
    EXPECT_EQ(DecideFsCommand(L"exec", "docs/../tool.exe", kFolder).path, kFolder + "docs/../tool.exe");

    // nothing to start: empty, only stripped characters, climbing out, another drive or a stream
    for (const char* name : {"", "...", "./\\", "a/../../x.exe", "docs\\..\\..\\x.exe", "C:\\Windows\\x.exe",
                             "tool.exe:stream"})
        EXPECT_EQ(DecideFsCommand(L"exec", name, kFolder).kind, Kind::Nothing) << name;
}

TEST(FsCommands, ShellOpenRefusesEverythingTheShellWouldRun)
{
    for (const char* name : {"setup.exe", "SETUP.EXE", "a.Com", "b.bat", "c.CMD", "d.scr", "e.pif", "f.vbs", "g.js",
                             "h.msi", "i.lnk", "j.hta", "k.ps1", "l.cpl", "m.reg",
                             "setup.exe.", "setup.exe  ", "x.exe::$DATA", "docs\\tool.exe"})
        EXPECT_EQ(DecideFsCommand(L"shellopen", name, kFolder).kind, Kind::Nothing) << name;

    for (const char* name : {"readme.txt", "C:\\docs\\manual.pdf", "movie.exe.txt", "folder.exe\\notes.txt", "noext"}) {
        const auto action = DecideFsCommand(L"shellopen", name, kFolder);
        EXPECT_EQ(action.kind, Kind::OpenFile) << name;
        EXPECT_EQ(action.path, name);
    }
    EXPECT_EQ(DecideFsCommand(L"shellopen", "", kFolder).kind, Kind::Nothing);
}

TEST(FsCommands, ExtensionAndCompanionFolder)
{
    EXPECT_EQ(ShellExtension("a.b\\c"), "");
    EXPECT_EQ(ShellExtension("C:x.TXT"), ".txt");
    EXPECT_EQ(ShellExtension("archive.tar.GZ"), ".gz");
    EXPECT_EQ(CompanionFolder("C:\\Movies\\player.exe"), kFolder);
    EXPECT_EQ(CompanionFolder("D:player.exe"), "D:fscommand\\");
}

} // namespace
