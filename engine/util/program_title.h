#pragma once
// The program's title: the caption of the engine's message boxes and the document name of printouts.
// "OMBAgen" until a program sets its own (the console generator sets "OMBAgenCmd").

#include <string>

namespace engine {

std::string ProgramTitle();
void SetProgramTitle(const std::string& title);

} // namespace engine
