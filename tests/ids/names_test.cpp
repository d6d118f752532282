// Finding, varying and guessing sound names: the fast CRC against a plain
// bitwise one, the pieces of a run, the streamed scanner at every buffer
// boundary, the variations, and the pattern solver against brute force.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "ids/crc32_fast.h"
#include "ids/search/name_candidates.h"
#include "ids/search/name_choice.h"
#include "ids/search/name_harvest.h"
#include "ids/search/name_pattern.h"
#include "ids/search/name_search.h"
#include "ids/search/name_variations.h"
#include "ids/sound_id.h"
#include "io/file.h"
#include "testkit/testkit.h"

using namespace sonkrate::ids;

namespace {

// CRC-32 one bit at a time, with ASCII letters lower-cased: the definition.
std::uint32_t bitwiseId(const std::uint8_t* p, std::size_t n) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t b = p[i];
        if (b >= 'A' && b <= 'Z') b = static_cast<std::uint8_t>(b + 32);
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

std::set<std::string> spanTexts(const std::string& run, bool whole = true) {
    std::vector<NameSpan> spans;
    candidateSpans(reinterpret_cast<const std::uint8_t*>(run.data()), run.size(), whole, spans);
    std::set<std::string> texts;
    for (const NameSpan& s : spans) texts.insert(run.substr(s.start, s.length));
    return texts;
}

// name -> "path@offset" of every match, for comparing scans.
std::map<std::string, std::uint64_t> scan(const std::string& bytes, const SoughtIds& sought, std::size_t piece) {
    NameMatches matches;
    NameScanner scanner(sought, matches);
    scanner.begin("f");
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t at = 0; at < bytes.size(); at += piece) scanner.feed(data + at, std::min(piece, bytes.size() - at));
    scanner.finish();
    std::map<std::string, std::uint64_t> found;
    for (const auto& [id, list] : matches.byId())
        for (const NameMatch& m : list) found[m.name] = m.offset;
    return found;
}

std::string utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
}

}  // namespace

TEST(FastCrc, GivesTheBitwiseIdentifierAtEveryLengthAndAlignment) {
    // Bytes around the letter ranges and above 0x7F, where a case fold done
    // eight bytes at a time could go wrong.
    std::vector<std::uint8_t> bytes;
    for (int b : {0x40, 0x41, 0x4D, 0x5A, 0x5B, 0x60, 0x61, 0x7A, 0x7B, 0xC1, 0xDA, 0xE1, 0x80, 0xFF, 0, 0x20})
        bytes.push_back(static_cast<std::uint8_t>(b));
    std::mt19937 random(7);
    while (bytes.size() < 96) bytes.push_back(static_cast<std::uint8_t>(random()));
    for (std::size_t from = 0; from < 8; ++from)
        for (std::size_t n = 0; from + n <= bytes.size(); ++n) {
            const std::uint8_t* p = bytes.data() + from;
            ASSERT_EQ(crcUpdateLower(kCrcStart, p, n) ^ kCrcStart, bitwiseId(p, n)) << from << " " << n;
            std::string text(reinterpret_cast<const char*>(p), n);
            ASSERT_EQ(computeSoundId(text), bitwiseId(p, n));
        }
    EXPECT_EQ(computeSoundId("MISSING"), 0xF0A07BD9u);
    // The backward step undoes a forward one for any state and byte.
    for (int i = 0; i < 1000; ++i) {
        const std::uint32_t state = random();
        const auto byte = static_cast<std::uint8_t>(random());
        ASSERT_EQ(crcStepBack(crcStep(state, byte), byte), state);
    }
}

TEST(NameCandidates, PiecesOfScriptLinesPathsAndQuotes) {
    std::set<std::string> line = spanTexts("Object Door { Sound=\"amb-pv-b01\"; Volume=3 }");
    for (const char* piece : {"amb-pv-b01", "Sound", "Volume", "Object Door", "Object Door { Sound="})
        EXPECT_TRUE(line.count(piece)) << piece;
    EXPECT_FALSE(line.count("3"));  // one byte is too short

    std::set<std::string> path = spanTexts("m:\\workingaudio\\amb\\air-exterior-01.cau");
    EXPECT_TRUE(path.count("air-exterior-01.cau"));
    EXPECT_TRUE(path.count("air-exterior-01"));
    EXPECT_TRUE(path.count("\\workingaudio\\amb\\air-exterior-01.cau"));

    std::set<std::string> blanks = spanTexts("  DINO - RAPT DIST A\t");
    EXPECT_TRUE(blanks.count("DINO - RAPT DIST A"));
    EXPECT_TRUE(blanks.count("  DINO - RAPT DIST A\t"));
    std::set<std::string> single = spanTexts("play 'wind, low' now");
    EXPECT_TRUE(single.count("wind, low"));
    EXPECT_TRUE(single.count("wind"));
    EXPECT_TRUE(single.count("low"));

    // 129 bytes are too long to be a name; the pieces inside still count.
    const std::string longRun = std::string(100, 'x') + "=name-a=" + std::string(21, 'y');
    std::set<std::string> cut = spanTexts(longRun);
    EXPECT_FALSE(cut.count(longRun));
    EXPECT_TRUE(cut.count("name-a"));
    // A piece cut from a longer run is not itself a candidate.
    std::set<std::string> piece = spanTexts("tail-of-run;name-b", false);
    EXPECT_TRUE(piece.count("name-b"));
    EXPECT_TRUE(piece.count("tail-of-run"));
    EXPECT_FALSE(piece.count("tail-of-run;name-b"));
}

TEST(NameScanner, FindsTheSameNamesAtTheSameOffsetsWhateverTheBufferSize) {
    std::string bytes = std::string("\x01\x02", 2) + "snd_door_17" + std::string(1, '\0') + "\x05" + "junk";
    bytes += "\x7F" + utf16("unicode-name") + std::string(3, '\0') + "\x1F" + "x" + utf16("odd-aligned") + "\n";
    bytes += "Sound=\"amb-pv-b01\"\r\n";
    // A run far longer than a segment, with names near where it is cut.
    std::string longRun;
    while (longRun.size() < 40000) longRun += "abcdefghij" + std::to_string(longRun.size());
    longRun.insert(16380, ",deep-name-a,");
    longRun.insert(33000, ";deep-name-b;");
    const std::size_t longAt = bytes.size();
    bytes += longRun + "\x02" + "ab" + "\x02" + "end-name";
    const std::vector<std::string> names = {"snd_door_17", "unicode-name", "odd-aligned", "amb-pv-b01",
                                            "deep-name-a", "deep-name-b",  "ab",          "end-name"};
    std::vector<SoundId> ids;
    for (const std::string& n : names) ids.push_back(computeSoundId(n));
    ids.push_back(computeSoundId("not-there"));
    SoughtIds sought(ids);

    const auto whole = scan(bytes, sought, bytes.size());
    for (const std::string& n : names) EXPECT_TRUE(whole.count(n)) << n;
    ASSERT_EQ(whole.size(), names.size());
    EXPECT_EQ(whole.at("snd_door_17"), 2u);
    EXPECT_EQ(whole.at("unicode-name"), bytes.find(utf16("unicode-name")));
    EXPECT_EQ(whole.at("odd-aligned"), bytes.find(utf16("odd-aligned")));
    EXPECT_EQ(whole.at("odd-aligned") % 2, 1u);
    EXPECT_EQ(whole.at("deep-name-a"), longAt + 16381);
    EXPECT_EQ(whole.at("end-name"), bytes.size() - 8);
    for (std::size_t piece : {1u, 2u, 3u, 7u, 64u, 4093u, 16384u})
        EXPECT_EQ(scan(bytes, sought, piece), whole) << "pieces of " << piece;
}

TEST(NameHarvest, WalksFoldersWithoutLoopingAndReportsWhatItCannotRead) {
    testkit::ScratchDir dir;
    namespace fs = std::filesystem;
    fs::create_directories(dir.file("a/b"));
    testkit::writeText(dir.file("a/b/level.scn"), "Sound = wind-01\n");
    testkit::writeText(dir.file("a/top.txt"), "rain-02\n");
    std::error_code ec;
    fs::create_directory_symlink("..", dir.file("a/b/up"), ec);  // a loop, when links were followed
    SoughtIds sought({computeSoundId("wind-01"), computeSoundId("rain-02")});
    NameMatches matches;
    std::vector<std::string> problems;
    HarvestHooks hooks;
    hooks.onProblem = [&](const std::string& p) { problems.push_back(p); };
    HarvestResult r = harvestNames({dir.file("a"), dir.file("absent")}, sought, matches, hooks);
    EXPECT_EQ(r.filesRead, 2u);
    EXPECT_EQ(matches.count(), 2u);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("absent"), std::string::npos) << problems[0];
    EXPECT_TRUE(fs::equivalent(matches.byId().at(computeSoundId("wind-01")).front().path, dir.file("a/b/level.scn")));
}

TEST(NameVariations, NumbersOfTheSameWidthAndTheLastCharacterChained) {
    std::vector<std::string> v = variationsOf("amb-pv-b01");
    std::set<std::string> set(v.begin(), v.end());
    EXPECT_TRUE(set.count("amb-pv-b00"));
    EXPECT_TRUE(set.count("amb-pv-b99"));
    EXPECT_TRUE(set.count("amb-pv-b0z"));
    EXPECT_FALSE(set.count("amb-pv-b01"));
    EXPECT_FALSE(set.count("amb-pv-b1"));  // the width is kept
    // Four digits are not varied as a number; the last one still is.
    std::vector<std::string> four = variationsOf("snd1546");
    EXPECT_EQ(four.size(), 35u);
    // A run of digits in the middle, and a last letter after it.
    std::set<std::string> mid;
    for (auto& s : variationsOf("wall-07-hit.")) mid.insert(s);
    EXPECT_TRUE(mid.count("wall-42-hit."));
    EXPECT_TRUE(mid.count("wall-07-hix."));

    // ab-1-x found; ab-2-x is one change away, ab-2-y two.
    SoughtIds sought({computeSoundId("ab-1-x"), computeSoundId("ab-2-x"), computeSoundId("ab-2-y")});
    NameMatches matches;
    ASSERT_TRUE(matches.add({computeSoundId("ab-1-x"), "ab-1-x", NameHow::Found, "f", 0}));
    VariationResult r = varyNames(matches, sought);
    EXPECT_EQ(r.namesVaried, 2u);
    EXPECT_TRUE(matches.has(computeSoundId("ab-2-y"), "ab-2-y"));
    EXPECT_EQ(matches.byId().at(computeSoundId("ab-2-y")).front().how, NameHow::Varied);
    NameMatches few;
    ASSERT_TRUE(few.add({computeSoundId("ab-1-x"), "ab-1-x", NameHow::Found, "f", 0}));
    EXPECT_TRUE(varyNames(few, sought, 5).budgetReached);
}

TEST(NamePattern, ParsesClassesEscapesAndRefusesWhatItCannotDo) {
    PatternParse p = parseNamePattern("Amb-#\\#@?");
    ASSERT_EQ(p.problem, PatternProblem::None);
    ASSERT_EQ(p.pattern.elements.size(), 8u);
    EXPECT_EQ(p.pattern.elements[0].literal, 'a');
    EXPECT_EQ(p.pattern.elements[4].symbols, SymbolClass::Digit);
    EXPECT_EQ(p.pattern.elements[5].symbols, SymbolClass::Literal);
    EXPECT_EQ(p.pattern.elements[5].literal, '#');
    EXPECT_EQ(p.pattern.names, 10u * 26 * 39);

    EXPECT_EQ(parseNamePattern("").problem, PatternProblem::Empty);
    EXPECT_EQ(parseNamePattern("ab\\").problem, PatternProblem::LoneEscape);
    PatternParse tab = parseNamePattern("a\tb");
    EXPECT_EQ(tab.problem, PatternProblem::NotPrintable);
    EXPECT_EQ(tab.at, 1u);
    EXPECT_EQ(parseNamePattern(std::string(128, 'x')).problem, PatternProblem::None);
    EXPECT_EQ(parseNamePattern(std::string(129, 'x')).problem, PatternProblem::TooLong);
    EXPECT_EQ(parseNamePattern("x???????").problem, PatternProblem::None);  // 39^7
    EXPECT_EQ(parseNamePattern("????????").problem, PatternProblem::TooManyNames);
    EXPECT_EQ(parseNamePattern("############").problem, PatternProblem::None);  // exactly 10^12
    EXPECT_EQ(parseNamePattern("#############").problem, PatternProblem::TooManyNames);
}

TEST(NameSearch, SolvedNamesAreExactlyThoseBruteForceFinds) {
    std::mt19937 random(11);
    for (const char* text : {"ab#", "@?", "x#@?#", "a?b#c@d?e", "?" "?-?" "?", "ceo-@@@@", "#a#a#a#a", "Q?\\??"}) {
        SCOPED_TRACE(text);
        PatternParse p = parseNamePattern(text);
        ASSERT_EQ(p.problem, PatternProblem::None);
        // Every expansion, plainly.
        std::vector<std::string> all = {""};
        for (const PatternElement& e : p.pattern.elements) {
            std::vector<std::string> next;
            std::string_view symbols =
                e.symbols == SymbolClass::Literal ? std::string_view(reinterpret_cast<const char*>(&e.literal), 1)
                                                  : symbolsOf(e.symbols);
            for (const std::string& s : all)
                for (char c : symbols) next.push_back(s + c);
            all.swap(next);
        }
        ASSERT_EQ(all.size(), p.pattern.names);
        std::vector<SoundId> ids;
        for (int i = 0; i < 40; ++i) ids.push_back(computeSoundId(all[random() % all.size()]));
        for (int i = 0; i < 2000; ++i) ids.push_back(random());
        SoughtIds sought(ids);
        std::set<std::pair<SoundId, std::string>> expected, got;
        for (const std::string& s : all)
            if (sought.contains(computeSoundId(s))) expected.insert({computeSoundId(s), s});
        GuessResult r = guessNames(p.pattern, sought);
        for (const GuessMatch& m : r.matches) got.insert({m.id, m.name});
        EXPECT_EQ(got, expected);
        EXPECT_EQ(r.matches.size(), got.size());  // none twice
    }
    // Six unknowns of 39 symbols: 3.5e9 names, named without trying them one by one.
    PatternParse six = parseNamePattern("CEO-??????");
    GuessResult r = guessNames(six.pattern, SoughtIds({computeSoundId("ceo-xq7z2k")}));
    EXPECT_TRUE(std::any_of(r.matches.begin(), r.matches.end(), [](const GuessMatch& m) { return m.name == "ceo-xq7z2k"; }));
    for (const GuessMatch& m : r.matches) EXPECT_EQ(computeSoundId(m.name), m.id);
}

TEST(NameChoice, FoundBeforeVariedBeforeGuessedThenPlainThenShort) {
    std::vector<NameMatch> m = {{1, "zz@junk", NameHow::Found, "a", 0}, {1, "b-2", NameHow::Varied, {}, 0},
                                {1, "longer-name", NameHow::Found, "a", 9}, {1, "short", NameHow::Found, "a", 5},
                                {1, "g", NameHow::Guessed, {}, 0}};
    ChosenName c = chooseName(m);
    ASSERT_NE(c.best, nullptr);
    EXPECT_EQ(c.best->name, "short");
    ASSERT_EQ(c.others.size(), 4u);
    EXPECT_EQ(c.others[0]->name, "longer-name");
    EXPECT_EQ(c.others[1]->name, "zz@junk");
    EXPECT_EQ(c.others[2]->name, "b-2");
    EXPECT_FALSE(c.uncertain);
    EXPECT_TRUE(chooseName({{1, "g1", NameHow::Guessed, {}, 0}, {1, "g2", NameHow::Guessed, {}, 0}}).uncertain);
    EXPECT_FALSE(chooseName({{1, "g1", NameHow::Guessed, {}, 0}}).uncertain);
    EXPECT_EQ(chooseName({}).best, nullptr);
}

TEST(FastCrc, ShortNamesHashedAtOnceGiveTheBitwiseIdentifier) {
    // Junk before the name (letters too, which must not be folded in), names
    // of every size up to 64 with letters of both cases and high bytes.
    std::mt19937 random(3);
    std::vector<std::uint8_t> bytes(64 + 32);
    std::vector<ShortCrc> sixteen = {crcOfLast16Lower, fastestShortCrc()};
    if (ShortCrc carryless = carrylessShortCrc()) sixteen.push_back(carryless);
    for (int round = 0; round < 200; ++round) {
        for (auto& b : bytes) b = static_cast<std::uint8_t>(round % 2 ? 'A' + random() % 60 : random());
        for (std::size_t size = 0; size <= 64; ++size) {
            const std::uint8_t* end = bytes.data() + 80;
            const std::uint32_t expected = bitwiseId(end - size, size);
            if (size <= 16) {
                for (ShortCrc crc : sixteen) ASSERT_EQ(crc(end - 16, size), expected) << size;
            }
            if (size <= 32) {
                ASSERT_EQ(fastestShortCrc32()(end - 32, size), expected) << size;
            }
            ASSERT_EQ(fastestShortCrc64()(end - 64, size), expected) << size;
        }
    }
}

TEST(NameCandidates, ShortRunsCutFromMasksGiveTheSameSpansInTheSameOrder) {
    const std::string alphabet = "ab.Z/\\ \t=,;:()[]{}<>\"'x\xE9-";
    std::mt19937 random(11);
    for (int round = 0; round < 20000; ++round) {
        std::string run;
        const std::size_t size = 1 + random() % 64;
        for (std::size_t i = 0; i < size; ++i) run += alphabet[random() % alphabet.size()];
        const auto* p = reinterpret_cast<const std::uint8_t*>(run.data());
        std::vector<NameSpan> expected, got;
        forEachCandidateSpan(p, size, true, kindsOf(p, size), [&](std::size_t s, std::size_t n) {
            expected.push_back({static_cast<std::uint32_t>(s), static_cast<std::uint32_t>(n)});
        });
        forEachCandidateSpanOfShortRun(p, size, [&](std::size_t s, std::size_t n) {
            got.push_back({static_cast<std::uint32_t>(s), static_cast<std::uint32_t>(n)});
        });
        ASSERT_EQ(got, expected) << run;
    }
}

// Every candidate of a tricky stream sought: runs ending at and around the
// buffer's first sixteen bytes and at 16, 17, 32, 33 and 64 bytes long,
// pieces sharing a prefix, and identifiers the filter passes that are not
// sought. The scanner finds each candidate at its first place whatever the
// piece size, as the plain definition of candidates gives them.
TEST(NameScanner, FindsEveryCandidateOfATrickyStreamAtItsFirstPlace) {
    std::mt19937 random(5);
    const std::string alphabet = "abcXYZ019.-_/\\ \t=,;:\"'()\x81\xE9";
    std::string bytes;
    for (std::size_t length : {0u, 1u, 2u, 3u, 15u, 16u, 17u, 31u, 32u, 33u, 63u, 64u, 65u, 128u, 129u, 300u}) {
        for (std::size_t i = 0; i < length; ++i) bytes += alphabet[random() % alphabet.size()];
        bytes += static_cast<char>(1 + random() % 30);
    }
    bytes += "snd/amb.wav snd/amb.wav,amb.wavx \"amb\" ab\x02";
    while (bytes.size() < 20000) {
        const std::size_t length = random() % 40;
        for (std::size_t i = 0; i < length; ++i) bytes += alphabet[random() % alphabet.size()];
        bytes += static_cast<char>(1 + random() % 30);
    }
    // The definition: each run's candidates in order, the first place of each.
    std::map<std::string, std::uint64_t> expected;
    std::vector<SoundId> ids;
    std::uint64_t tried = 0;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t start = 0, end = 0; end <= bytes.size(); ++end) {
        if (end < bytes.size() && (nameByteKinds()[data[end]] & kRunByte)) continue;
        const std::uint8_t* run = data + start;
        forEachCandidateSpan(run, end - start, true, kindsOf(run, end - start), [&](std::size_t s, std::size_t n) {
            std::string name(reinterpret_cast<const char*>(run + s), n);
            for (char& c : name) c = static_cast<char>(lowerAsciiByte(static_cast<std::uint8_t>(c)));
            expected.emplace(name, start + s);
            ids.push_back(computeSoundId(name));
            ids.push_back(computeSoundId(name) ^ 0x10000u);  // passes the filter, sought by nothing here
            ++tried;
        });
        start = end + 1;
    }
    SoughtIds sought(ids);
    ASSERT_GT(expected.size(), 1000u);
    for (std::size_t piece : {1u, 7u, 15u, 16u, 17u, 64u, 65u, 4096u, 20000u * 2})
        ASSERT_EQ(scan(bytes, sought, piece), expected) << "pieces of " << piece;
    // Every candidate is counted once, whether the filter lets it through or not.
    for (const SoughtIds& s : {sought, SoughtIds({computeSoundId("not in the stream")})}) {
        NameMatches matches;
        NameScanner scanner(s, matches);
        scanner.begin("f");
        scanner.feed(data, bytes.size());
        scanner.finish();
        EXPECT_EQ(scanner.candidates(), tried);
    }
}

// Runs longer than a word of masks (pieces spanning words, quotation marks far
// apart, delimiters sparse or dense) cut from masks as the byte-wise cutter
// cuts them, whether or not the run is whole; bytes readable past the run's
// end (delimiters here) leave its masks alone.
TEST(NameCandidates, LongRunsCutFromMasksGiveTheSameSpansInTheSameOrder) {
    const std::string sparse = "abcdefghijklmnopqrstuvwxyzABC0123456789-_\xE9", cutting = ". /\\\t=,;:\"'()[]{}<>";
    std::mt19937 random(17);
    RunMasks masks;
    for (int round = 0; round < 4000; ++round) {
        std::string run;
        const std::size_t size = 1 + random() % 400;
        const unsigned every = 2 + random() % 80;  // about one cutting byte in this many
        for (std::size_t i = 0; i < size; ++i)
            run += random() % every == 0 ? cutting[random() % cutting.size()] : sparse[random() % sparse.size()];
        const std::string readable = run + std::string(40, ',');
        const auto* p = reinterpret_cast<const std::uint8_t*>(readable.data());
        for (bool whole : {true, false}) {
            std::vector<NameSpan> expected, got;
            forEachCandidateSpan(p, size, whole, kindsOf(p, size), [&](std::size_t s, std::size_t n) {
                expected.push_back({static_cast<std::uint32_t>(s), static_cast<std::uint32_t>(n)});
            });
            buildRunMasks(p, size, readable.size(), masks);
            forEachCandidateSpanOfMasks(size, whole, masks, [&](std::size_t s, std::size_t n) {
                got.push_back({static_cast<std::uint32_t>(s), static_cast<std::uint32_t>(n)});
            });
            ASSERT_EQ(got, expected) << (whole ? "whole " : "piece ") << run;
        }
    }
}

// Files read in buffers: runs of 127, 128 and 129 bytes ending at a buffer's
// edge, a delimited name, UTF-16LE names at odd and even offsets and a long
// script line crossing one are found at the same places as in one pass over
// the whole stream, by the plain definition of the candidates.
TEST(NameHarvest, RunsAcrossTheEdgesOfTheReadBuffersAreFoundAsInOnePass) {
    const std::size_t edge = sonkrate::io::kCopyBufferSize;
    std::mt19937 random(23);
    std::string bytes;
    auto noiseTo = [&](std::size_t size) {  // no zeros: no UTF-16 runs but ours
        while (bytes.size() < size) bytes += static_cast<char>(random() % 4 == 0 ? 1 + random() % 30 : 1 + random() % 255);
    };
    auto textOf = [&](std::size_t length) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) text += "ab.c/d e=f\"x"[random() % 12];
        return text;
    };
    for (std::size_t length : {127u, 128u, 129u}) {
        noiseTo((length - 126) * edge - length - 1);
        bytes += '\x01' + textOf(length);
    }
    auto wide = [&](std::size_t at, const std::string& name) {
        noiseTo(at - 1);
        bytes += '\x03';
        if (bytes.size() % 2 != at % 2) bytes += '\x03';
        bytes += utf16(name) + std::string(2, '\0');
    };
    wide(4 * edge - 9, "rain-on-roof");
    noiseTo(5 * edge - 7);
    bytes += std::string("\x02") + "x=snd/wind-gust-01.wav;\x02";
    wide(6 * edge - 8, "far-thunder-2");
    noiseTo(7 * edge - 6000);
    std::string line;
    while (line.size() < 12000) line += "Obj" + std::to_string(line.size()) + " { Sound=\"amb-" + std::to_string(line.size() % 97) + "\" }; ";
    bytes += '\x04' + line + '\x04';
    noiseTo(8 * edge + 100);

    // The definition: each narrow run's candidates, the first place of each;
    // the wide names where they stand.
    std::map<std::string, std::uint64_t> expected;
    std::vector<SoundId> ids;
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t start = 0, end = 0; end <= bytes.size(); ++end) {
        if (end < bytes.size() && (nameByteKinds()[data[end]] & kRunByte)) continue;
        const std::uint8_t* run = data + start;
        forEachCandidateSpan(run, end - start, true, kindsOf(run, end - start), [&](std::size_t s, std::size_t n) {
            std::string name(reinterpret_cast<const char*>(run + s), n);
            for (char& c : name) c = static_cast<char>(lowerAsciiByte(static_cast<std::uint8_t>(c)));
            if (expected.emplace(name, start + s).second && random() % 8 == 0) ids.push_back(computeSoundId(name));
        });
        start = end + 1;
    }
    for (const char* name : {"rain-on-roof", "far-thunder-2"}) {
        expected[name] = bytes.find(utf16(name));
        ids.push_back(computeSoundId(name));
    }
    for (const char* name : {"wind-gust-01", "wind-gust-01.wav", "amb-42"}) ids.push_back(computeSoundId(name));
    SoughtIds sought(ids);
    std::map<std::string, std::uint64_t> wanted;
    for (const auto& [name, offset] : expected)
        if (sought.contains(computeSoundId(name))) wanted[name] = offset;
    ASSERT_TRUE(wanted.count("wind-gust-01") && wanted.count("amb-42") && wanted.count("rain-on-roof"));
    EXPECT_EQ(wanted.at("rain-on-roof") % 2, 1u);
    EXPECT_EQ(wanted.at("far-thunder-2") % 2, 0u);

    testkit::ScratchDir dir;
    testkit::writeFile(dir.file("stream.bin"), testkit::Bytes(bytes.begin(), bytes.end()));
    NameMatches matches;
    harvestNames({dir.file("stream.bin")}, sought, matches);
    std::map<std::string, std::uint64_t> found;
    for (const auto& [id, list] : matches.byId())
        for (const NameMatch& m : list) found[m.name] = m.offset;
    EXPECT_EQ(found, wanted);
    EXPECT_EQ(scan(bytes, sought, bytes.size()), wanted);
}
