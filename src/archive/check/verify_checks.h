// The pieces the archive and sound checks share: where findings go, the
// checks of one sound image as the player reads it, and the checks of how
// the images of an archive lie in the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/format/tpa_format.h"
#include "archive/check/verify.h"
#include "audio/cau/cau_header.h"
#include "io/file.h"

namespace sonkrate::archive::verify_detail {

// A record of the effects archive's collision table.
inline constexpr std::uint64_t kCollisionRecordSize = 152;

// Collects the findings of one file, up to kMaxFindings.
class FindingSink {
public:
    FindingSink(std::string file, VerifyReport& report) : file_(std::move(file)), report_(report) {}
    // Findings from here on belong to the record index with identifier soundId.
    void atEntry(std::uint32_t index, std::uint32_t soundId) { index_ = index, soundId_ = soundId; }
    // Findings from here on belong to the file as a whole.
    void atFile() { index_.reset(), soundId_.reset(); }
    void error(const std::string& code, const std::string& message) { add(Severity::Error, code, message); }
    void warning(const std::string& code, const std::string& message) { add(Severity::Warning, code, message); }
    void add(Severity severity, const std::string& code, const std::string& message);
    // The same finding for another record than the current one.
    void addFor(std::uint32_t index, std::uint32_t soundId, Severity severity, const std::string& code,
                const std::string& message);

private:
    std::string file_;
    VerifyReport& report_;
    std::optional<std::uint32_t> index_, soundId_;
};

// Checks a sound as the player reads it from header, its image starting at
// imageStart of file: the format, the data's place, decodedSize and the
// caption block.
void checkSound(io::File& file, std::uint64_t fileSize, const audio::CauHeader& header, std::uint64_t imageStart,
                FindingSink& sink);

// The least decodedSize that does not cut the sound short: the data's bytes
// for PCM, the 16-bit PCM of every block but the last for IMA ADPCM.
std::uint64_t leastDecodedBytes(const audio::CauHeader& header);

// Where one record points, kept for the checks across records.
struct ImageRef {
    std::uint32_t index = 0;
    std::uint32_t soundId = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
    bool inFile = false;  // the whole image lies inside the file
};

// Duplicate identifiers, the number of distinct images against soundCount,
// images that overlap each other or the table, and bytes nothing covers.
void checkImageLayout(const TpaHeader& header, std::uint64_t fileSize, std::vector<ImageRef>& images,
                      FindingSink& sink);

// "0x" and the value in hexadecimal.
std::string hex(std::uint32_t value);

}  // namespace sonkrate::archive::verify_detail
