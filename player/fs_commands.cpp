#include "player/fs_commands.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

std::string Lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return out;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Types the shell starts as code when "opened": programs, scripts, installers,
// shortcuts (which can point at programs), control panel items and the like.
constexpr std::array<std::string_view, 30> kRefusedExtensions = {
    ".exe", ".com", ".bat", ".cmd", ".scr", ".pif", ".vbs", ".vbe", ".js",  ".jse",
    ".wsf", ".wsh", ".ws",  ".msi", ".msp", ".mst", ".lnk", ".cpl", ".hta", ".ps1",
    ".psm1", ".jar", ".reg", ".inf", ".scf", ".url", ".msc", ".application", ".appref-ms", ".gadget"};

} // namespace

std::string ShellExtension(std::string_view name)
{
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.remove_suffix(1);
    const auto lastSeparator = name.find_last_of("\\/:");
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || (lastSeparator != std::string_view::npos && dot < lastSeparator))
        return {};
    return Lower(name.substr(dot));
}

bool IsRefusedForShellOpen(std::string_view name)
{
    // A ':' past a drive letter names a stream ("x.exe::$DATA"), which runs the program itself.
    const auto colon = name.find(':');
    if (colon != std::string_view::npos && colon != 1)
        return true;
    const std::string ext = ShellExtension(name);
    return std::find(kRefusedExtensions.begin(), kRefusedExtensions.end(), ext) != kRefusedExtensions.end();
}

std::string CompanionPath(std::string_view name, std::string_view companionFolder)
{
    while (!name.empty() && (name.front() == '.' || IsSeparator(name.front())))
        name.remove_prefix(1);
    if (name.empty() || name.find(':') != std::string_view::npos)
        return {};
    // Walk the folder part: ".." may go up only inside the companion folder.
    int depth = 0;
    size_t start = 0;
    while (start <= name.size()) {
        const size_t end = std::min(name.find_first_of("\\/", start), name.size());
        const std::string_view segment = name.substr(start, end - start);
        if (segment == "..") {
            if (--depth < 0)
                return {};
        } else if (!segment.empty() && segment != ".") {
            ++depth;
        }
        start = end + 1;
    }
    return std::string(companionFolder) + std::string(name);
}

std::string CompanionFolder(std::string_view executablePath)
{
    const auto cut = executablePath.find_last_of("\\:");
    const std::string_view folder = cut == std::string_view::npos ? std::string_view{} : executablePath.substr(0, cut + 1);
    return std::string(folder) + "fscommand\\";
}

FsCommandAction DecideFsCommand(std::wstring_view command, std::string_view args, std::string_view companionFolder)
{
    if (command == L"exec") {
        std::string path = CompanionPath(args, companionFolder);
        if (path.empty())
            return {};
        return {FsCommandAction::Kind::OpenFile, std::move(path)};
    }
    if (command == L"shellopen") {
        if (args.empty() || IsRefusedForShellOpen(args))
            return {};
        return {FsCommandAction::Kind::OpenFile, std::string(args)};
    }
    if (command == L"quit")
        return {FsCommandAction::Kind::Close, {}};
    return {};
}
