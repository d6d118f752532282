#include "audio/cau/cau_file_check.h"

#include "io/byte_order.h"
#include "io/file.h"

namespace sonkrate::audio {

io::Outcome inspectCauFile(const std::string& path, CauFileFacts& facts) {
    facts = CauFileFacts{};
    io::File file;
    if (io::Outcome opened = file.open(path, io::FileMode::Read); !opened) return opened;
    facts.size = file.size();
    if (facts.size < kCauHeaderSize)
        return io::failure(path + " is not a sound image: it is " + std::to_string(facts.size) +
                           " bytes long, shorter than the 36-byte sound header");
    if (io::Outcome read = file.readAt(0, facts.header.data(), facts.header.size()); !read) return read;
    const std::uint64_t dataOffset = io::getU32(&facts.header[8]);
    const std::uint64_t dataSize = io::getU32(&facts.header[16]);
    if (dataOffset < kCauHeaderSize || dataOffset + dataSize != facts.size)
        return io::failure(path + " is damaged or not a sound image: its header puts " + std::to_string(dataSize) +
                           " bytes of sound data at offset " + std::to_string(dataOffset) + ", but the file is " +
                           std::to_string(facts.size) + " bytes long");
    return io::success();
}

}  // namespace sonkrate::audio
