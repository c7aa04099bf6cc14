// Result and Status: a failure keeps its reason, and a success is never mistaken for one.
#include "core/os_error.h"
#include "core/result.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ktr::Status<std::string> Check(int n)
{
    if (n < 0)
        return ktr::Fail(std::string("negative"));
    return ktr::Ok();
}

ktr::Result<int, std::string> Half(int n)
{
    if (n % 2 != 0)
        return ktr::Fail("odd: " + std::to_string(n));
    return n / 2;
}

TEST(ResultTest, StatusAndResultCarryTheirValueOrTheirReason)
{
    EXPECT_TRUE(Check(0).ok());
    const auto failed = Check(-1);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error(), "negative");

    EXPECT_EQ(*Half(8), 4);
    const auto odd = Half(7);
    ASSERT_FALSE(odd.ok());
    EXPECT_EQ(odd.error(), "odd: 7");
}

ktr::OsStatus Call(int outcome)
{
    if (outcome != 0)
        return ktr::Fail(ktr::OsError{outcome});
    return ktr::Ok();
}

TEST(ResultTest, AFailureReasonConvertsToTheErrorTypeAndAnOsErrorKeepsItsNumber)
{
    const ktr::Result<int, std::string> refused = ktr::Fail("a literal reason");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), "a literal reason");

    EXPECT_TRUE(Call(0));
    const ktr::OsStatus failed = Call(98);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error(), ktr::OsError{98});
    EXPECT_NE(failed.error(), ktr::OsError{11});
}

} // namespace
