#include "archive/edit/staged_export.h"

#include "audio/cau/cau_export.h"
#include "audio/cau/cau_header.h"
#include "audio/cau/caption_sections.h"
#include "audio/convert/cau_to_pcm_wav.h"
#include "io/file.h"
#include "io/paths.h"
#include "io/replacement.h"

namespace sonkrate::archive {

io::Outcome makeNewImageHead(const ImageSource& image, const std::string& archivePath, NewImageHead& head) {
    audio::CauHeader h = audio::parseCauHeader(image.header.data(), false);
    if (h.dataOffset < audio::kCauHeaderSize || std::uint64_t{h.dataOffset} + h.dataSize > image.length)
        return io::failure("Cannot give a sound of " + archivePath +
                           " new captions: its header places the sound data outside its image");
    head.dataOffset = h.dataOffset;
    head.dataSize = h.dataSize;
    const std::vector<audio::CaptionSection> none;
    const std::vector<audio::CaptionSection>& sections = image.sections ? *image.sections : none;
    const std::string block = sections.empty() ? std::string{} : audio::encodeCaptionSections(sections);
    h.magic = {'W', 'B', 'O', 'R'};
    h.captionOffset = block.empty() ? 0 : audio::kCaptionAtHeaderEnd;
    h.dataOffset = static_cast<std::uint32_t>(audio::kCauHeaderSize + block.size());
    head.header = audio::serializeCauHeader(h);
    head.bytes.assign(head.header.begin(), head.header.end());
    head.bytes.insert(head.bytes.end(), block.begin(), block.end());
    return io::success();
}

io::Outcome stagedImageCopy(const StagedEdits& edits, std::size_t record, StagedImageCopy& copy) {
    const ImageSource& image = edits.imageOf(record);
    copy.path = image.staged ? edits.scratchPath() : edits.archivePath();
    copy.offset = image.offset;
    copy.length = image.length;
    copy.head.reset();
    if (!image.sections) return io::success();
    NewImageHead head;
    if (io::Outcome made = makeNewImageHead(image, edits.archivePath(), head); !made) return made;
    copy.head = std::move(head);
    return io::success();
}

namespace {

// A .cau of the new head followed by the image's sound data.
io::Outcome writeWithNewHead(const StagedImageCopy& copy, const std::string& target) {
    io::File in;
    if (io::Outcome opened = in.open(copy.path, io::FileMode::Read); !opened) return opened;
    io::ReplacementFile out;
    if (io::Outcome begun = out.begin(target); !begun) return begun;
    const NewImageHead& head = *copy.head;
    if (io::Outcome put = out.file().write(head.bytes.data(), head.bytes.size()); !put) return put;
    if (io::Outcome copied = io::copyRange(in, copy.offset + head.dataOffset, head.dataSize, out.file()); !copied)
        return copied;
    return out.commit();
}

}  // namespace

io::Outcome exportStagedImage(const StagedImageCopy& copy, ExportMode mode, const std::string& target) {
    // Captions do not reach a .wav: the sound data is the same under either head.
    if (mode == ExportMode::Wav)
        return audio::cauToPcmWav(copy.path, copy.offset, copy.length, target, io::Durability::Scratch).outcome;
    if (copy.head) return writeWithNewHead(copy, target);
    return audio::exportEntryAsCau(copy.path, copy.offset, copy.length, target);
}

bool isImageStaged(const StagedEdits& edits, std::size_t record) {
    return edits.records()[record].image >= edits.originalImageCount() || edits.imageOf(record).sections.has_value();
}

io::Outcome exportStagedRecord(const StagedImageCopy& copy, std::string_view archiveName, std::uint32_t index,
                               ExportMode mode, const std::string& outDir, const std::string& name, std::string& path) {
    path = io::joinPath(outDir, exportFileStem(archiveName, index, name) + (mode == ExportMode::Cau ? ".cau" : ".wav"));
    return exportStagedImage(copy, mode, path);
}

}  // namespace sonkrate::archive
