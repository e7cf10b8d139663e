#include "platform/ModuleInfo.h"

#include <gtest/gtest.h>

TEST(ModuleInfo, FindsTheModuleThatHoldsTheDriverCode) { EXPECT_NE(platform::moduleHandle(), nullptr); }
