#include <gtest/gtest.h>

#include "RVScanner.h"

namespace plotwise {
namespace {

TEST(Scanner, EmptyTextGivesEndAtMinusOne) {
    RVScanner scanner;
    scanner.setSource(u"");
    const RVToken end = scanner.scan();
    EXPECT_EQ(end.type(), TOKEN_EOF);
    EXPECT_EQ(end.locationInSource(), -1);
}

}  // namespace
}  // namespace plotwise
