#pragma once
// The stand-in runtime's observation log as the tests read it: while a
// StandinLog lives, FLASH_STANDIN_LOG names its file, so the stand-in in this
// process and in every process started meanwhile appends its lines there.
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace swfp::wintest {

// Index of the first line equal to `line` at or after `from`, or -1.
int FindLine(const std::vector<std::string>& lines, const std::string& line, int from = 0);
// Index of the first line starting with `prefix` at or after `from`, or -1.
int FindPrefix(const std::vector<std::string>& lines, const std::string& prefix, int from = 0);

class StandinLog {
public:
    StandinLog();
    ~StandinLog();
    StandinLog(const StandinLog&) = delete;
    StandinLog& operator=(const StandinLog&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Forgets every line written so far.
    void Clear();
    std::vector<std::string> Lines() const;

    int FindLine(const std::string& line, int from = 0) const { return wintest::FindLine(Lines(), line, from); }
    int FindPrefix(const std::string& prefix, int from = 0) const { return wintest::FindPrefix(Lines(), prefix, from); }
    bool HasLine(const std::string& line) const { return FindLine(line) >= 0; }
    bool HasPrefix(const std::string& prefix) const { return FindPrefix(prefix) >= 0; }
    // Pumps this thread's messages until a line starting with `prefix` appears at or
    // after `from` (the runtime works asynchronously); its index, or -1 after `timeout`.
    int AwaitPrefix(const std::string& prefix, int from = 0,
                    std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // How many lines equal `line`.
    int CountLine(const std::string& line) const;
    // Every line, indented, for a failure message.
    std::string Dump() const;

private:
    std::filesystem::path path_;
};

}  // namespace swfp::wintest
