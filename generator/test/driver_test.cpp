// placeholder
#include <gtest/gtest.h>
TEST(Driver, Placeholder) {}
