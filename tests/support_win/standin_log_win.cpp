#include "tests/support_win/standin_log_win.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "tests/support_win/message_pump_win.h"

namespace fs = std::filesystem;

namespace swfp::wintest {

int FindLine(const std::vector<std::string>& lines, const std::string& line, int from)
{
    for (size_t i = static_cast<size_t>(std::max(from, 0)); i < lines.size(); ++i)
        if (lines[i] == line)
            return static_cast<int>(i);
    return -1;
}

int FindPrefix(const std::vector<std::string>& lines, const std::string& prefix, int from)
{
    for (size_t i = static_cast<size_t>(std::max(from, 0)); i < lines.size(); ++i)
        if (lines[i].compare(0, prefix.size(), prefix) == 0)
            return static_cast<int>(i);
    return -1;
}

StandinLog::StandinLog()
{
    // A file per log, so a late writer of an earlier log cannot add to this one.
    static int counter = 0;
    path_ = fs::temp_directory_path() /
            (L"swfp-standin-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter) + L".log");
    Clear();
    SetEnvironmentVariableW(L"FLASH_STANDIN_LOG", path_.c_str());
}

StandinLog::~StandinLog()
{
    SetEnvironmentVariableW(L"FLASH_STANDIN_LOG", nullptr);
    Clear();
}

void StandinLog::Clear()
{
    std::error_code ignored;
    fs::remove(path_, ignored);
}

std::vector<std::string> StandinLog::Lines() const
{
    std::vector<std::string> lines;
    std::ifstream in(path_, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

int StandinLog::CountLine(const std::string& line) const
{
    const auto lines = Lines();
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

std::string StandinLog::Dump() const
{
    std::ostringstream out;
    for (const auto& l : Lines())
        out << "  " << l << "\n";
    return out.str();
}

int StandinLog::AwaitPrefix(const std::string& prefix, int from, std::chrono::milliseconds timeout) const
{
    int found = -1;
    PumpUntil([&] { return (found = FindPrefix(prefix, from)) >= 0; }, timeout);
    return found;
}

}  // namespace swfp::wintest
