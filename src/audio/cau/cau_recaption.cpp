#include "audio/cau/cau_recaption.h"

#include <cstdint>

#include "audio/cau/caption_sections.h"
#include "audio/cau/cau_reader.h"
#include "io/replacement.h"

namespace sonkrate::audio {

io::Outcome recaptionCau(io::File& in, const std::string& captionBlock, RecaptionedCau& made) {
    if (io::Outcome fits = checkCaptionBlock(captionBlock, in.path()); !fits) return fits;
    CauImage image;
    if (io::Outcome read = readCauFile(in, image); !read) return read;
    CauHeader h = image.header;
    h.captionOffset = captionBlock.empty() ? 0 : kCaptionAtHeaderEnd;
    const std::uint64_t dataOffset = kCauHeaderSize + captionBlock.size();
    if (dataOffset + h.dataSize > UINT32_MAX)
        return io::failure(in.path() + " would grow past what a .cau file can hold.");
    h.dataOffset = static_cast<std::uint32_t>(dataOffset);
    auto header = serializeCauHeader(h);
    made.head.assign(header.begin(), header.end());
    made.head.insert(made.head.end(), captionBlock.begin(), captionBlock.end());
    made.dataStart = image.dataStart;
    made.dataSize = image.dataSize;
    return io::success();
}

io::Outcome recaptionCau(const std::string& source, const std::string& target, const std::string& captionBlock) {
    if (io::Outcome fits = checkCaptionBlock(captionBlock, target); !fits) return fits;
    io::File in;
    if (io::Outcome opened = in.open(source, io::FileMode::Read); !opened) return opened;
    RecaptionedCau made;
    if (io::Outcome read = recaptionCau(in, captionBlock, made); !read) return read;
    io::ReplacementFile out;
    if (io::Outcome begun = out.begin(target); !begun) return begun;
    if (io::Outcome wrote = out.file().write(made.head.data(), made.head.size()); !wrote) return wrote;
    if (io::Outcome copied = io::copyRange(in, made.dataStart, made.dataSize, out.file()); !copied) return copied;
    return out.commit();
}

}  // namespace sonkrate::audio
