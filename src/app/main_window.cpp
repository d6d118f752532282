#include "app/main_window.h"

#include <cstdint>

#include "app/command_ids.h"

namespace sonkrate::app {

using platform::ControlKind;
using platform::ControlDescription;
using platform::CreationPhase;
namespace ps = platform;

namespace {

constexpr unsigned kEdge = ps::kClientEdge;

// clang-format off
const ControlDescription kControls[] = {
    // id, kind, text, style, x, y, w, h, GUI font, bitmap, phase, the bitmap's word
    {kProgressBar, ControlKind::ProgressBar, "", ps::kStyleNone, 47, 80, 376, 8, false, 0, CreationPhase::AfterShow},
    {kStatusLine, ControlKind::Edit, "", kEdge | ps::kVerticalScroll | ps::kReadOnly | ps::kMultiline,
     9, 96, 452, 32, true, 0, CreationPhase::AfterShow},
    {kSoundIdInput, ControlKind::Edit, "", kEdge, 69, 162, 276, 20, true, 0, CreationPhase::AfterShow},
    {kSoundIdLabel, ControlKind::Static, "Sound ID:", ps::kSimpleLabel, 9, 164, 48, 20, true, 0, CreationPhase::AfterShow},
    {kNumberLabel, ControlKind::Static, "#", ps::kSimpleLabel, 9, 138, 12, 20, true, 0, CreationPhase::AfterShow},
    {kNumberField, ControlKind::Edit, "0", kEdge | ps::kNumbersOnly | ps::kReadOnly, 19, 135, 30, 20, true, 0,
     CreationPhase::AfterShow},
    {kEntriesLabel, ControlKind::Static, "#Entries", ps::kSimpleLabel, 51, 138, 38, 20, true, 0, CreationPhase::AfterShow},
    {kEntriesField, ControlKind::Edit, "0", kEdge | ps::kNumbersOnly | ps::kReadOnly, 96, 135, 32, 20, true, 0,
     CreationPhase::AfterShow},
    {kCrcLabel, ControlKind::Static, "Crc:", ps::kSimpleLabel, 131, 138, 48, 20, true, 0, CreationPhase::AfterShow},
    {kCrcField, ControlKind::Edit, "", kEdge | ps::kReadOnly, 154, 135, 62, 20, true, 0, CreationPhase::AfterShow},
    {kIdsLabel, ControlKind::Static, "IDs:", ps::kSimpleLabel, 221, 138, 54, 20, true, 0, CreationPhase::AfterShow},
    {kIdsField, ControlKind::Edit, "", kEdge | ps::kReadOnly | ps::kUpperCase | ps::kAlignRight | ps::kAlignCenter,
     244, 135, 216, 20, true, 0, CreationPhase::AfterShow},
    {kFileNamesLabel, ControlKind::Static, "Use File_Names:", ps::kSimpleLabel, 356, 164, 80, 20, true, 0,
     CreationPhase::AfterShow},
    {kEelListBox, ControlKind::ListBox, "", kEdge | ps::kVerticalScroll | ps::kNotify | ps::kDisableNoScroll,
     9, 190, 432, 36, true, 0, CreationPhase::AfterShow},
    {kCaptionInput, ControlKind::Edit, "", kEdge | ps::kVerticalScroll | ps::kMultiline | ps::kAutoVerticalScroll,
     8, 228, 454, 44, true, 0, CreationPhase::AfterShow},
    {kRepeatLabel, ControlKind::Bitmap, "", ps::kStyleNone, 219, 0, 48, 14, false, kRepeatBitmap, CreationPhase::Bitmaps,
     "Repeat"},
    {kStopLabel, ControlKind::Bitmap, "", ps::kStyleNone, 241, 0, 32, 14, false, kStopBitmap, CreationPhase::Bitmaps, "Stop"},
    {kReplayStrip, ControlKind::Bitmap, "", ps::kStyleNone, 209, 39, 20, 2, false, kStripBitmap, CreationPhase::Bitmaps},
    {kStopStrip, ControlKind::Bitmap, "", ps::kStyleNone, 231, 39, 20, 2, false, kStripBitmap, CreationPhase::Bitmaps},
    {kNextButton, ControlKind::PushButton, "-->", ps::kStyleNone, 253, 15, 40, 24, false, 0, CreationPhase::WithWindow},
    {kReplayButton, ControlKind::PushButton, "<>", ps::kStyleNone, 209, 15, 20, 24, false, 0, CreationPhase::WithWindow},
    {kPreviousButton, ControlKind::PushButton, "<--", ps::kStyleNone, 167, 15, 40, 24, false, 0, CreationPhase::WithWindow},
    {kStopButton, ControlKind::PushButton, "[ ]", ps::kStyleNone, 231, 15, 20, 24, false, 0, CreationPhase::WithWindow},
    {kAddListingButton, ControlKind::PushButton, "+", ps::kStyleNone, 444, 190, 16, 14, false, 0, CreationPhase::WithWindow},
    {kRemoveListingButton, ControlKind::PushButton, "-", ps::kStyleNone, 444, 205, 16, 14, false, 0,
     CreationPhase::WithWindow},
    {kFileNamesCheckBox, ControlKind::CheckBox, "", ps::kStyleNone, 445, 158, 28, 28, false, 0, CreationPhase::WithWindow},
    {kTrackbar, ControlKind::Trackbar, "Trackbar Control", ps::kNoTicks | ps::kFixedLength, 74, 45, 320, 22, false, 0,
     CreationPhase::WithWindow},
};
// clang-format on

}  // namespace

platform::WindowDescription mainWindowDescription(platform::ScreenSize screen) {
    platform::WindowDescription window;
    window.className = kWindowClassName;
    window.title = kWindowTitle;
    // Each half of the screen is kept in 16 bits before the offset is taken
    // off, so the window may start off screen on a very small display.
    window.x = static_cast<std::int16_t>(screen.width / 2) - 208;
    window.y = static_cast<std::int16_t>(screen.height / 2) - 155;
    window.width = kWindowWidth;
    window.height = kWindowHeight;
    window.smallIconId = kProgramIcon;
    return window;
}

std::span<const platform::ControlDescription> controlTable() { return kControls; }

const platform::ControlDescription* findControl(int id) {
    for (const auto& c : kControls)
        if (c.id == id) return &c;
    return nullptr;
}

}  // namespace sonkrate::app
