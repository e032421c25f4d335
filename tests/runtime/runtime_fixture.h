#pragma once
#include <gtest/gtest.h>

#include <ostream>

#include "platform/runtime/date.h"

#include "platform/runtime/codepage.h"
#include "platform/runtime/error.h"
#include "platform/runtime/settings.h"

namespace kp {
// Readable dates in failure messages.
inline void PrintTo(const Date& d, std::ostream* os) {
    if (d.IsEmpty())
        *os << "(empty date)";
    else
        *os << DToS(d);
}
}  // namespace kp

// Every test starts from the run-time's defaults and without an error block.
class RuntimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        kp::ResetSettings();
        kp::ErrorBlock(nullptr);
        kp::SetOemCodePage(850);
    }
    void TearDown() override {
        kp::ResetSettings();
        kp::ErrorBlock(nullptr);
    }
    // The date settings the program starts with.
    static void German() {
        kp::SetDateCountry(5);
        kp::SetCentury(true);
        kp::SetEpoch(1920);
    }
};
