#include "archive/folder/pack_sound.h"

#include "archive/folder/image_captions.h"
#include "audio/cau/caption_sections.h"
#include "audio/cau/cau_header.h"
#include "audio/convert/game_ready_ima.h"
#include "audio/convert/game_ready_wav.h"
#include "audio/convert/wav_to_cau.h"
#include "io/file.h"
#include "io/file_system.h"
#include "io/replacement.h"

namespace sonkrate::archive {

WorkFiles::~WorkFiles() {
    for (const std::string& path : paths_) (void)io::removeFile(path);
}

std::string WorkFiles::make() {
    paths_.push_back(io::temporaryPathBeside(beside_));
    return paths_.back();
}

io::Outcome convertChangedWav(const std::string& wavPath, bool ima, WorkFiles& work, std::string& cauPath) {
    const std::string ready = work.make();
    audio::GameReadyResult made =
        ima ? audio::makeGameReadyImaWav(wavPath, ready) : audio::makeGameReadyWav(wavPath, ready);
    if (!made.outcome) return made.outcome;
    cauPath = work.make();
    audio::WavToCauResult wrapped = audio::wavToCau(made.converted ? ready : wavPath, cauPath, "");
    if (!wrapped.written()) return wrapped.outcome;
    return io::success();
}

io::Outcome recaptionImage(const std::string& imagePath, const std::vector<ManifestSection>& sections,
                           WorkFiles& work, std::string& cauPath) {
    const std::vector<std::uint8_t> block = sections.empty() ? std::vector<std::uint8_t>{} : sectionsBlock(sections);
    if (io::Outcome fits = audio::checkCaptionBlock(std::string(block.begin(), block.end()), imagePath); !fits)
        return fits;
    io::File in;
    if (io::Outcome opened = in.open(imagePath, io::FileMode::Read); !opened) return opened;
    const std::uint64_t size = in.size();
    std::uint8_t bytes[audio::kCauHeaderSize];
    if (size < sizeof bytes) return io::failure(imagePath + " is too short to be a sound image");
    if (io::Outcome read = in.readExact(bytes, sizeof bytes); !read) return read;
    audio::CauHeader h = audio::parseCauHeader(bytes, false);
    if (h.dataOffset < audio::kCauHeaderSize || std::uint64_t{h.dataOffset} + h.dataSize > size)
        return io::failure("Cannot give " + imagePath + " new captions: its header places the sound data outside it");
    const std::uint32_t dataOffset = h.dataOffset;
    h.magic = {'W', 'B', 'O', 'R'};
    h.captionOffset = block.empty() ? 0 : audio::kCaptionAtHeaderEnd;
    h.dataOffset = static_cast<std::uint32_t>(audio::kCauHeaderSize + block.size());
    const auto header = audio::serializeCauHeader(h);

    cauPath = work.make();
    io::File out;
    io::Outcome done = out.open(cauPath, io::FileMode::Write);
    if (done) done = out.write(header.data(), header.size());
    if (done && !block.empty()) done = out.write(block.data(), block.size());
    if (done) done = io::copyRange(in, dataOffset, h.dataSize, out);
    if (done) done = out.close();
    return done;
}

}  // namespace sonkrate::archive
