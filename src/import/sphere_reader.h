// NIST SPHERE files (.sph): a 1024-byte text header and the samples, copied as
// they are. The header is not parsed by field name: the first ten words are
// scanned for the type markers "-i" and "-s4", and the values after them are
// recognised by their first characters. Kept on purpose: see COMPATIBILITY.md.
#pragma once

#include <string>

#include "import/conversion.h"

namespace sonkrate::import {

// What the header scan found.
struct SphereScan {
    bool channelFound = false;
    std::string channelText;
    std::string rateText;
    std::string lastSix;
    std::string lastTwo;
    bool is24Bit = false;
    bool muLaw = false;
    bool aLaw = false;

    int channels() const;  // the integer at the start of channelText, 0 when none
    int rate() const;      // the integer at the start of rateText, 44100 when 0
};

// Scans the header of an open file from its start.
SphereScan scanSphereHeader(io::File& file);

ConversionResult convertSphere(const std::string& sourcePath, const std::string& outputPath);

}  // namespace sonkrate::import
