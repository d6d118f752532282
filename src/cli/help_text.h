// What the tool says about itself: --help, COMMAND --help, --version, and the
// manual page and bash completion the build makes from the same text.
#pragma once

#include <cstdio>

#include "cli/cli.h"

namespace sonkrate::cli {

void printHelp(std::FILE* to);
void printCommandHelp(const Command& command);
void printVersion();
// troff for man(1), section 1.
void printManPage();
// A bash completion script for commands, their options and file types.
void printBashCompletion();

}  // namespace sonkrate::cli
