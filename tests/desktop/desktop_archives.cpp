#include "desktop_archives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "archive/edit/add_sound.h"
#include "archive/edit/default_sound.h"
#include "audio/cau/cau_header.h"

namespace desktop_test {

using testkit::Bytes;

Bytes pcmCau(std::uint32_t frames, int seed, Bytes* samples) {
    sonkrate::audio::CauHeader h;
    h.sampleRate = 22050;
    h.channels = 1;
    h.bitsPerSample = 16;
    h.blockAlign = 2;
    h.dataSize = h.decodedSize = frames * 2;
    auto head = sonkrate::audio::serializeCauHeader(h);
    Bytes b(head.begin(), head.end());
    Bytes data;
    for (std::uint32_t i = 0; i < frames; ++i) {
        auto v = static_cast<std::uint16_t>(i * 91 + static_cast<std::uint32_t>(seed) * 7919);
        data.push_back(static_cast<std::uint8_t>(v));
        data.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    b.insert(b.end(), data.begin(), data.end());
    if (samples) *samples = data;
    return b;
}

std::string makeArchive(const testkit::ScratchDir& root, const std::string& name, int extra, std::vector<Bytes>* samples,
                        const std::vector<std::uint32_t>& frames) {
    std::string tpa = root.file("data/" + name);
    std::filesystem::create_directories(root.file("data"));
    EXPECT_TRUE(sonkrate::archive::writeNewArchive(tpa).ok);
    for (int i = 0; i < extra; ++i) {
        Bytes pcm;
        std::string cau = root.file("sound" + std::to_string(i) + ".cau");
        std::uint32_t count = static_cast<std::size_t>(i) < frames.size() ? frames[static_cast<std::size_t>(i)] : 6615;
        testkit::writeFile(cau, pcmCau(count, i + 1, &pcm));
        sonkrate::archive::AddSoundRequest r;
        r.archivePath = tpa;
        r.soundPath = cau;
        r.soundName = "sound" + std::to_string(i);
        auto added = sonkrate::archive::addSoundGeneral(r);
        EXPECT_EQ(added.addResult, sonkrate::archive::AddOutcome::Done) << added.outcome.reason;
        if (samples) samples->push_back(pcm);
    }
    return tpa;
}

bool contains(const Bytes& haystack, const Bytes& needle) {
    return !needle.empty() &&
           std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) != haystack.end();
}

}  // namespace desktop_test
