// The edits of an archive staged before it is saved: every record of the
// archive opened plus those added, each with its identifier, name, levels
// and image (its range in the archive, or an image staged in a scratch
// file); each edit is one step that can be undone and redone. The rules of
// the game are checked when an edit is made: a refused edit stages nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/edit/staged_images.h"
#include "audio/cau/caption_sections.h"
#include "archive/format/tpa_format.h"
#include "io/outcome.h"

namespace sonkrate::archive {

enum class RecordState { Same, Changed, Added, Removed };

// Where the bytes of an image come from.
struct ImageSource {
    bool staged = false;        // in the scratch file; else in the archive opened
    std::uint64_t offset = 0;   // of the whole image
    std::uint64_t length = 0;
    std::array<std::uint8_t, 36> header{};  // the header its records copy
    // New caption sections, texts in the game's code page (empty: no caption
    // block); unset: as the image has them.
    std::optional<std::vector<audio::CaptionSection>> sections;
    // The image of the archive opened this one stands in for, whose place it takes.
    std::optional<std::size_t> replaces;
};

struct StagedRecord {
    std::optional<std::uint32_t> original;  // its index in the archive opened; none when added
    std::uint32_t soundId = 0;
    std::string name;            // given by a rename or an add (UTF-8); empty otherwise
    std::uint32_t auxValue = 0;  // attenuation in dB per metre, a float's bits
    std::uint32_t reserved = 0;  // master volume in dB, a float's bits
    std::size_t image = 0;       // index into the images
    bool removed = false;
    bool operator==(const StagedRecord&) const = default;
};

// Why an edit was refused.
enum class EditRefusal {
    None,
    NotEditable,      // the archive could not be opened for editing (reason says why)
    NoSuchRecord,
    EmptyName,
    IdentifierTaken,  // another record holds the identifier (other names it)
    MissingStays,     // "missing" cannot be removed or renamed away
    NotANumber,       // not finite
    AttenuationBelowZero,
    VolumeAboveZero,
    BeyondFloat,      // larger than a 32-bit float holds
    TooManyCaptions,  // the caption block passes the game's limits
    FileRefused,      // the sound file cannot be staged (reason says why)
};

struct EditResult {
    EditRefusal refusal = EditRefusal::None;
    std::size_t other = 0;  // IdentifierTaken: the record holding it
    std::string reason;     // NotEditable, FileRefused, TooManyCaptions: a sentence naming the file
    bool ok() const { return refusal == EditRefusal::None; }
};

class StagedEdits {
public:
    // Reads the table of the retail archive at path; the staged images go to
    // scratchPath. Fails with the reason when the archive cannot be edited.
    io::Outcome open(const std::string& archivePath, const std::string& scratchPath);
    bool isOpen() const { return scratch_ != nullptr; }
    const std::string& archivePath() const { return path_; }

    const std::vector<StagedRecord>& records() const { return records_; }
    const std::vector<TpaEntry>& originalEntries() const { return entries_; }
    const TpaHeader& originalHeader() const { return header_; }
    std::uint64_t originalSize() const { return fileSize_; }
    const std::vector<ImageSource>& images() const { return images_; }
    std::size_t originalImageCount() const { return originalImages_; }
    const ImageSource& imageOf(std::size_t record) const { return images_[records_[record].image]; }
    ScratchImages& scratch() { return *scratch_; }
    const std::string& scratchPath() const { return scratch_->path(); }
    RecordState state(std::size_t record) const { return stateOf(records_[record]); }
    // Records that differ from the archive opened (an added record removed again does not count).
    int changes() const { return changes_; }
    // The caption sections of a record's image as they will be saved.
    std::vector<audio::CaptionSection> sectionsOf(std::size_t record) const;

    // ---- Edits: each one step, or refused with nothing staged ----
    EditResult rename(std::size_t record, const std::string& name);
    EditResult setAttenuation(std::size_t record, double value);
    EditResult setVolume(std::size_t record, double value);
    EditResult remove(const std::vector<std::size_t>& records);
    // The record's sound becomes soundPath (.wav of any layout, or .cau):
    // stored as IMA ADPCM when the record's sound is. The others on its image
    // follow it when othersFollow, else they keep the old sound.
    EditResult replace(std::size_t record, const std::string& soundPath, bool othersFollow);
    // A new record named name with the sound of soundPath (a .wav is made 16-bit
    // PCM where needed) and the levels an add gives in an archive of this class.
    EditResult add(const std::string& soundPath, const std::string& name);
    // The caption sections of the record's image, and so of every record on it.
    EditResult setSections(std::size_t record, const std::vector<audio::CaptionSection>& sections);
    // Records on the same image as record, itself excluded.
    std::vector<std::size_t> sharing(std::size_t record) const;

    bool canUndo() const { return done_ > 0; }
    bool canRedo() const { return done_ < steps_.size(); }
    void undo();
    void redo();
    // Drops every edit.
    void revert();

private:
    struct Change {
        std::size_t index = 0;
        std::optional<StagedRecord> before, after;  // none: the record does not exist
    };
    using Step = std::vector<Change>;

    RecordState stateOf(const StagedRecord& r) const;
    bool counts(const StagedRecord& r) const;
    void put(std::size_t index, const std::optional<StagedRecord>& value);
    void commit(Step step);
    EditResult checked(std::size_t record) const;
    EditResult identifierFree(std::uint32_t soundId, std::optional<std::size_t> self) const;
    EditResult stage(const std::string& soundPath, bool ima, StagedImage& staged);

    std::string path_;
    std::unique_ptr<ScratchImages> scratch_;
    TpaHeader header_;
    std::uint64_t fileSize_ = 0;
    std::vector<TpaEntry> entries_;
    std::vector<std::size_t> originalImageOf_;  // by original record
    std::size_t originalImages_ = 0;
    std::vector<ImageSource> images_;  // the archive's, then those staged (never changed once made)
    std::vector<StagedRecord> records_;
    std::vector<Step> steps_;
    std::size_t done_ = 0;
    int changes_ = 0;
};

}  // namespace sonkrate::archive
