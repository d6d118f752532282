// manifest.json read and written: values survive the round trip (floats as
// their shortest decimals, identifiers as 8 hex digits, captions in fifths),
// every wrong type is refused with the key named, and the file hash is
// 64-bit xxHash, checked against published values and fed in pieces.
#include <gtest/gtest.h>

#include <string>

#include "archive/folder/content_hash.h"
#include "archive/folder/manifest_json.h"

using namespace sonkrate::archive;

namespace {

std::string hashOf(const std::string& text) {
    ContentHash h;
    h.update(text.data(), text.size());
    return h.text();
}

std::string refusal(const std::string& text) {
    Manifest m;
    sonkrate::io::Outcome read = readManifestJson(text, "m.json", m);
    EXPECT_FALSE(read);
    return read.reason;
}

const char* const kTop =
    R"({"version": 1, "layoutTag": 336, "soundCount": 1, "entryCount": 1, "trailerFlag": 0,
        "soundDataEnd": 10, "fileSize": 10, "sounds": [)";

}  // namespace

TEST(ContentHash, IsXxh64InPiecesOrWhole) {
    EXPECT_EQ(hashOf(""), "xxh64:ef46db3751d8e999");
    EXPECT_EQ(hashOf("a"), "xxh64:d24ec4f1a98c6e5b");
    EXPECT_EQ(hashOf("abc"), "xxh64:44bc2cf5ad770999");
    const std::string long_ = "Nobody inspects the spammish repetition";
    EXPECT_EQ(hashOf(long_), "xxh64:fbcea83c8a378bf1");
    std::string big;
    for (int i = 0; i < 1000; ++i) big += static_cast<char>(i * 31 + 7);
    for (std::size_t step : {1u, 5u, 31u, 32u, 33u, 999u}) {
        ContentHash h;
        for (std::size_t at = 0; at < big.size(); at += step)
            h.update(big.data() + at, std::min(step, big.size() - at));
        EXPECT_EQ(h.text(), hashOf(big)) << step;
    }
}

TEST(ManifestJson, RoundTripsEveryValue) {
    Manifest m;
    m.archive = "effects.tpa";
    m.form = "cau";
    m.archiveClass = "effects";
    m.layoutTag = 0x150, m.soundCount = 2, m.entryCount = 3, m.trailerFlag = 4, m.soundDataEnd = 5;
    m.fileSize = 4000000000ull;
    ManifestSound s;
    s.record = 2;
    s.soundId = 0x0000ABCD;
    s.name = "Caf\xC3\xA9";
    s.file = "a.wav";
    s.attenuation = static_cast<float>(0.1);
    s.masterVolume = -3.5;
    s.captions = std::vector<ManifestSection>{{35, "Oh God."}, {3, ""}, {1, "\"q\"\n"}};
    s.sharesImageWith = 0xF0A07BD9;
    s.format = ManifestFormat{22050, 2, 16, "ima-adpcm", 2056};
    s.hash = "xxh64:0123456789abcdef";
    m.sounds = {s, ManifestSound{}};
    m.sounds[1].file = "b.cau";
    const std::string text = writeManifestJson(m);
    EXPECT_NE(text.find("\"soundId\": \"0000abcd\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"attenuation\": 0.1,"), std::string::npos) << text;
    EXPECT_NE(text.find("\"seconds\": 7.0"), std::string::npos) << text;
    EXPECT_NE(text.find("\"seconds\": 0.6"), std::string::npos) << text;

    Manifest back;
    ASSERT_TRUE(readManifestJson(text, "m.json", back));
    EXPECT_EQ(back.fileSize, 4000000000ull);
    const ManifestSound& r = back.sounds[0];
    EXPECT_EQ(r.record, 2u);
    EXPECT_EQ(r.soundId, 0xABCDu);
    EXPECT_EQ(r.name, "Caf\xC3\xA9");
    EXPECT_EQ(static_cast<float>(*r.attenuation), static_cast<float>(0.1));
    EXPECT_EQ(r.captions, s.captions);
    EXPECT_EQ(r.sharesImageWith, 0xF0A07BD9u);
    EXPECT_EQ(r.format->blockAlign, 2056u);
    EXPECT_EQ(r.hash, s.hash);
    EXPECT_FALSE(back.sounds[1].record);
    EXPECT_FALSE(back.sounds[1].captions);
    EXPECT_FALSE(back.sounds[1].attenuation);

    // Bytes that are not UTF-8 do not stop the writer.
    m.sounds[0].name = std::string("\xE9t\xE9");
    EXPECT_NE(writeManifestJson(m).find("\"name\": \"\xEF\xBF\xBDt\xEF\xBF\xBD\""), std::string::npos);
}

TEST(ManifestJson, WrongValuesAreRefusedNamingTheKey) {
    const std::string top = kTop;
    EXPECT_NE(refusal(top + R"({"file": 5}]})").find("row 1 of \"sounds\": \"file\" must be a string"),
              std::string::npos);
    EXPECT_NE(refusal(top + R"({"file": "a", "soundId": 5}]})").find("\"soundId\""), std::string::npos);
    EXPECT_NE(refusal(top + R"({"file": "a", "soundId": "xyz"}]})").find("8 hexadecimal"), std::string::npos);
    EXPECT_NE(refusal(top + R"({"file": "a", "record": -1}]})").find("\"record\""), std::string::npos);
    EXPECT_NE(refusal(top + R"({"file": "a", "record": 1.5}]})").find("\"record\""), std::string::npos);
    EXPECT_NE(refusal(top + R"({"file": "a", "attenuation": "1"}]})").find("\"attenuation\""), std::string::npos);
    EXPECT_NE(refusal(top + R"({"file": "a", "captions": [{"seconds": -1, "text": ""}]}]})").find("below 0"),
              std::string::npos);
    EXPECT_NE(refusal(top + R"({"file": "a", "captions": [7]}]})").find("\"captions\""), std::string::npos);
    EXPECT_NE(refusal(top + R"({"file": "a"}, 3]})").find("row 2 of \"sounds\" is not an object"),
              std::string::npos);
    EXPECT_NE(refusal(R"({"version": 2})").find("version 2"), std::string::npos);
    EXPECT_NE(refusal(R"({"version": 1, "layoutTag": 336})").find("\"soundCount\" is missing"), std::string::npos);
    EXPECT_NE(refusal("[]").find("one JSON object"), std::string::npos);
    EXPECT_NE(refusal("").find("line 1, column 1"), std::string::npos);
    EXPECT_NE(refusal("{\n\n   \"a\" 1}").find("line 3, column 8"), std::string::npos);
    EXPECT_NE(refusal(R"({"version": 1, "layoutTag": 99999999999})").find("\"layoutTag\" is too large"),
              std::string::npos);
}
