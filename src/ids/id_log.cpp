#include "ids/id_log.h"

#include "ids/sound_id.h"
#include "io/file.h"
#include "io/file_system.h"
#include "io/line_reader.h"
#include "io/paths.h"
#include "io/replacement.h"

namespace sonkrate::ids {

std::string ingameIdLogLine(std::string_view name) {
    return " Ingame_ID (string sample): " + std::string(name) + "\r\n";
}

std::string ingameSampleLogLine(std::string_view name) {
    return "INGAME SAMPLE: " + std::string(name) + "\r\n";
}

io::Outcome appendLogLine(const std::string& logPath, std::string_view line) {
    return io::appendWhole(logPath, line);
}

std::string idListPathFor(const std::string& logPath) {
    return io::siblingPath(logPath, io::stripFromLastDot(io::fileNameOf(logPath)) + "_list.txt");
}

IdListResult convertIdLog(const std::string& logPath) {
    IdListResult result;
    result.listPath = idListPathFor(logPath);

    io::ReplacementFile list;
    result.outcome = list.begin(result.listPath);
    if (!result.outcome) return result;

    io::LineReader log;
    if (io::Outcome opened = log.open(logPath); !opened && io::pathExists(logPath)) {
        result.outcome = io::failure("Cannot read the log " + logPath + "; it is kept as it was (" +
                                     opened.reason + ")");
        return result;
    } else if (opened) {
        std::string line;
        while (log.readLine(line)) {
            std::size_t colon = line.find(':');
            if (colon == std::string::npos) break;  // not a log line: the list ends here
            // The name follows the blank after the colon.
            std::string name = line.substr(colon + 1);
            if (!name.empty()) name.erase(0, 1);
            std::string digits = io::toUpper(formatSoundId(computeSoundId(name)));
            result.outcome = list.file().writeText("\"" + digits + "\" \"" + io::toUpper(name) + "\"\r\n");
            if (!result.outcome) return result;
            ++result.soundCount;
        }
        bool readError = log.failed();
        (void)log.close();
        if (readError) {
            result.outcome = io::failure("Cannot read the log " + logPath + "; it is kept as it was");
            return result;
        }
    }
    result.outcome = list.commit();
    if (!result.outcome) return result;

    (void)io::removeFile(logPath);  // converted: a log left behind is only appended to later
    return result;
}

}  // namespace sonkrate::ids
