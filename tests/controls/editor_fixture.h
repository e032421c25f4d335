#pragma once
// Drives an editor key by key as the field would: typed characters, Delete,
// Backspace, with the text and caret read back after each key.
#include <gtest/gtest.h>

#include <string>

#include "controls/EditState.h"
#include "platform/runtime/date.h"
#include "platform/runtime/settings.h"

namespace kp {
inline void PrintTo(const EditState& s, std::ostream* os) {
    *os << '"' << s.text << "\" [" << s.start << "," << s.finish << "]";
}
}  // namespace kp

class EditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        kp::ResetSettings();
        // The settings the program starts with: German dates with century.
        kp::SetDateCountry(5);
        kp::SetCentury(true);
        kp::SetEpoch(1920);
    }
    void TearDown() override { kp::ResetSettings(); }
    static kp::EditState At(std::string text, int caret) { return {std::move(text), caret, caret}; }
    static kp::EditState Sel(std::string text, int start, int finish) {
        return {std::move(text), start, finish};
    }
};
