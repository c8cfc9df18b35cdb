#include "tests/support_win/packaged_player_win.h"

#include <cstring>
#include <stdexcept>

#include "tests/support/deflate.h"
#include "tests/support_win/test_files_win.h"

namespace swfp::wintest {

namespace {

std::vector<uint8_t> FileBesideTheProgram(const std::wstring& name)
{
    std::vector<uint8_t> bytes = ReadWholeFile(ExeFolder() / name);
    if (bytes.empty())
        throw std::runtime_error((ExeFolder() / name).string() + " is missing: it is built beside the test program");
    return bytes;
}

}  // namespace

PlayerBlock Block(PackageBlockKind kind, std::vector<uint8_t> payload)
{
    return {PackageMagicOf(kind), std::move(payload)};
}

PlayerBlock SettingsBlock(const PlayerSettings& settings)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(&settings);
    return Block(PackageBlockKind::Settings, {bytes, bytes + sizeof settings});
}

PlayerBlock RuntimeBlock(const std::wstring& dllName)
{
    return Block(PackageBlockKind::RuntimeModule, swfp::test::Deflate(FileBesideTheProgram(dllName)));
}

PlayerBlock MovieBlock(std::vector<uint8_t> movie) { return {kPackageMovieMagic, std::move(movie)}; }

PlayerSettings ZeroSettings()
{
    PlayerSettings s;
    std::memset(&s, 0, sizeof s);
    return s;
}

std::vector<uint8_t> PlayerExecutable() { return FileBesideTheProgram(L"swf_player.exe"); }

std::filesystem::path WritePackage(const std::filesystem::path& path, std::vector<uint8_t> base,
                                   const std::vector<PlayerBlock>& blocks)
{
    for (const PlayerBlock& block : blocks)
        AppendBlock(base, block.magic, block.payload);
    WriteWholeFile(path, base);
    return path;
}

}  // namespace swfp::wintest
