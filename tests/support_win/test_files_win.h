#pragma once
// Files of the Windows test programs: the folder the program runs from, whole
// files read and written at once, and temporary folders that do not outlive
// the program.
#include <filesystem>
#include <string>

#include "tests/support/file_bytes.h"

namespace swfp::wintest {

// The folder of the running test program; fixtures are built beside it.
std::filesystem::path ExeFolder();

using swfp::test::ReadWholeFile;
using swfp::test::WriteWholeFile;

// A fresh, empty folder named `name` inside this program's temporary folder.
// Everything below that folder is removed when the program ends.
std::filesystem::path NewTempFolder(const std::filesystem::path& name);

// A fresh folder of its own, removed with everything in it at the end of its scope.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path File(const std::wstring& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace swfp::wintest
