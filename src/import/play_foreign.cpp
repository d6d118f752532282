#include "import/play_foreign.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "audio/convert/decode_adpcm_wav.h"
#include "import/aiff_reader.h"
#include "import/au_reader.h"
#include "import/caf_reader.h"
#include "import/htk_reader.h"
#include "import/paf_reader.h"
#include "import/pvf_reader.h"
#include "import/sphere_reader.h"
#include "import/voc_reader.h"
#include "import/wve_reader.h"

namespace sonkrate::import {

namespace {

const std::array<ForeignReaderRow, 9> kReaders = {{
    {{"htk", "HTK", nullptr, nullptr}, convertHtk, ForeignFormat::Htk, "HTK"},
    {{"voc", "VOC", nullptr, nullptr}, convertVoc, ForeignFormat::Voc, "VOC"},
    {{"au", "AU", "snd", "SND"}, convertAu, ForeignFormat::Au, "AU"},
    {{"aiff", "AIFF", "aif", "AIF"}, convertAiff, ForeignFormat::Aiff, "AIFF"},
    {{"caf", "CAF", nullptr, nullptr}, convertCaf, ForeignFormat::Caf, "CAF"},
    {{"paf", "PAF", nullptr, nullptr}, convertPaf, ForeignFormat::Paf, "PAF"},
    {{"pvf", "PVF", nullptr, nullptr}, convertPvf, ForeignFormat::Pvf, "PVF"},
    {{"sph", "SPH", nullptr, nullptr}, convertSphere, ForeignFormat::Sphere, "SPHERE"},
    {{"wve", "WVE", nullptr, nullptr}, convertWve, ForeignFormat::Wve, "WVE"},
}};

}  // namespace

const std::array<ForeignReaderRow, 9>& foreignReaderTable() { return kReaders; }

std::string extensionOf(const std::string& path) {
    std::size_t dot = path.rfind('.');
    return dot == std::string::npos ? path : path.substr(dot + 1);
}

const ForeignReaderRow* readerForExtension(const std::string& extension) {
    for (const ForeignReaderRow& row : kReaders)
        for (const char* e : row.extensions)
            if (e && extension == e) return &row;
    return nullptr;
}

bool isWavExtension(const std::string& extension) { return extension == "WAV" || extension == "wav"; }

double directWavPlayTime(const DirectWavHeader& h) {
    // Worked out in unsigned 32-bit arithmetic, as the header fields are.
    std::uint32_t size = h.riffSize;
    std::uint32_t rate = h.sampleRate;
    // Compressed layouts hold about a quarter of the bytes per second.
    if (h.formatTag > 1) {
        rate *= 2;
        size *= 4;
    }
    if (h.fmtSize == 40) rate /= 3;
    const std::uint32_t channels = static_cast<std::uint32_t>(static_cast<std::int32_t>(h.channels));
    if (h.fmtSize == 18) {
        std::uint32_t divisor = channels * rate;
        return divisor == 0 ? 0.0 : static_cast<double>((size * 2) / divisor);
    }
    std::uint32_t divisor = (channels * rate * 16) / 8;
    double seconds = divisor == 0 ? 0.0 : static_cast<double>(size / divisor);
    if (h.bitsPerSample == 32) seconds /= 2.0;
    return seconds;
}

DirectWavHandling directWavHandling(const DirectWavHeader& h) {
    switch (h.fmtSize) {
    case 16:
    case 18:
    case 30:
    case 50:
    case 40: return DirectWavHandling::PlayAsIs;
    case 20:
        if (h.blockAlign == 512 || h.blockAlign == 1024 || h.blockAlign == 2048) return DirectWavHandling::PlayAsIs;
        if (h.blockAlign == 1028 || h.blockAlign == 2056) return DirectWavHandling::DecodeFirst;
        return DirectWavHandling::NotPlayed;
    default: return DirectWavHandling::NotPlayed;
    }
}

ForeignPlayPlan planForeignPlay(const std::string& chosenPath, const ForeignWorkPaths& paths) {
    ForeignPlayPlan plan;
    plan.sourcePath = chosenPath;
    if (chosenPath.empty()) {
        plan.route = ForeignRoute::Cancelled;
        return plan;
    }
    if (chosenPath == paths.tempWav || chosenPath == paths.conversionWav) {
        plan.route = ForeignRoute::Refused;
        return plan;
    }
    const std::string extension = extensionOf(chosenPath);
    if (const ForeignReaderRow* row = readerForExtension(extension)) {
        plan.route = ForeignRoute::Reader;
        plan.row = row;
    } else if (isWavExtension(extension)) {
        plan.route = ForeignRoute::DirectWav;
    } else {
        plan.route = ForeignRoute::NoMatch;
    }
    return plan;
}

namespace {

ForeignPlayOutcome readFailure(ForeignPlayOutcome out, std::string reason) {
    out.result = ForeignPlayResult::ReadFailed;
    out.readFailed = true;
    out.reason = std::move(reason);
    return out;
}

ForeignPlayOutcome runReader(ForeignPlayOutcome out, const ForeignReaderRow& row, const std::string& source,
                             const ForeignWorkPaths& paths) {
    ConversionResult converted = row.reader(source, paths.conversionWav);
    out.layout = converted.layout;
    out.playTimeSet = converted.playTimeSet;
    out.playTimeSeconds = converted.playTimeSeconds;
    out.playTimeCount = converted.playTimeCount;
    if (converted.readFailed) return readFailure(std::move(out), converted.reason);
    out.result = ForeignPlayResult::Converted;
    out.playPath = paths.conversionWav;
    return out;
}

ForeignPlayOutcome runDirectWav(ForeignPlayOutcome out, const std::string& source, const ForeignWorkPaths& paths) {
    DirectWavHeader header;
    if (io::Outcome read = audio::readCanonicalWavHeader(source, header); !read)
        return readFailure(std::move(out), read.reason);
    out.playTimeSet = true;
    out.playTimeSeconds = directWavPlayTime(header);
    out.playTimeCount = static_cast<int>(std::min(std::trunc(out.playTimeSeconds), 2147483647.0));
    out.layout = "WAV";
    switch (directWavHandling(header)) {
    case DirectWavHandling::PlayAsIs:
        out.result = ForeignPlayResult::PlayAsIs;
        out.playPath = source;
        return out;
    case DirectWavHandling::DecodeFirst: {
        out.layout = "WAV IMA ADPCM";
        audio::DecodeAdpcmResult decoded = audio::decodeAdpcmWav(source, paths.decodedWav);
        if (!decoded.ok()) return readFailure(std::move(out), decoded.reason);
        out.result = ForeignPlayResult::Decoded;
        out.playPath = paths.decodedWav;
        return out;
    }
    case DirectWavHandling::NotPlayed: out.result = ForeignPlayResult::NotPlayed; return out;
    }
    return out;
}

}  // namespace

ForeignPlayOutcome runForeignPlay(const ForeignPlayPlan& plan, const ForeignWorkPaths& paths) {
    ForeignPlayOutcome out;
    out.route = plan.route;
    out.row = plan.row;
    switch (plan.route) {
    case ForeignRoute::Cancelled:
    case ForeignRoute::NoMatch: return out;
    case ForeignRoute::Refused:
        out.result = ForeignPlayResult::Refused;
        out.readFailed = true;
        out.reason = plan.sourcePath + " is a working file of this program and cannot be played while it is in use.";
        return out;
    case ForeignRoute::Reader: return runReader(std::move(out), *plan.row, plan.sourcePath, paths);
    case ForeignRoute::DirectWav: return runDirectWav(std::move(out), plan.sourcePath, paths);
    }
    return out;
}

ForeignPlayOutcome playForeignFile(const std::string& chosenPath, const ForeignWorkPaths& paths) {
    return runForeignPlay(planForeignPlay(chosenPath, paths), paths);
}

}  // namespace sonkrate::import
