#pragma once
// What the player does with a command the movie sends to its host. Decisions
// only: the window checks that the file exists and asks the shell to open it.
#include <string>
#include <string_view>

struct FsCommandAction {
    enum class Kind { Nothing, OpenFile, Close } kind = Kind::Nothing;
    std::string path; // for OpenFile: what to hand the shell, if it is an existing file
};

// `command` is compared exactly and case-sensitively with "exec", "shellopen"
// and "quit". `companionFolder` is the executable's folder with its trailing
// separator followed by "fscommand\". Texts are in the system's ANSI code page.
FsCommandAction DecideFsCommand(std::wstring_view command, std::string_view args, std::string_view companionFolder);

// "exec": the name inside the companion folder, or empty when it names nothing
// or would leave the folder (a drive, a stream, or ".." climbing above it).
std::string CompanionPath(std::string_view name, std::string_view companionFolder);

// "shellopen": whether the shell would run the file as a program or script
// (".exe", ".com", ".bat", ".cmd" and every other type Windows executes).
bool IsRefusedForShellOpen(std::string_view name);

// The extension the way the shell sees it: from the last '.' after the last
// separator or ':', lower-cased, ignoring the trailing dots and spaces that
// the file system drops.
std::string ShellExtension(std::string_view name);

// The companion folder for an executable path.
std::string CompanionFolder(std::string_view executablePath);
