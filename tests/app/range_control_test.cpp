// The trackbar and progress-bar rules against one table of cases: the rules
// themselves, and the same calls made through the headless backend's
// controls. The desktop backend keeps its controls' ranges by the same rules.
#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/headless_platform.h"
#include "platform/range_control.h"

using namespace sonkrate::platform;

namespace {

enum class Op { Range, Position, Step, StepIt };

struct Call {
    Op op;
    int a = 0, b = 0;
};

struct Case {
    const char* name;
    std::vector<Call> calls;
    bool progressOnly;  // uses the step, which only the progress bar has
    int low, high, position;
};

const std::vector<Case>& cases() {
    static const std::vector<Case> table = {
        {"fresh control", {}, false, 0, 100, 0},
        {"position clamped into a new range above it", {{Op::Range, 1, 3}}, false, 1, 3, 1},
        {"position clamped into a new range below it", {{Op::Position, 50}, {Op::Range, 0, 10}}, false, 0, 10, 10},
        {"position kept inside a new range", {{Op::Position, 7}, {Op::Range, 5, 9}}, false, 5, 9, 7},
        {"a high below the low is taken as the low", {{Op::Range, 5, 2}}, false, 5, 5, 5},
        {"positions outside are clamped", {{Op::Range, -10, -5}, {Op::Position, -30}}, false, -10, -5, -10},
        {"a position past the end is the end", {{Op::Position, 101}}, false, 0, 100, 100},
        {"a step lands on the end and stays", {{Op::Position, 90}, {Op::StepIt}}, true, 0, 100, 100},
        {"a step past the end starts over by the overshoot", {{Op::Position, 95}, {Op::StepIt}}, true, 0, 100, 5},
        {"steps of one over a short range wrap",
         {{Op::Range, 0, 2}, {Op::Step, 1}, {Op::StepIt}, {Op::StepIt}, {Op::StepIt}},
         true, 0, 2, 1},
        {"a wrap starts from the low end",
         {{Op::Range, 10, 20}, {Op::Step, 4}, {Op::Position, 18}, {Op::StepIt}},
         true, 10, 20, 12},
    };
    return table;
}

void apply(RangeControl& c, const Call& call) {
    switch (call.op) {
    case Op::Range: setRange(c, call.a, call.b); break;
    case Op::Position: setPosition(c, call.a); break;
    case Op::Step: c.step = call.a; break;
    case Op::StepIt: stepIt(c); break;
    }
}

void apply(HeadlessPlatform& p, int id, bool trackbar, const Call& call) {
    switch (call.op) {
    case Op::Range: trackbar ? p.setTrackbarRange(id, call.a, call.b) : p.setProgressRange(id, call.a, call.b); break;
    case Op::Position: trackbar ? p.setTrackbarPosition(id, call.a) : p.setProgressPosition(id, call.a); break;
    case Op::Step: p.setProgressStep(id, call.a); break;
    case Op::StepIt: p.progressStepIt(id); break;
    }
}

}  // namespace

TEST(RangeControl, TheRulesAndTheHeadlessControlsAgreeWithTheTable) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.name);
        RangeControl bare;
        for (const Call& call : c.calls) apply(bare, call);
        EXPECT_EQ(bare.low, c.low);
        EXPECT_EQ(bare.high, c.high);
        EXPECT_EQ(bare.position, c.position);

        for (bool trackbar : {true, false}) {
            if (trackbar && c.progressOnly) continue;
            SCOPED_TRACE(trackbar ? "trackbar" : "progress bar");
            HeadlessPlatform platform;
            const int id = 7;
            ControlDescription d;
            d.id = id;
            d.kind = trackbar ? ControlKind::Trackbar : ControlKind::ProgressBar;
            platform.createControl(d);
            for (const Call& call : c.calls) apply(platform, id, trackbar, call);
            const HeadlessControl* control = platform.control(id);
            ASSERT_NE(control, nullptr);
            EXPECT_EQ(control->low, c.low);
            EXPECT_EQ(control->high, c.high);
            EXPECT_EQ(trackbar ? platform.trackbarPosition(id) : control->position, c.position);
            EXPECT_TRUE(platform.faults().empty());
        }
    }
}

TEST(RangeControl, DraggingTheThumbIsClampedAndRefusedWhenGreyed) {
    HeadlessPlatform platform;
    ControlDescription d;
    d.id = 3;
    d.kind = ControlKind::Trackbar;
    platform.createControl(d);
    platform.setTrackbarRange(3, 1, 4);
    EXPECT_TRUE(platform.dragTrackbar(3, 9));
    EXPECT_EQ(platform.trackbarPosition(3), 4);
    EXPECT_TRUE(platform.dragTrackbar(3, -2));
    EXPECT_EQ(platform.trackbarPosition(3), 1);
    platform.setEnabled(3, false);
    EXPECT_FALSE(platform.dragTrackbar(3, 3));
    EXPECT_EQ(platform.trackbarPosition(3), 1);
}
