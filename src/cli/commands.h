// What each command file gives the command list (command_list.cpp): the
// function that runs the command and the longer text of its --help. The rest
// of the command's row, its synopsis and arguments, is in the list itself.
// runAddCommand and runNamesCommand carry the suffix so that they are not
// taken for the window's Shell::runAdd and ArchiveWindowController::runNames.
#pragma once

#include "cli/cli.h"

namespace sonkrate::cli {

int runInfo(const Arguments& args);
extern const char* const kInfoDetails;

int runList(const Arguments& args);
extern const char* const kListDetails;

int runExtract(const Arguments& args);
extern const char* const kExtractDetails;

int runCaptions(const Arguments& args);
extern const char* const kCaptionsDetails;

int runExportAll(const Arguments& args);
extern const char* const kExportAllDetails;

int runCauToWav(const Arguments& args);
extern const char* const kCauToWavDetails;

int runWavToCau(const Arguments& args);
extern const char* const kWavToCauDetails;

int runConvert(const Arguments& args);
extern const char* const kConvertDetails;

int runId(const Arguments& args);
extern const char* const kIdDetails;

int runLookup(const Arguments& args);
extern const char* const kLookupDetails;

int runNew(const Arguments& args);
extern const char* const kNewDetails;

int runAddCommand(const Arguments& args);
extern const char* const kAddDetails;

int runReplace(const Arguments& args);
extern const char* const kReplaceDetails;

int runRemove(const Arguments& args);
extern const char* const kRemoveDetails;

int runBuildDir(const Arguments& args);
extern const char* const kBuildDirDetails;

int runMakeEel(const Arguments& args);
extern const char* const kMakeEelDetails;

int runBuildEel(const Arguments& args);
extern const char* const kBuildEelDetails;

int runDirToCaus(const Arguments& args);
extern const char* const kDirToCausDetails;

int runUnpack(const Arguments& args);
extern const char* const kUnpackDetails;

int runPack(const Arguments& args);
extern const char* const kPackDetails;

int runBetaToRetail(const Arguments& args);
extern const char* const kBetaToRetailDetails;

int runDiff(const Arguments& args);
extern const char* const kDiffDetails;

int runVerify(const Arguments& args);
extern const char* const kVerifyDetails;

int runNamesCommand(const Arguments& args);
extern const char* const kNamesDetails;

}  // namespace sonkrate::cli
