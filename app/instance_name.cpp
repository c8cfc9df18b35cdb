#include "app/instance_name.h"

std::wstring InstanceMappingName(std::wstring_view executablePath)
{
    const auto cut = executablePath.find_last_of(L"\\/:");
    return std::wstring(cut == std::wstring_view::npos ? executablePath : executablePath.substr(cut + 1));
}
