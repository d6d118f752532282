// The archive window's play and waveform: a sound is written from the chosen
// frame on into the window's own working file and played; its picture is
// computed from the decoded samples. Short sounds are done at once, long
// ones on a background job taken on the window's timer.
#include <memory>

#include "app/archive_window.h"
#include "app/archive_window_texts.h"
#include "app/shell.h"
#include "archive/folder/entry_frames.h"
#include "audio/convert/frames_to_wav.h"

namespace sonkrate::app {

namespace {

std::uint64_t pcmBytesOf(const audio::SoundFrameReader& reader) { return reader.frames() * reader.channels() * 2; }

std::uint64_t durationMs(const audio::SoundFrameReader& reader) {
    return reader.sampleRate() == 0 ? 0 : reader.frames() * 1000 / reader.sampleRate();
}

struct Written {
    io::Outcome outcome;
};

struct Drawn {
    io::Outcome outcome;
    audio::WaveformPeaks peaks;
    std::uint64_t ms = 0;
};

}  // namespace

// Where a record's sound lies now: its entry in the archive, or (edited) a
// range of the archive or of the staged images. Taken on the window's thread
// so that a background job reads only these values.
ArchiveWindowController::RecordSound ArchiveWindowController::recordSound(std::uint32_t record) const {
    RecordSound sound;
    sound.record = record;
    if (!edits_.isOpen() || record >= edits_.records().size()) return sound;
    const archive::StagedRecord& r = edits_.records()[record];
    if (r.original && r.image < edits_.originalImageCount()) {
        sound.record = *r.original;
        return sound;
    }
    const archive::ImageSource& image = edits_.images()[r.image];
    sound.entry = false;
    sound.header = audio::parseCauHeader(image.header.data(), false);
    sound.path = image.staged ? scratchPath_ : archive_.archivePath;
    sound.dataStart = image.offset + sound.header.dataOffset;
    sound.source = rowTitle(record) + " (staged)";
    return sound;
}

io::Outcome ArchiveWindowController::openRecordFrames(const RecordSound& sound,
                                                      audio::SoundFrameReader& reader) const {
    if (sound.entry) return archive::openEntryFrames(archive_, sound.record, reader);
    return reader.open(sound.path, sound.dataStart, sound.header.dataSize, sound.header, sound.source);
}

void ArchiveWindowController::refuseRecord(std::uint32_t record, const std::string& reason) {
    failures_[record] = rowTitle(record) + " cannot be played: " + reason;
    marks_[record] = platform::RowMark::Error;
    platform_.beep(platform::Beep::Refused);
    window()->setStatus(failures_[record]);
    window()->refreshRows();
    if (focused_ == record) showDetails();
}

void ArchiveWindowController::play(std::uint32_t record, std::uint64_t fromMs) {
    stopPlaying();
    if (rows_[record].problem != archive::RowProblem::None) {
        refuseRecord(record, rowProblemText(rows_[record].problem) + ".");
        return;
    }
    audio::SoundFrameReader reader;
    const RecordSound sound = recordSound(record);
    if (io::Outcome opened = openRecordFrames(sound, reader); !opened) {
        refuseRecord(record, opened.reason);
        return;
    }
    const std::uint64_t fromFrame = fromMs * reader.sampleRate() / 1000;
    if (pcmBytesOf(reader) <= kInstantPcmBytes) {
        startPlaying(record, fromMs, audio::writeFramesAsWav(reader, fromFrame, workWav_));
        return;
    }
    auto written = std::make_shared<Written>();
    playJob_.start(
        [this, sound, fromFrame, written](BackgroundJob& job) {
            audio::SoundFrameReader r;
            written->outcome = openRecordFrames(sound, r);
            if (written->outcome) written->outcome = audio::writeFramesAsWav(r, fromFrame, workWav_, &job.cancelFlag());
        },
        [this, record, fromMs, written] { startPlaying(record, fromMs, written->outcome); });
}

void ArchiveWindowController::startPlaying(std::uint32_t record, std::uint64_t fromMs, const io::Outcome& written) {
    if (!written) {
        refuseRecord(record, written.reason);
        return;
    }
    audio::SoundFrameReader reader;
    (void)openRecordFrames(recordSound(record), reader);
    shell_.stopMainProgress();
    platform_.playWavAsync(workWav_);
    playing_ = true;
    playingRecord_ = record;
    playStartClock_ = platform_.milliseconds() - fromMs;
    playEndMs_ = durationMs(reader);
    moveCursor();
}

void ArchiveWindowController::stopPlaying() {
    playJob_.stop();
    if (!playing_) return;
    platform_.stopSound();
    playing_ = false;
    if (window_) window_->setWaveformCursor(std::nullopt);
}

void ArchiveWindowController::togglePlay() {
    if (playing_ || playJob_.running())
        stopPlaying();
    else if (focused_)
        play(*focused_, 0);
}

void ArchiveWindowController::moveCursor() {
    if (!playing_ || !window_) return;
    const std::uint64_t at = platform_.milliseconds() - playStartClock_;
    if (at >= playEndMs_) {
        playing_ = false;
        window_->setWaveformCursor(std::nullopt);
        return;
    }
    window_->setWaveformCursor(waveformRecord_ == playingRecord_ ? std::optional<std::uint64_t>(at) : std::nullopt);
}

void ArchiveWindowController::drawWaveform() {
    waveJob_.stop();
    if (!focused_ || waveformColumns_ <= 0) return;
    const std::uint32_t record = *focused_;
    if (rows_[record].problem != archive::RowProblem::None) {
        // The row's mark and details already say why there is no picture.
        waveformRecord_ = record;
        waveformMs_ = 0;
        waveformChannels_ = 0;
        window_->setWaveform({});
        return;
    }
    audio::SoundFrameReader reader;
    const RecordSound sound = recordSound(record);
    io::Outcome opened = openRecordFrames(sound, reader);
    if (!opened || pcmBytesOf(reader) <= kInstantPcmBytes) {
        audio::WaveformPeaks peaks;
        if (opened) opened = audio::computeWaveformPeaks(reader, waveformColumns_, peaks);
        takeWaveform(record, opened, peaks);
        return;
    }
    auto drawn = std::make_shared<Drawn>();
    const int columns = waveformColumns_;
    waveJob_.start(
        [this, sound, columns, drawn](BackgroundJob& job) {
            audio::SoundFrameReader r;
            drawn->outcome = openRecordFrames(sound, r);
            if (drawn->outcome) drawn->outcome = audio::computeWaveformPeaks(r, columns, drawn->peaks, &job.cancelFlag());
        },
        [this, record, drawn] { takeWaveform(record, drawn->outcome, drawn->peaks); });
}

void ArchiveWindowController::takeWaveform(std::uint32_t record, const io::Outcome& made,
                                           const audio::WaveformPeaks& peaks) {
    if (focused_ != record || !window_) return;
    platform::WaveformPicture picture;
    waveformRecord_ = record;
    if (!made) {
        // The row stays; it is marked and says why when chosen.
        failures_[record] = rowTitle(record) + " cannot be played: " + made.reason;
        marks_[record] = platform::RowMark::Error;
        window_->refreshRows();
        showDetails();
    } else {
        picture.columns = peaks.columns;
        picture.channels = peaks.channels;
        picture.peaks.resize(peaks.minMax.size() / 2);
        for (std::size_t i = 0; i < picture.peaks.size(); ++i)
            picture.peaks[i] = {peaks.minMax[2 * i], peaks.minMax[2 * i + 1]};
        const std::uint32_t rate = rows_[record].sampleRate;
        picture.durationMs = rate == 0 ? 0 : peaks.frames * 1000 / rate;
    }
    waveformMs_ = picture.durationMs;
    waveformChannels_ = picture.channels;
    window_->setWaveform(picture);
    moveCursor();
}

void ArchiveWindowController::onWaveformClick(double fraction) {
    if (!waveformRecord_ || waveformMs_ == 0) return;
    play(*waveformRecord_, static_cast<std::uint64_t>(fraction * static_cast<double>(waveformMs_)));
}

void ArchiveWindowController::onWaveformResized(int columns) {
    if (columns == waveformColumns_) return;
    waveformColumns_ = columns;
    drawWaveform();
}

}  // namespace sonkrate::app
