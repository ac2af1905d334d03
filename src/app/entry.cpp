#include "app/entry.h"

#include "text/text_types.h"

namespace urlsmith::app {

std::string CommandTail(int argc, const char* const* argv) {
  std::string tail;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) tail += ' ';
    tail += argv[i];
  }
  return tail;
}

Job JobOfTail(std::string_view tail) {
  if (EqualsIgnoreCase(tail, "-uninstall")) return Job::Uninstall;
  if (EqualsIgnoreCase(tail, "-shell")) return Job::Shell;
  return Job::Wizard;
}

std::string StartPathOfTail(std::string_view tail) {
  if (tail.empty() || tail.front() != '"') return std::string(tail);
  tail.remove_prefix(1);
  if (!tail.empty()) tail.remove_suffix(1);
  return std::string(tail);
}

std::string ProgramFolder(std::string_view executablePath) {
  const auto slash = executablePath.rfind('/');
  if (slash == std::string_view::npos) return "./";
  return std::string(executablePath.substr(0, slash + 1));
}

}  // namespace urlsmith::app
