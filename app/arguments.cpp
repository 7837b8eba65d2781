// The command line. Where the system keeps it as one text it is split here by one rule:
// blanks separate, double quotes group and are dropped, and there is no escape character.
#include "app/arguments.h"

#include "platform/process.h"
#include "request/text.h"

namespace {

bool IsSeparator(char c) {
  return static_cast<unsigned char>(c) <= 32;
}

// Reads one argument starting at p. Leading blanks and empty quote pairs are passed over, so
// an empty quoted argument never counts. Returns where the argument ends.
const char* ReadArgument(const char* p, const char* end, std::string& argument) {
  argument.clear();
  for (;;) {
    while (p < end && *p != '\0' && IsSeparator(*p)) p = NextCharIn(p, end);
    if (end - p >= 2 && p[0] == '"' && p[1] == '"') {
      p += 2;
    } else {
      break;
    }
  }

  bool quoted = false;
  while (p < end && *p != '\0') {
    if (*p == '"') {
      quoted = !quoted;
      ++p;
      continue;
    }
    if (!quoted && IsSeparator(*p)) break;
    const char* next = NextCharIn(p, end);
    argument.append(p, next);
    p = next;
  }
  return p;
}

std::vector<std::string> g_arguments;
unsigned g_codePageLackingArguments = 0;

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view text) {
  // A copy ends in a zero byte, which the code page's character step relies on.
  const std::string line(text);
  const char* p = line.data();
  const char* const end = p + line.size();
  std::vector<std::string> arguments;
  std::string argument;
  for (;;) {
    p = ReadArgument(p, end, argument);
    if (argument.empty()) break;
    arguments.push_back(argument);
  }
  return arguments;
}

std::string_view SkipProgramToken(std::string_view commandLine) {
  const std::string line(commandLine);
  std::string program;
  const char* tokenEnd = ReadArgument(line.data(), line.data() + line.size(), program);
  return commandLine.substr(static_cast<std::size_t>(tokenEnd - line.data()));
}

void LoadArguments(int argc, char** argv) {
  g_arguments.assign(1, std::string(platform::ModulePath()));
  if (const auto line = platform::CommandLineText()) {
    const std::string_view text = SkipProgramToken(*line);
    // Look-alikes could name another server or file than the one the user chose.
    g_codePageLackingArguments = platform::CodePageLackingArguments(text);
    if (g_codePageLackingArguments != 0) return;
    const std::vector<std::string> rest = SplitCommandLine(text);
    g_arguments.insert(g_arguments.end(), rest.begin(), rest.end());
    return;
  }
  // The shell has split the line already; an empty argument still never counts.
  for (int i = 1; i < argc; ++i) {
    if (argv[i] != nullptr && argv[i][0] != '\0') g_arguments.emplace_back(argv[i]);
  }
}

unsigned CodePageLackingArguments() {
  return g_codePageLackingArguments;
}

int ArgumentCount() {
  return g_arguments.empty() ? 0 : static_cast<int>(g_arguments.size()) - 1;
}

std::string ArgumentText(int n) {
  if (n < 0 || n >= static_cast<int>(g_arguments.size())) return {};
  return g_arguments[static_cast<std::size_t>(n)];
}

bool IsHelpSwitch(std::string_view argument) {
  return argument == "--help" || argument == "-h" || argument == "-?" || argument == "/?";
}
