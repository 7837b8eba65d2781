// The command line: argument 0 is the program's own path, 1 the URL, 2 the local file name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Splits a command line text (after its first token) into arguments by the quoting rule:
// blanks separate, double quotes group and are dropped, no escape character, and the list
// ends at the first argument that comes out empty.
std::vector<std::string> SplitCommandLine(std::string_view text);

// The text after the program's own token on a full command line.
std::string_view SkipProgramToken(std::string_view commandLine);

// Reads the arguments of this process once (argc/argv serve where the shell already split them).
// Arguments that the system changed to fit its code page are not taken at all.
void LoadArguments(int argc, char** argv);
// Zero, or the number of the code page that lacks characters of the arguments as typed: the run
// must then end before it connects or touches a file.
unsigned CodePageLackingArguments();
int ArgumentCount();
// Argument n, or empty text when n is larger than ArgumentCount().
std::string ArgumentText(int n);

// Whether argument 1 asks for the usage line: exactly --help, -h, -? or /?. No host name begins
// with a hyphen and /? names no host, so no URL that could work is taken for one.
bool IsHelpSwitch(std::string_view argument);
