#include "tools/runtime_module.h"

#include <zlib.h>

#include <climits>
#include <stdexcept>
#include <string>

#include "flashrt/pe_inspect.h"

void CheckRuntimeModule(std::span<const uint8_t> module) {
  if (module.empty()) throw std::runtime_error("runtime module is empty");
  try {
    flashrt::pe::InspectRuntimeModule(module);
  } catch (const flashrt::pe::PeError& e) {
    throw std::runtime_error(std::string("runtime module is not usable: ") + e.what());
  }
}

RuntimeModuleSummary DescribeRuntimeModule(std::span<const uint8_t> module) {
  RuntimeModuleSummary summary;
  summary.size = module.size();
  try {
    const flashrt::pe::RuntimeModuleInfo info = flashrt::pe::InspectRuntimeModule(module);
    summary.bits = info.bits;
    if (info.productVersion) summary.productVersion = info.productVersion->ToString();
  } catch (const flashrt::pe::PeError& e) {
    summary.problem = e.what();
  }
  return summary;
}

std::vector<uint8_t> CompressRuntimeModule(std::span<const uint8_t> module) {
  if (module.size() > ULONG_MAX / 2) throw std::runtime_error("runtime module is too large");
  uLongf size = compressBound(static_cast<uLong>(module.size()));
  std::vector<uint8_t> packed(size);
  if (compress2(packed.data(), &size, module.data(), static_cast<uLong>(module.size()), Z_BEST_COMPRESSION) != Z_OK)
    throw std::runtime_error("zlib could not compress the runtime module");
  packed.resize(size);
  return packed;
}
