// A fresh main form per test, shown on the test display, with helpers to tick, read and capture.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/Vorquint_form.h"
#include "res/ResourceIds.h"
#include "ui/Application.h"
#include "ui/FormIds.h"

namespace vq::test {

struct Box {
    int left, top, width, height;
    bool operator==(const Box&) const = default;
};

inline void PrintTo(const Box& b, std::ostream* os) {
    *os << "{" << b.left << ", " << b.top << ", " << b.width << " x " << b.height << "}";
}

class FormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    // A new Form1; `runCreateEvent` false leaves the design-time texts in place.
    void MakeForm(bool runCreateEvent = true);
    void SetUp() override { MakeForm(); }
    void TearDown() override;

    HWND Control(int id) const { return GetDlgItem(Form1->Handle(), id); }
    Box BoxOf(int id) const;
    std::string TextOf(int id) const;
    int BarPosition() const;
    // Stores `stage` as a worker would and runs `ticks` ticks of the timer handler.
    void TickAt(int32_t stage, int ticks = 1);
    // Lets the window handle its pending messages, including paints.
    void Pump();
    // The control's pixels as it paints them, 0x00RRGGBB, row by row.
    std::vector<uint32_t> Capture(int id, int& width, int& height);

    static inline vq::ui::TApplication* app_ = nullptr;
};

// Channels of a captured pixel.
inline int Red(uint32_t p) { return (p >> 16) & 0xFF; }
inline int Green(uint32_t p) { return (p >> 8) & 0xFF; }
inline int Blue(uint32_t p) { return p & 0xFF; }

}  // namespace vq::test
