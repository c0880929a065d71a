// The run of the program: the command line, the usage text and the order in
// which a conversion's steps are called.
#ifndef KESSAVINE_DRIVER_RUN_H_
#define KESSAVINE_DRIVER_RUN_H_

// Writes the twelve lines of the usage text to standard output: for a
// single word "/?" (and whatever follows it) or "--help".
void PrintUsage();

// Runs the program on its command line; returns the exit status: 0 for the
// usage text or a document that holds the whole tree, 1 when the run printed
// a failure line (the document could not be opened, written or closed,
// memory ran out, a folder could not be entered or listed, a shortcut file
// could not be read) or could not print the usage text, 2 for too many
// words.
int Run(int argc, char* argv[]);

#endif  // KESSAVINE_DRIVER_RUN_H_
