// swfpack's check of a runtime module before it is embedded, and what info shows.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "pe_fixture.h"
#include "tools/runtime_module.h"

using namespace pe_test;

TEST(CheckRuntimeModule, AcceptsBothMachinesAndRefusesDamageInOneLine)
{
    for (const char* name : {"pe32_default", "pe64_wide_aligned"}) {
        const auto module = LoadFixture(name);
        EXPECT_NO_THROW(CheckRuntimeModule(module)) << name;
        const RuntimeModuleSummary summary = DescribeRuntimeModule(module);
        EXPECT_EQ(summary.bits, std::string(name).rfind("pe64", 0) == 0 ? 64u : 32u);
        EXPECT_EQ(summary.size, module.size());
        EXPECT_EQ(summary.productVersion, "10.0.45.2");
        EXPECT_TRUE(summary.problem.empty());
    }

    auto damaged = LoadFixture("pe64_default");
    const auto layout = ReadLayout(damaged);
    Put32(damaged, FileOffsetOf(damaged, Get32(damaged, layout.Directory(5))) + 4, 0);  // relocation block of size 0
    try {
        CheckRuntimeModule(damaged);
        ADD_FAILURE() << "a damaged module was accepted";
    } catch (const std::runtime_error& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("relocation block"), std::string::npos) << text;
        EXPECT_EQ(text.find('\n'), std::string::npos) << "one line";
    }
    const RuntimeModuleSummary summary = DescribeRuntimeModule(damaged);
    EXPECT_EQ(summary.bits, 0u);
    EXPECT_NE(summary.problem.find("has size 0"), std::string::npos) << summary.problem;

    const std::vector<uint8_t> notPe(5000, 0x11);
    EXPECT_THROW(CheckRuntimeModule(notPe), std::runtime_error);
    EXPECT_THROW(CheckRuntimeModule(std::vector<uint8_t>{}), std::runtime_error);
}
