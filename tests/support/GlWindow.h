#pragma once

// Opens the one real freeglut window (and GL context) of a test process, at
// the shell's start-up size, and makes it current. Safe to call repeatedly.
// Needs an X display: the test command runs under xvfb-run.
void EnsureGlWindow();

// Runs freeglut's event processing once, so reshape and similar callbacks
// registered by the shell are delivered.
void PumpWindowEvents();
