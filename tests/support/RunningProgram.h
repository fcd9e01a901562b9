#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <string>
#include <vector>

// The real game program started as a child process on the test's X
// display, with SDL's dummy audio driver, and the X window it opens.
// The invite's secret of the tests' online games: their hosts are given it,
// and their partners are told it.
constexpr const char* TestSecret = "ACDE-FGHJ-KMNP-RTWX";

// The title of the program's window, which names the physics library's
// version.
std::string WindowTitle();

class RunningProgram
{
public:
	// Starts the program with these arguments and SDL audio driver;
	// standard output and error go to files the test can read. With a file
	// size limit (bytes), writes past it fail as on a full disk. Each entry
	// of environment is NAME=VALUE to set or NAME to unset. binary is the
	// program's file, or a copy of it. A prefix is a command the program is
	// run by, such as "ip netns exec NAME"; it must end by executing the
	// program, so that the process is the program's.
	explicit RunningProgram(const std::vector<std::string>& args, const std::string& audioDriver = "dummy",
		long fileSizeLimit = 0, const std::vector<std::string>& environment = {},
		const std::string& binary = CONTEST_BINARY, const std::vector<std::string>& prefix = {});
	~RunningProgram();

	// Waits for a top-level window with this title; 0 if none appears.
	Window WaitForWindow(const std::string& title, double seconds);
	// Sends a key press and release of the X key symbol to the window.
	void SendKey(Window window, unsigned long keysym);
	// Waits for the process to end: its exit status, or 128 + the signal
	// that ended it, or -1 on time-out.
	int WaitForExit(double seconds);
	void Signal(int signal);
	// Asks the window to close, as a window manager's close button does.
	void CloseWindow(Window window);
	std::string ErrorOutput() const;
	std::string Output() const;
	// The window's current picture as 0xRRGGBB values, row by row.
	std::vector<unsigned> Capture(Window window, int* width, int* height);
	Display* GetDisplay() const { return display; }

private:
	pid_t pid;
	bool running;
	std::string errorFile;
	std::string outputFile;
	std::string configFolder;
	Display* display;
};
