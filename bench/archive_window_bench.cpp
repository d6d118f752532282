// The archive window on the headless backend: opening an archive of 50,000
// records to its first rows, one filter keystroke over them, and the waveform
// of 10 minutes of stereo IMA ADPCM, each beside a peer measured in the same
// run (reading the bare table, a bare substring loop over the same texts, the
// plain block decoder over the same entry in memory); first the peak memory of
// a child that opens a 200 MB archive in the window and draws and plays a row,
// beside cat reading it.
// Usage: bench_archive_window WORK_DIR [RECORDS] [ARCHIVE_MB]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/archive_window.h"
#include "app/shell.h"
#include "archive/format/archive_reader.h"
#include "archive/format/tpa_format.h"
#include "archive/format/tpa_loader.h"
#include "audio/cau/cau_header.h"
#include "audio/codec/ima_adpcm.h"
#include "audio/codec/ima_adpcm_encoder.h"
#include "audio/cau/sound_frames.h"
#include "audio/convert/waveform_peaks.h"
#include "child_process.h"
#include "ids/sound_id.h"
#include "ids/sound_id_database.h"
#include "io/file.h"
#include "io/file_system.h"
#include "io/paths.h"
#include "platform/headless/headless_platform.h"

using namespace sonkrate;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

template <class Work>
double bestOf(int rounds, Work work) {
    double best = 1e30;
    for (int i = 0; i < rounds; ++i) {
        const Clock::time_point start = Clock::now();
        work();
        best = std::min(best, secondsSince(start));
    }
    return best;
}

struct Sound {
    std::string name;
    std::vector<std::uint8_t> data;
    audio::CauHeader header;
};

// A retail archive of count sounds made one at a time by soundAt (so that a
// large archive is never held in memory), images back to back after the table.
template <class SoundAt>
bool writeArchive(const std::string& path, std::size_t count, SoundAt soundAt) {
    io::File out;
    if (!out.open(path, io::FileMode::Write)) return false;
    const std::uint64_t tableEnd = 24 + 56 * count;
    std::vector<std::uint8_t> table;
    std::uint64_t offset = tableEnd;
    for (std::size_t i = 0; i < count; ++i) {
        const Sound s = soundAt(i);
        archive::TpaEntry e;
        e.soundId = ids::computeSoundId(s.name);
        e.imageOffset = static_cast<std::uint32_t>(offset);
        e.imageLength = static_cast<std::uint32_t>(36 + s.data.size());
        const auto h = audio::serializeCauHeader(s.header);
        std::copy(h.begin(), h.end(), e.cauHeader.begin());
        const auto r = archive::serializeTpaEntry(e);
        table.insert(table.end(), r.begin(), r.end());
        offset += e.imageLength;
    }
    archive::TpaHeader header;
    header.soundCount = header.entryCount = static_cast<std::uint32_t>(count);
    header.soundDataEnd = static_cast<std::uint32_t>(offset);
    const auto h = archive::serializeTpaHeader(header);
    if (!out.write(h.data(), h.size()) || !out.write(table.data(), table.size())) return false;
    for (std::size_t i = 0; i < count; ++i) {
        const Sound s = soundAt(i);
        const auto image = audio::serializeCauHeader(s.header);
        if (!out.write(image.data(), image.size()) || !out.write(s.data.data(), s.data.size())) return false;
    }
    return static_cast<bool>(out.close());
}

Sound pcmSound(const std::string& name, std::size_t bytes) {
    Sound s{name, std::vector<std::uint8_t>(bytes, 0x40), {}};
    s.header.sampleRate = 22050;
    s.header.dataSize = s.header.decodedSize = static_cast<std::uint32_t>(bytes);
    return s;
}

Sound longAdpcm(double minutes) {
    const auto frames = static_cast<std::size_t>(minutes * 60 * 22050);
    std::vector<std::int16_t> samples(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / 22050;
        samples[2 * i] = static_cast<std::int16_t>(12000 * std::sin(2 * M_PI * 440 * t) * std::sin(0.3 * t));
        samples[2 * i + 1] = static_cast<std::int16_t>(9000 * std::sin(2 * M_PI * 660 * t));
    }
    Sound s{"long stereo", audio::encodeImaBlocks(samples, 2, 2056), {}};
    s.header.sampleRate = 22050;
    s.header.channels = 2;
    s.header.compression = 1;
    s.header.blockAlign = 2056;
    s.header.dataSize = static_cast<std::uint32_t>(s.data.size());
    s.header.decodedSize = static_cast<std::uint32_t>(frames * 4);
    return s;
}

struct Window {
    platform::HeadlessPlatform platform;
    std::unique_ptr<app::Shell> shell;
    explicit Window(const std::string& work) {
        platform.setExecutablePath(io::joinPath(work, "sonkrate"));
        platform.setDocumentsFolder(work);
        platform.setUserDataFolder(work);
        shell = std::make_unique<app::Shell>(platform);
        (void)shell->startUp();
    }
    // The archive given to the program, and the cells of the rows a window first shows.
    bool open(const std::string& path) {
        shell->openFiles({path});
        platform::HeadlessArchiveWindow* w = platform.archive();
        if (!w || !w->isOpen()) return false;
        for (int p = 0; p < std::min(w->rowCount(), 40); ++p)
            for (int c = 0; c < app::kColumnCount; ++c) (void)w->cell(p, c);
        return w->rowCount() > 0;
    }
};

void openAndFilter(const std::string& work, int records) {
    std::vector<Sound> sounds;
    for (int i = 0; i < records; ++i) sounds.push_back(pcmSound("amb-" + std::to_string(i) + "-wind", 64));
    const std::string path = io::joinPath(work, "many.tpa");
    if (!writeArchive(path, sounds.size(), [&](std::size_t i) { return sounds[i]; })) std::exit(1);
    Window window(work);
    for (int i = 0; i < records; i += 2) (void)ids::appendSoundIdRecord(window.shell->paths().sndIdsDat, sounds[static_cast<std::size_t>(i)].name);

    const double open = bestOf(3, [&] { if (!window.open(path)) std::exit(1); });
    const double table = bestOf(3, [&] {
        archive::ArchiveTable t;
        if (!archive::readArchiveTable(path, t)) std::exit(1);
    });
    std::printf("open %d records to the first rows: %.3f s (aim < 0.5 s); the bare table read: %.3f s; ratio %.1f\n",
                records, open, table, open / table);

    platform::HeadlessArchiveWindow& w = *window.platform.archive();
    const char* keys[] = {"w", "wi", "win", "wind", "7-w", "77"};
    double filter = 1e30;
    for (const char* text : keys) filter = std::min(filter, bestOf(3, [&] { w.typeFilter(text); }));
    w.typeFilter("");
    std::vector<std::string> texts;
    for (const Sound& s : sounds) texts.push_back(s.name + "\n" + ids::formatSoundId(ids::computeSoundId(s.name)));
    std::size_t hits = 0;
    const double loop = bestOf(3, [&] {
        for (const std::string& t : texts) hits += t.find("win") != std::string::npos;
    });
    std::printf("one filter keystroke over %d rows: %.1f ms (aim < 20 ms); a bare substring loop: %.1f ms; ratio %.1f%s\n",
                records, filter * 1e3, loop * 1e3, filter / loop, hits == 0 ? "?" : "");
}

void waveform(const std::string& work, double minutes) {
    const Sound sound = longAdpcm(minutes);
    const std::string path = io::joinPath(work, "long.tpa");
    if (!writeArchive(path, 1, [&](std::size_t) { return sound; })) std::exit(1);
    archive::TpaLoad load = archive::loadTpaArchive(path, "");
    audio::WaveformPeaks peaks;
    const double draw = bestOf(5, [&] {
        audio::SoundFrameReader reader;
        if (!reader.open(path, 24 + 56 + 36, sound.header.dataSize, sound.header, "bench") ||
            !audio::computeWaveformPeaks(reader, 1000, peaks))
            std::exit(1);
    });
    const audio::AdpcmBlockLayout layout = audio::adpcmBlockLayout(2, 2056);
    const std::size_t blocks = sound.data.size() / 2056;
    std::vector<std::int16_t> out(blocks * (layout.codesPerChannel + 1) * 2);
    const double decode = bestOf(5, [&] { audio::decodeBlocks(layout, 2, sound.data.data(), blocks, out.data()); });
    std::printf("waveform of %.0f minutes of stereo IMA ADPCM (1000 columns, read from the archive): %.1f ms "
                "(aim < 100 ms); the block decoder alone in memory: %.1f ms; ratio %.2f\n",
                minutes, draw * 1e3, decode * 1e3, draw / decode);
    (void)load;
}

void peakMemory(const std::string& work, int megabytes) {
    // 100 KB sounds: a 200 MB archive holds about 2,000 of them. This runs
    // first, while this process is small: a child's peak counts the pages it
    // shares with its parent.
    const int count = megabytes * 10;
    const std::string path = io::joinPath(work, "big.tpa");
    if (!writeArchive(path, static_cast<std::size_t>(count),
                      [](std::size_t i) { return pcmSound("big-" + std::to_string(i), 100000); }))
        std::exit(1);
    const bench::ChildRun run = bench::runInChild([&] {
        Window window(work);
        if (!window.open(path)) return 1;
        platform::HeadlessArchiveWindow& w = *window.platform.archive();
        w.clickRow(count / 2);
        w.pressKey(platform::ArchiveKey::Enter, platform::KeyPlace::Table);
        w.clickHeader(app::kColLength);
        return w.waveform().columns > 0 ? 0 : 1;
    });
    const bench::ChildRun peer = bench::runProgram({"cat", path});
    std::printf("peak memory with a %d MB archive open, a row drawn and played: %.1f MiB (aim < 64 MiB)%s; "
                "cat of the archive: %.1f MiB\n",
                megabytes, run.peakMiB, run.ok ? "" : " FAILED", peer.peakMiB);
    (void)io::removeFile(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_archive_window WORK_DIR [RECORDS] [ARCHIVE_MB]\n");
        return 2;
    }
    const std::string work = argv[1];
    const int records = argc > 2 ? std::atoi(argv[2]) : 50000;
    const int megabytes = argc > 3 ? std::atoi(argv[3]) : 200;
    peakMemory(work, megabytes);
    openAndFilter(work, records);
    waveform(work, 10);
    return 0;
}
