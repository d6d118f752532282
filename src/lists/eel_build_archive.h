// The archive operations an .eel build stands on, for the front ends that
// link the archive library (the command-line tool and the window).
#pragma once

#include "archive/add_sound.h"
#include "archive/create_archive.h"
#include "lists/eel_build.h"

namespace sonkrate::lists {

inline EelBuildSteps archiveBuildSteps() {
    EelBuildSteps steps;
    steps.createArchive = [](const std::string& archivePath) {
        return archive::createDefaultArchive(archivePath).outcome;
    };
    steps.appendSound = [](const std::string& archivePath, const std::string& name, const std::string& cauPath,
                           const std::string& buildLogPath, std::string& warning) {
        archive::AddSoundResult added = archive::addSoundFromList(archivePath, name, cauPath, buildLogPath);
        warning = added.warning;
        return added.addResult == archive::kAddDone ? io::success() : added.outcome;
    };
    steps.buildLogPathFor = [](const std::string& targetPath) { return archive::buildLogPathFor(targetPath); };
    return steps;
}

}  // namespace sonkrate::lists
