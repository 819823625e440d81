#pragma once

namespace tallomer {

class Program;

// The start-up benchmark's probe (bench/startup.sh sets TALLOMER_EXIT_WHEN_READY): once the main
// window has painted for the first time and the events queued with it are through, prints
// "ready <wall clock in seconds>" and ends the run.
void exitWhenReady(Program& program);

}  // namespace tallomer
