#pragma once
#include <string>
#include <string_view>

// The name of the single-instance file mapping: the file-name part of the
// executable's path (after the last path separator or drive colon), with its
// extension. Kernel object names compare case-sensitively, so no folding.
std::wstring InstanceMappingName(std::wstring_view executablePath);
