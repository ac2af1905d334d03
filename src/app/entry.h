// What the program's command line asks for: the tail (the arguments after the program name,
// joined by single blanks), the job it names, and the start path it gives.
#pragma once

#include <string>
#include <string_view>

namespace urlsmith::app {

// The longest tail taken as a start path: a path of the platform's full length.
inline constexpr std::size_t kMaxTail = 4095;

enum class Job { Uninstall, Shell, Wizard };

// The arguments after the program name joined by single blanks.
std::string CommandTail(int argc, const char* const* argv);

// "-uninstall" and "-shell" match only as the whole tail, in any letter case.
Job JobOfTail(std::string_view tail);

// The start path of a tail: a tail that begins with a double quote loses that quote and its
// last character (whatever it is); any other tail is the path as it is.
std::string StartPathOfTail(std::string_view tail);

// The folder of the program's own executable, ending in '/'.
std::string ProgramFolder(std::string_view executablePath);

}  // namespace urlsmith::app
