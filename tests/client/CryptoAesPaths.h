#pragma once
// The AES tests run twice: on the portable tables and on the processor's AES
// instructions.
#include <gtest/gtest.h>

#include <string>

#include "client/kvl_aes.h"
#include "client/kvl_aes_hardware.h"

class AesPaths : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam() && !aes_hardware_present()) GTEST_SKIP() << "this processor has no AES instructions";
  }
  // A schedule the test built runs on the path under test.
  void usePath(AesContext &context) const { context.hardware = GetParam(); }
};

inline std::string aesPathName(const ::testing::TestParamInfo<bool> &info) {
  return info.param ? "Instructions" : "Tables";
}
