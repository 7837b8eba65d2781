// The main sequence of a run: banner, usage or announcement, download and report.
#pragma once

// Runs once per process; returns the exit code.
int RunMainSequence();
