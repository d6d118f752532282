#include <gtest/gtest.h>

#include "audio/cau/subrip.h"

using namespace sonkrate::audio;

namespace {

std::vector<CaptionSection> voiceLog() {
    return {{35, "Oh God. This can't be happening."}, {5, "Help!"}, {3, ""}, {17, "Anyone?\nAnyone at all?"},
            {10, "Hello?"}};
}

}  // namespace

TEST(SubRip, VoiceLogWrittenAsCuesOneAfterAnother) {
    EXPECT_EQ(writeSubRip(voiceLog()),
              "1\r\n00:00:00,000 --> 00:00:07,000\r\nOh God. This can't be happening.\r\n\r\n"
              "2\r\n00:00:07,000 --> 00:00:08,000\r\nHelp!\r\n\r\n"
              "3\r\n00:00:08,600 --> 00:00:12,000\r\nAnyone?\r\nAnyone at all?\r\n\r\n"
              "4\r\n00:00:12,000 --> 00:00:14,000\r\nHello?\r\n\r\n");
    EXPECT_EQ(subRipTime(5 * 60 * 60 * 5 + 1), "05:00:00,200");
    EXPECT_EQ(writeSubRip({{5, ""}}), "");

    // Read back, the pause comes from the gap between cues 2 and 3.
    SubRipRead back = readSubRip(writeSubRip(voiceLog()));
    ASSERT_TRUE(back.ok());
    ASSERT_EQ(back.sections.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(back.sections[i].fifths, voiceLog()[i].fifths) << i;
        EXPECT_EQ(back.sections[i].text, voiceLog()[i].text) << i;
    }
}

TEST(SubRip, HandMadeFileWithBomAndCrLf) {
    // As an editor on Windows saves it: a BOM, CR LF, a late first cue, times
    // off the fifths, a cue without its number, extra blank lines, no final line end.
    const std::string file =
        "\xEF\xBB\xBF" "1\r\n00:00:01,250 --> 00:00:03,890\r\nFirst line\r\nsecond line\r\n\r\n\r\n"
        "00:00:03.890 --> 00:00:05,5 X1:10 X2:20\r\n\xC3\xA9t\xC3\xA9\r\n\r\n"
        "7\r\n0:00:09,000 --> 0:00:09,000\r\n\r\n"
        "8\r\n00:01:00,099 --> 00:01:00,301\r\nlast";
    SubRipRead r = readSubRip(file);
    ASSERT_TRUE(r.ok()) << r.line;
    ASSERT_EQ(r.sections.size(), 7u);
    EXPECT_EQ(r.sections[0].fifths, 6u);  // 1.25 s rounds to 6 fifths of pause
    EXPECT_EQ(r.sections[0].text, "");
    EXPECT_EQ(r.sections[1].fifths, 19u - 6u);  // to 3.89 s, 19 fifths
    EXPECT_EQ(r.sections[1].text, "First line\nsecond line");
    EXPECT_EQ(r.sections[2].fifths, 28u - 19u);  // ",5" is half a second
    EXPECT_EQ(r.sections[2].text, "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(r.sections[3].fifths, 45u - 28u);
    EXPECT_EQ(r.sections[4].fifths, 0u);  // a cue of no time and no text
    EXPECT_EQ(r.sections[5].fifths, 300u - 45u);
    EXPECT_EQ(r.sections[6].fifths, 302u - 300u);
    EXPECT_EQ(r.sections[6].text, "last");

    // LF alone, the same cues.
    std::string lf;
    for (char c : file)
        if (c != '\r') lf += c;
    SubRipRead same = readSubRip(lf);
    ASSERT_TRUE(same.ok());
    EXPECT_EQ(same.sections.size(), r.sections.size());

    // A line end of CR CR LF, as some converters write, is a line end too.
    SubRipRead doubled = readSubRip("00:00:00,000 --> 00:00:01,000\r\r\nOne\r\r\n\r\r\n00:00:02,000 --> 00:00:03,000\r\nTwo\r\n");
    ASSERT_TRUE(doubled.ok());
    ASSERT_EQ(doubled.sections.size(), 3u);
    EXPECT_EQ(doubled.sections[0].text, "One");
}

TEST(SubRip, RefusalsNameTheCueAndLine) {
    auto refused = [](const std::string& text, SubRipFault f, std::size_t cue, std::size_t line) {
        SubRipRead r = readSubRip(text);
        EXPECT_EQ(r.fault, f) << text;
        EXPECT_EQ(r.cue, cue) << text;
        EXPECT_EQ(r.line, line) << text;
        EXPECT_TRUE(r.sections.empty());
    };
    const std::string one = "1\n00:00:01,000 --> 00:00:02,000\na\n\n";
    refused("", SubRipFault::NoCues, 0, 1);
    refused("\xEF\xBB\xBF\r\n\r\n", SubRipFault::NoCues, 0, 3);
    refused(one + "2\n00:00:01,500 --> 00:00:03,000\nb\n", SubRipFault::Overlapping, 2, 6);
    refused(one + "2\n00:00:04,000 --> 00:00:03,000\nb\n", SubRipFault::Backwards, 2, 6);
    refused(one + "just text\n", SubRipFault::BadTiming, 2, 5);
    refused(one + "2\n00:00:04 --> 00:00:05,000\n", SubRipFault::BadTiming, 2, 6);
    refused(one + "2\n00:61:00,000 --> 01:00:05,000\n", SubRipFault::BadTiming, 2, 6);
    refused("00:00:01,000 -> 00:00:02,000\n", SubRipFault::BadTiming, 1, 1);
    refused("999999999:00:00,000 --> 999999999:00:00,000\n", SubRipFault::TimeTooLarge, 1, 1);
    // A cue that starts where the last ended is no overlap.
    EXPECT_TRUE(readSubRip(one + "00:00:02,000 --> 00:00:02,400\nb\n").ok());
}

// Files as editors and hand-edits leave them: a missing blank line between
// two cues does not fold the second into the first (with or without its
// number), while text that merely holds an arrow stays text. Line ends of a
// lone CR and UTF-16 text are refused, naming them.
TEST(SubRip, MissingBlankLinesAndForeignTextLayouts) {
    SubRipRead r = readSubRip("1\n00:00:00,000 --> 00:00:01,000\nOne\n2\n00:00:01,000 --> 00:00:02,000\nTwo\n"
                              "00:00:03,000 --> 00:00:04,000\nThree\nstill three --> on\n7\n");
    ASSERT_TRUE(r.ok()) << static_cast<int>(r.fault) << " line " << r.line;
    ASSERT_EQ(r.sections.size(), 4u);
    EXPECT_EQ(r.sections[0].text, "One");
    EXPECT_EQ(r.sections[1].text, "Two");
    EXPECT_EQ(r.sections[2].text, "");  // the pause before the third cue
    EXPECT_EQ(r.sections[3].text, "Three\nstill three --> on\n7");
    EXPECT_EQ(r.sections[1].fifths, 5u);

    SubRipRead cr = readSubRip("1\r00:00:00,000 --> 00:00:01,000\rOne\r\r");
    EXPECT_EQ(cr.fault, SubRipFault::CrLineEnds);
    EXPECT_EQ(cr.line, 1u);
    SubRipRead late = readSubRip("1\r\n00:00:00,000 --> 00:00:01,000\r\nOne\rTwo\r\n");
    EXPECT_EQ(late.fault, SubRipFault::CrLineEnds);
    EXPECT_EQ(late.line, 3u);
    const std::string utf16("\xFF\xFE" "1\0\n\0", 6);
    EXPECT_EQ(readSubRip(utf16).fault, SubRipFault::Utf16);
    EXPECT_EQ(readSubRip(std::string("1\0\n\0", 4)).fault, SubRipFault::Utf16);
    EXPECT_EQ(readSubRip("\xFE\xFF").fault, SubRipFault::Utf16);
}
