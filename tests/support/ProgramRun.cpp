#include "tests/support/ProgramRun.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>

#include "tests/support/TempDir.h"
#include "tests/support/WindowsChild.h"

namespace morvatex::testing {

std::string Printed(const std::string& path) {
  std::string text = ReadFileBytes(path);
#ifdef _WIN32
  std::string lf;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] != '\r' || i + 1 == text.size() || text[i + 1] != '\n') lf += text[i];
  text = lf;
#endif
  return text;
}

#ifndef _WIN32
std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}
#endif

ProgramOutcome RunProgramToItsEnd(const std::string& program, const std::vector<std::string>& arguments,
                                  const std::string& outPath, const std::string& errPath) {
  ProgramOutcome outcome;
#ifdef _WIN32
  {
    WindowsChild child(program, arguments, {outPath, errPath});
    outcome.status = child.Wait(60);
  }
#else
  std::string command = "timeout -s KILL 60 " + Quoted(program);
  for (const std::string& a : arguments) command += " " + Quoted(a);
  command += " >" + Quoted(outPath) + " 2>" + Quoted(errPath);
  const int raw = std::system(command.c_str());
  outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
  outcome.out = Printed(outPath);
  outcome.err = Printed(errPath);
  return outcome;
}

}  // namespace morvatex::testing
