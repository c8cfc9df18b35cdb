// The main of every test program. A program whose cases skipped (and none
// failed) exits with the code CTest shows as "skipped", and one whose filter
// left nothing to run fails: a green run means every case ran and passed.
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int failed = RUN_ALL_TESTS();
    if (failed || GTEST_FLAG_GET(list_tests))
        return failed;
    const testing::UnitTest& run = *testing::UnitTest::GetInstance();
    if (run.test_to_run_count() == 0) {
        std::fputs("no test case ran\n", stderr);
        return 1;
    }
    return run.skipped_test_count() > 0 ? SWFP_TEST_SKIP_CODE : 0;
}
