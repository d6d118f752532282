#include <gtest/gtest.h>

#include "audio/cau/caption_sections.h"
#include "audio/cau/cau_reader.h"
#include "audio/convert/cau_to_wav.h"
#include "audio_fixtures.h"

using namespace sonkrate::audio;
using testkit::Bytes;

namespace {

// A voice log as the game's own are made: 14 seconds in five sections, the third a pause.
std::vector<CaptionSection> voiceLog() {
    return {{35, "Oh God. This can't be happening."}, {5, "Help!"}, {3, ""}, {17, "Anyone?"}, {10, "Hello?"}};
}

Bytes bytesOf(const std::string& s) { return Bytes(s.begin(), s.end()); }

CaptionSectionsRead readBytes(const Bytes& b) { return readCaptionSections(b.data(), b.size()); }

// A PCM .cau whose caption block is block, as given.
Bytes cauWithBlock(const std::string& block, const Bytes& data) {
    CauHeader h;
    h.dataSize = static_cast<std::uint32_t>(data.size());
    h.decodedSize = h.dataSize;
    h.sampleRate = 22050;
    h.captionOffset = kCaptionAtHeaderEnd;
    h.dataOffset = static_cast<std::uint32_t>(kCauHeaderSize + block.size());
    auto head = serializeCauHeader(h);
    Bytes image(head.begin(), head.end());
    image.insert(image.end(), block.begin(), block.end());
    image.insert(image.end(), data.begin(), data.end());
    return image;
}

}  // namespace

TEST(CaptionSections, BlockLayoutWrittenAndReadBack) {
    std::string block = encodeCaptionSections({{35, "Oh"}, {3, ""}, {0x01020304, "ab"}});
    const Bytes expected = {23, 0, 0, 0, 3, 0, 0, 0, 35, 0, 0, 0, 'O', 'h', 0, 3, 0, 0, 0, 0,
                            4, 3, 2, 1, 'a', 'b', 0};
    EXPECT_EQ(bytesOf(block), expected);
    EXPECT_EQ(captionSectionsBlockSize({{35, "Oh"}, {3, ""}, {0x01020304, "ab"}}), expected.size());

    auto back = readBytes(expected);
    ASSERT_TRUE(back.ok());
    ASSERT_EQ(back.sections.size(), 3u);
    EXPECT_EQ(back.blockLength, 23u);
    EXPECT_EQ(back.sections[0].fifths, 35u);
    EXPECT_EQ(back.sections[0].text, "Oh");
    EXPECT_EQ(back.sections[1].text, "");
    EXPECT_EQ(back.sections[2].fifths, 0x01020304u);
    EXPECT_EQ(back.sections[2].text, "ab");

    // A zero inside a text would end it early: it is dropped.
    auto dropped = readBytes(bytesOf(encodeCaptionSections({{5, std::string("a\0b", 3)}})));
    ASSERT_TRUE(dropped.ok());
    EXPECT_EQ(dropped.sections[0].text, "ab");
    // No sections: just the length and a count of zero.
    EXPECT_EQ(bytesOf(encodeCaptionSections({})), (Bytes{4, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(CaptionSections, TypedCaptionsReadAsSectionsAndShowAsBefore) {
    // The typed-caption block: the first line for 10 fifths, each further line for 14.
    std::string block = encodeCaptionBlock("ab\r\nc\r\n\r\nd\te");
    auto read = readBytes(bytesOf(block));
    ASSERT_TRUE(read.ok());
    ASSERT_EQ(read.sections.size(), 4u);
    EXPECT_EQ(read.sections[0].fifths, 10u);
    EXPECT_EQ(read.sections[0].text, "ab");
    EXPECT_EQ(read.sections[1].fifths, 14u);
    EXPECT_EQ(read.sections[1].text, "c");
    EXPECT_EQ(read.sections[2].text, "");
    EXPECT_EQ(read.sections[3].fifths, 14u);
    EXPECT_EQ(read.sections[3].text, "d\te");
    // Shown exactly as the byte-by-byte reading always showed it.
    const auto* b = reinterpret_cast<const std::uint8_t*>(block.data());
    EXPECT_EQ(decodeCaptionText(b, block.size()), " ab c  d e");
    EXPECT_EQ(decodeCaptionBytes(b, block.size()), " ab c  d e");
    EXPECT_EQ(captionShownText(read.sections), " ab c  d e");
}

TEST(CaptionSections, GameVoiceLogShowsWithoutStrayLetters) {
    std::string block = encodeCaptionSections(voiceLog());
    const auto* b = reinterpret_cast<const std::uint8_t*>(block.data());
    // Read byte by byte, a time of 35 fifths would show as '#'.
    EXPECT_EQ(decodeCaptionBytes(b, block.size()).substr(0, 2), "#O");
    EXPECT_EQ(decodeCaptionText(b, block.size()), " Oh God. This can't be happening. Help!  Anyone? Hello?");

    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("log.cau"), cauWithBlock(block, Bytes(100, 0)));
    CauImage image;
    ASSERT_TRUE(readCauFile(dir.file("log.cau"), image).ok);
    EXPECT_EQ(image.captionFault, CaptionFault::None);
    ASSERT_EQ(image.captionSections.size(), 5u);
    EXPECT_EQ(image.captionText.find('#'), std::string::npos);
    EXPECT_EQ(captionSectionStart(image.captionSections, 3), 43u);
    EXPECT_EQ(captionSectionStart(image.captionSections, 5), 70u);  // 14 seconds
    auto wav = cauToWav(dir.file("log.cau"), dir.file("log.wav"));
    ASSERT_TRUE(wav.ok()) << wav.outcome.reason;
    EXPECT_EQ(wav.captionText, image.captionText);

    // The same image inside an archive.
    Bytes archive = audiotest::embed(cauWithBlock(block, Bytes(100, 0)), 300, 20);
    testkit::writeFile(dir.file("a.tpa"), archive);
    CauImage entry;
    ASSERT_TRUE(readCauEntry(dir.file("a.tpa"), 300, archive.size() - 320, entry).ok);
    EXPECT_EQ(entry.captionSections.size(), 5u);
    EXPECT_EQ(entry.captionText, image.captionText);
}

TEST(CaptionSections, HostileBlocksAreRefused) {
    auto fault = [](const Bytes& b) { return readBytes(b).fault; };
    EXPECT_EQ(fault({}), CaptionFault::NoRoom);
    EXPECT_EQ(fault({9, 0, 0, 0, 1, 0, 0}), CaptionFault::NoRoom);
    EXPECT_EQ(fault({2, 0, 0, 0, 0, 0, 0, 0}), CaptionFault::NoRoom);
    // The length runs one byte past what is there.
    EXPECT_EQ(fault({5, 0, 0, 0, 0, 0, 0, 0}), CaptionFault::BlockPastEnd);
    EXPECT_EQ(fault({0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 10, 0, 0, 0, 'a', 0}), CaptionFault::BlockPastEnd);
    // A huge count is refused before anything is reserved.
    EXPECT_EQ(fault({9, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0}), CaptionFault::TooManySections);
    EXPECT_EQ(fault({9, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 0}), CaptionFault::TooManySections);
    // A text running past the block, though the bytes after it hold a zero.
    EXPECT_EQ(fault({9, 0, 0, 0, 1, 0, 0, 0, 10, 0, 0, 0, 'a', 0}), CaptionFault::TextUnterminated);
    // The second section's time is cut by the block's end.
    const Bytes cut = {17, 0, 0, 0, 2, 0, 0, 0, 10, 0, 0, 0, 'a', 'b', 'c', 'd', 'e', 'f', 0, 14, 0};
    EXPECT_EQ(fault(cut), CaptionFault::TimeCut);
    EXPECT_EQ(fault({14, 0, 0, 0, 2, 0, 0, 0, 10, 0, 0, 0, 'a', 0, 14, 0, 0, 0}), CaptionFault::TextUnterminated);
    EXPECT_TRUE(readBytes({16, 0, 0, 0, 2, 0, 0, 0, 10, 0, 0, 0, 'a', 0, 14, 0, 0, 0, 0, 0}).ok());
    // Nothing half read is kept.
    EXPECT_TRUE(readBytes(cut).sections.empty());

    // A block that does not read as sections is shown byte by byte, bounded by the file.
    testkit::ScratchDir dir;
    std::string block = encodeCaptionSections({{35, "x"}, {5, "y"}});
    block[4] = 3;  // one section more than there is
    testkit::writeFile(dir.file("bad.cau"), cauWithBlock(block, Bytes(10, 0)));
    CauImage image;
    ASSERT_TRUE(readCauFile(dir.file("bad.cau"), image).ok);
    EXPECT_EQ(image.captionFault, CaptionFault::TooManySections);
    EXPECT_TRUE(image.captionSections.empty());
    EXPECT_EQ(image.captionText, "#x ");
}
