#pragma once
// The operator's Ctrl-C as a flag that the program reads between passes:
// loops end as their STOP does, other commands finish what they send.
// POSIX: SIGINT (left alone when the caller has it ignored, as a shell does
// for background jobs). Windows: the console's Ctrl-C and Ctrl-Break.
namespace bx::platform {

// Takes Ctrl-C from now on; the first call installs, later ones do nothing.
void CatchInterrupt();
// True once Ctrl-C was pressed after CatchInterrupt().
bool InterruptRequested();

}  // namespace bx::platform
