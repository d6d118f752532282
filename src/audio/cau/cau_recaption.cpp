#include "audio/cau/cau_recaption.h"

#include <cstdint>

#include "audio/cau/caption_sections.h"
#include "audio/cau/cau_reader.h"
#include "io/replacement.h"

namespace sonkrate::audio {

io::Outcome recaptionCau(const std::string& source, const std::string& target, const std::string& captionBlock) {
    if (io::Outcome fits = checkCaptionBlock(captionBlock, target); !fits) return fits;
    io::File in;
    if (io::Outcome opened = in.open(source, io::FileMode::Read); !opened) return opened;
    CauImage image;
    if (io::Outcome read = readCauFile(in, image); !read) return read;
    CauHeader h = image.header;
    h.captionOffset = captionBlock.empty() ? 0 : kCaptionAtHeaderEnd;
    const std::uint64_t dataOffset = kCauHeaderSize + captionBlock.size();
    if (dataOffset + h.dataSize > UINT32_MAX) return io::failure(source + " would grow past what a .cau file can hold.");
    h.dataOffset = static_cast<std::uint32_t>(dataOffset);

    io::ReplacementFile out;
    if (io::Outcome begun = out.begin(target); !begun) return begun;
    auto head = serializeCauHeader(h);
    if (io::Outcome wrote = out.file().write(head.data(), head.size()); !wrote) return wrote;
    if (io::Outcome wrote = out.file().write(captionBlock.data(), captionBlock.size()); !wrote) return wrote;
    if (io::Outcome copied = io::copyRange(in, image.dataStart, image.dataSize, out.file()); !copied) return copied;
    return out.commit();
}

}  // namespace sonkrate::audio
