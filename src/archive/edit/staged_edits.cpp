#include "archive/edit/staged_edits.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <utility>

#include "archive/edit/default_sound.h"
#include "archive/edit/image_rewrite.h"
#include "archive/format/archive_class.h"
#include "archive/format/image_layout.h"
#include "audio/cau/caption_sections.h"
#include "ids/sound_id.h"
#include "io/game_text.h"
#include "io/paths.h"

namespace sonkrate::archive {

namespace {

EditResult refused(EditRefusal refusal, std::string reason = {}) {
    EditResult result;
    result.refusal = refusal;
    result.reason = std::move(reason);
    return result;
}

bool isAdpcm(const std::array<std::uint8_t, 36>& header) {
    return audio::parseCauHeader(header.data(), false).isAdpcm();
}

bool sameSections(const std::vector<audio::CaptionSection>& a, const std::vector<audio::CaptionSection>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.fifths == y.fifths && x.text == y.text;
    });
}

bool hasOwnCaption(const std::array<std::uint8_t, 36>& header) {
    return audio::parseCauHeader(header.data(), false).hasCaption();
}

}  // namespace

io::Outcome StagedEdits::open(const std::string& archivePath, const std::string& scratchPath) {
    *this = StagedEdits{};
    io::File in;
    ArchiveTable table;
    if (io::Outcome opened = in.open(archivePath, io::FileMode::Read); !opened) return opened;
    if (io::Outcome read = readEditableTable(in, table); !read) return read;
    ImageLayout layout;
    if (io::Outcome laid = layOutImages(archivePath, table.entries, table.info.fileSize, layout); !laid) return laid;
    path_ = archivePath;
    header_ = table.info.header;
    fileSize_ = table.info.fileSize;
    entries_ = std::move(table.entries);
    for (const LaidImage& laid : layout.images) {
        ImageSource& image = images_.emplace_back();
        image.offset = laid.offset;
        image.length = laid.length;
        image.header = entries_[laid.firstRecord].cauHeader;
    }
    originalImages_ = images_.size();
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        originalImageOf_.push_back(layout.imageOfRecord[i]);
        StagedRecord& r = records_.emplace_back();
        r.original = static_cast<std::uint32_t>(i);
        r.soundId = entries_[i].soundId;
        r.auxValue = entries_[i].auxValue;
        r.reserved = entries_[i].reserved;
        r.image = layout.imageOfRecord[i];
    }
    scratch_ = std::make_unique<ScratchImages>(scratchPath);
    return io::success();
}

RecordState StagedEdits::stateOf(const StagedRecord& r) const {
    if (r.removed) return RecordState::Removed;
    if (!r.original) return RecordState::Added;
    const TpaEntry& e = entries_[*r.original];
    const bool same = r.soundId == e.soundId && r.auxValue == e.auxValue && r.reserved == e.reserved &&
                      r.image == originalImageOf_[*r.original];
    return same ? RecordState::Same : RecordState::Changed;
}

bool StagedEdits::counts(const StagedRecord& r) const {
    return stateOf(r) != RecordState::Same && !(r.removed && !r.original);
}

void StagedEdits::put(std::size_t index, const std::optional<StagedRecord>& value) {
    if (index < records_.size()) changes_ -= counts(records_[index]) ? 1 : 0;
    if (!value) {
        records_.pop_back();  // only the last record, an added one, ever goes
        return;
    }
    if (index == records_.size()) records_.push_back(*value);
    else records_[index] = *value;
    changes_ += counts(*value) ? 1 : 0;
}

void StagedEdits::commit(Step step) {
    step.erase(std::remove_if(step.begin(), step.end(), [](const Change& c) { return c.before == c.after; }),
               step.end());
    if (step.empty()) return;
    steps_.resize(done_);
    for (const Change& c : step) put(c.index, c.after);
    steps_.push_back(std::move(step));
    done_ = steps_.size();
}

void StagedEdits::undo() {
    if (!canUndo()) return;
    const Step& step = steps_[--done_];
    for (auto c = step.rbegin(); c != step.rend(); ++c) put(c->index, c->before);
}

void StagedEdits::redo() {
    if (!canRedo()) return;
    for (const Change& c : steps_[done_++]) put(c.index, c.after);
}

void StagedEdits::revert() {
    while (canUndo()) undo();
    steps_.clear();
    done_ = 0;
    images_.resize(originalImages_);  // what was staged is no longer named; the scratch bytes stay until closing
}

EditResult StagedEdits::checked(std::size_t record) const {
    if (!isOpen()) return refused(EditRefusal::NotEditable, "No archive is open for editing");
    if (record >= records_.size()) return refused(EditRefusal::NoSuchRecord);
    return {};
}

EditResult StagedEdits::identifierFree(std::uint32_t soundId, std::optional<std::size_t> self) const {
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (i != self && !records_[i].removed && records_[i].soundId == soundId) {
            EditResult result = refused(EditRefusal::IdentifierTaken);
            result.other = i;
            return result;
        }
    return {};
}

std::vector<std::size_t> StagedEdits::sharing(std::size_t record) const {
    std::vector<std::size_t> others;
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (i != record && !records_[i].removed && records_[i].image == records_[record].image) others.push_back(i);
    return others;
}

std::vector<audio::CaptionSection> StagedEdits::sectionsOf(std::size_t record) const {
    const ImageSource& image = imageOf(record);
    if (image.sections) return *image.sections;
    if (!hasOwnCaption(image.header)) return {};
    io::File in;
    io::Outcome opened = image.staged ? scratch_->openForReading(in) : in.open(path_, io::FileMode::Read);
    if (!opened || image.length < audio::kCauHeaderSize + 8) return {};
    std::vector<std::uint8_t> block(
        static_cast<std::size_t>(std::min<std::uint64_t>(image.length - audio::kCauHeaderSize, audio::kMaxCaptionBytes)));
    if (!in.readAt(image.offset + audio::kCauHeaderSize, block.data(), block.size())) return {};
    return audio::readCaptionSections(block.data(), block.size()).sections;
}

EditResult StagedEdits::rename(std::size_t record, const std::string& name) {
    if (EditResult ok = checked(record); !ok.ok()) return ok;
    if (name.empty()) return refused(EditRefusal::EmptyName);
    const std::uint32_t soundId = ids::computeSoundId(io::gameText(name));
    StagedRecord after = records_[record];
    if (after.soundId == kDefaultSoundId && soundId != kDefaultSoundId) return refused(EditRefusal::MissingStays);
    if (EditResult free = identifierFree(soundId, record); !free.ok()) return free;
    after.soundId = soundId;
    after.name = name;
    commit({{record, records_[record], after}});
    return {};
}

namespace {

// Why a level cannot be stored as the record's 32-bit float, or None.
EditRefusal levelRefusal(double value) {
    if (!std::isfinite(value)) return EditRefusal::NotANumber;
    if (std::fabs(value) > std::numeric_limits<float>::max()) return EditRefusal::BeyondFloat;
    return EditRefusal::None;
}

}  // namespace

EditResult StagedEdits::setAttenuation(std::size_t record, double value) {
    if (EditResult ok = checked(record); !ok.ok()) return ok;
    if (EditRefusal why = levelRefusal(value); why != EditRefusal::None) return refused(why);
    if (value < 0) return refused(EditRefusal::AttenuationBelowZero);
    StagedRecord after = records_[record];
    after.auxValue = std::bit_cast<std::uint32_t>(static_cast<float>(value));
    commit({{record, records_[record], after}});
    return {};
}

EditResult StagedEdits::setVolume(std::size_t record, double value) {
    if (EditResult ok = checked(record); !ok.ok()) return ok;
    if (EditRefusal why = levelRefusal(value); why != EditRefusal::None) return refused(why);
    if (value > 0) return refused(EditRefusal::VolumeAboveZero);
    StagedRecord after = records_[record];
    after.reserved = std::bit_cast<std::uint32_t>(static_cast<float>(value));
    commit({{record, records_[record], after}});
    return {};
}

EditResult StagedEdits::remove(const std::vector<std::size_t>& records) {
    Step step;
    for (std::size_t record : records) {
        if (EditResult ok = checked(record); !ok.ok()) return ok;
        if (records_[record].soundId == kDefaultSoundId && !records_[record].removed) {
            EditResult result = refused(EditRefusal::MissingStays);
            result.other = record;
            return result;
        }
        StagedRecord after = records_[record];
        after.removed = true;
        step.push_back({record, records_[record], after});
    }
    commit(std::move(step));
    return {};
}

EditResult StagedEdits::stage(const std::string& soundPath, bool ima, StagedImage& staged) {
    const bool cau = io::endsWith(io::toLower(soundPath), ".cau");
    io::Outcome made = cau ? scratch_->stageCau(soundPath, staged) : scratch_->stageWav(soundPath, ima, staged);
    if (!made) return refused(EditRefusal::FileRefused, made.reason);
    return {};
}

EditResult StagedEdits::replace(std::size_t record, const std::string& soundPath, bool othersFollow) {
    if (EditResult ok = checked(record); !ok.ok()) return ok;
    const std::size_t old = records_[record].image;
    StagedImage staged;
    if (EditResult made = stage(soundPath, isAdpcm(images_[old].header), staged); !made.ok()) return made;
    ImageSource image;
    image.staged = true;
    image.offset = staged.offset;
    image.length = staged.length;
    image.header = staged.header;
    image.replaces = old < originalImages_ ? std::optional<std::size_t>(old) : images_[old].replaces;
    // A new recording keeps the record's captions unless it brings its own.
    if (!hasOwnCaption(staged.header))
        if (std::vector<audio::CaptionSection> kept = sectionsOf(record); !kept.empty()) image.sections = std::move(kept);
    images_.push_back(std::move(image));
    Step step;
    std::vector<std::size_t> moved{record};
    if (othersFollow) for (std::size_t other : sharing(record)) moved.push_back(other);
    for (std::size_t i : moved) {
        StagedRecord after = records_[i];
        after.image = images_.size() - 1;
        step.push_back({i, records_[i], after});
    }
    commit(std::move(step));
    return {};
}

EditResult StagedEdits::add(const std::string& soundPath, const std::string& name) {
    if (!isOpen()) return refused(EditRefusal::NotEditable, "No archive is open for editing");
    if (name.empty()) return refused(EditRefusal::EmptyName);
    const std::uint32_t soundId = ids::computeSoundId(io::gameText(name));
    if (EditResult free = identifierFree(soundId, std::nullopt); !free.ok()) return free;
    StagedImage staged;
    if (EditResult made = stage(soundPath, false, staged); !made.ok()) return made;
    ImageSource& image = images_.emplace_back();
    image.staged = true;
    image.offset = staged.offset;
    image.length = staged.length;
    image.header = staged.header;
    StagedRecord added;
    added.soundId = soundId;
    added.name = name;
    if (archiveClassOf(archiveNameOf(path_)) != ArchiveClass::General) added.auxValue = kEffectsAuxValue;
    added.image = images_.size() - 1;
    commit({{records_.size(), std::nullopt, added}});
    return {};
}

EditResult StagedEdits::setSections(std::size_t record, const std::vector<audio::CaptionSection>& sections) {
    if (EditResult ok = checked(record); !ok.ok()) return ok;
    if (!sections.empty()) {
        if (io::Outcome fits = audio::checkCaptionBlock(audio::encodeCaptionSections(sections), path_); !fits)
            return refused(EditRefusal::TooManyCaptions, fits.reason);
    }
    if (sameSections(sectionsOf(record), sections)) return {};
    const std::size_t old = records_[record].image;
    ImageSource image = images_[old];
    image.sections = sections;
    if (old < originalImages_) image.replaces = old;
    images_.push_back(std::move(image));
    Step step;
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (records_[i].image == old) {
            StagedRecord after = records_[i];
            after.image = images_.size() - 1;
            step.push_back({i, records_[i], after});
        }
    commit(std::move(step));
    return {};
}

}  // namespace sonkrate::archive
