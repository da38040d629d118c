#include "cli/commands.h"

int main(int argc, char** argv) { return orvel::cli::Run(argc, argv); }
