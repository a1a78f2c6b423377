// The registration of the built problem types in the type catalogue.
//
// Registration is an explicit call, not a static initialiser: the problem
// types live in a static library, whose objects the linker drops when nothing
// refers to them. The program and the tests call RegisterProblemTypes once
// before they create problems; calling it again changes nothing.
#pragma once

namespace zem {

// Registers the root element class of every problem type built into this
// program under its catalogue position.
void RegisterProblemTypes();

}  // namespace zem
