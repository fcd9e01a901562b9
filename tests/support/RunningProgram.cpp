#include "tests/support/RunningProgram.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <box2d/box2d.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace
{
using Clock = std::chrono::steady_clock;

// Windows of other programs on the same display may vanish while we look.
int IgnoreErrors(Display*, XErrorEvent*)
{
	return 0;
}

bool TitleMatches(Display* display, Window window, const std::string& title)
{
	char* name = nullptr;
	bool match = false;
	if (XFetchName(display, window, &name) != 0 && name != nullptr)
	{
		match = title == name;
		XFree(name);
	}
	return match;
}

Window FindByTitle(Display* display, Window root, const std::string& title)
{
	Window rootReturn, parent;
	Window* children = nullptr;
	unsigned count = 0;
	if (XQueryTree(display, root, &rootReturn, &parent, &children, &count) == 0)
	{
		return 0;
	}
	Window found = 0;
	for (unsigned i = 0; i < count && found == 0; ++i)
	{
		if (TitleMatches(display, children[i], title))
		{
			found = children[i];
		}
		else
		{
			found = FindByTitle(display, children[i], title);
		}
	}
	if (children != nullptr)
	{
		XFree(children);
	}
	return found;
}
} // namespace

std::string WindowTitle()
{
	return "Box2D Version " + std::to_string(b2_version.major) + "." + std::to_string(b2_version.minor) + "." +
		std::to_string(b2_version.revision);
}

RunningProgram::RunningProgram(const std::vector<std::string>& args, const std::string& audioDriver,
	long fileSizeLimit, const std::vector<std::string>& environment, const std::string& binary,
	const std::vector<std::string>& prefix)
	: pid(-1), running(false), display(nullptr)
{
	// The X server resets when its last client leaves and refuses
	// connections for a moment while it does.
	const auto deadline = Clock::now() + std::chrono::seconds(10);
	while ((display = XOpenDisplay(nullptr)) == nullptr && Clock::now() < deadline)
	{
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	}
	if (display == nullptr)
	{
		throw std::runtime_error("no X display: run the tests under xvfb-run");
	}
	XSetErrorHandler(IgnoreErrors);
	char pattern[] = "/tmp/contest-stderr-XXXXXX";
	const int fd = mkstemp(pattern);
	errorFile = pattern;
	char outputPattern[] = "/tmp/contest-stdout-XXXXXX";
	const int outputFd = mkstemp(outputPattern);
	outputFile = outputPattern;
	// Each run keeps its settings to itself, in a folder of its own, unless
	// the test names one: a run never sees what another test's run set.
	char configPattern[] = "/tmp/contest-config-XXXXXX";
	configFolder = mkdtemp(configPattern) != nullptr ? configPattern : "";

	pid = fork();
	if (pid == 0)
	{
		dup2(fd, STDERR_FILENO);
		dup2(outputFd, STDOUT_FILENO);
		setenv("SDL_AUDIODRIVER", audioDriver.c_str(), 1);
		setenv("XDG_CONFIG_HOME", configFolder.c_str(), 1);
		for (const std::string& entry : environment)
		{
			const std::size_t equals = entry.find('=');
			if (equals == std::string::npos)
			{
				unsetenv(entry.c_str());
			}
			else
			{
				setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
			}
		}
		if (fileSizeLimit > 0)
		{
			const rlimit limit{static_cast<rlim_t>(fileSizeLimit), static_cast<rlim_t>(fileSizeLimit)};
			setrlimit(RLIMIT_FSIZE, &limit);
			// A write past the limit then fails with EFBIG instead of
			// ending the program.
			signal(SIGXFSZ, SIG_IGN);
		}
		std::vector<std::string> copies(prefix);
		copies.push_back(binary);
		copies.insert(copies.end(), args.begin(), args.end());
		std::vector<char*> argv;
		for (std::string& arg : copies)
		{
			argv.push_back(arg.data());
		}
		argv.push_back(nullptr);
		execvp(argv[0], argv.data());
		_exit(127);
	}
	close(fd);
	close(outputFd);
	running = pid > 0;
}

RunningProgram::~RunningProgram()
{
	if (running)
	{
		kill(pid, SIGKILL);
		waitpid(pid, nullptr, 0);
	}
	XCloseDisplay(display);
	unlink(errorFile.c_str());
	unlink(outputFile.c_str());
	std::error_code ignored;
	std::filesystem::remove_all(configFolder, ignored);
}

Window RunningProgram::WaitForWindow(const std::string& title, double seconds)
{
	const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
	while (Clock::now() < deadline)
	{
		const Window window = FindByTitle(display, DefaultRootWindow(display), title);
		if (window != 0)
		{
			return window;
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(50));
	}
	return 0;
}

void RunningProgram::SendKey(Window window, unsigned long keysym)
{
	XKeyEvent event{};
	event.display = display;
	event.window = window;
	event.root = DefaultRootWindow(display);
	event.subwindow = None;
	event.time = CurrentTime;
	event.same_screen = True;
	event.keycode = XKeysymToKeycode(display, keysym);
	event.type = KeyPress;
	XSendEvent(display, window, True, KeyPressMask, reinterpret_cast<XEvent*>(&event));
	event.type = KeyRelease;
	XSendEvent(display, window, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&event));
	XFlush(display);
}

int RunningProgram::WaitForExit(double seconds)
{
	const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
	while (running && Clock::now() < deadline)
	{
		int status = 0;
		if (waitpid(pid, &status, WNOHANG) == pid)
		{
			running = false;
			if (WIFEXITED(status))
			{
				return WEXITSTATUS(status);
			}
			return 128 + WTERMSIG(status);
		}
		std::this_thread::sleep_for(std::chrono::milliseconds(20));
	}
	return -1;
}

void RunningProgram::Signal(int signal)
{
	kill(pid, signal);
}

void RunningProgram::CloseWindow(Window window)
{
	XEvent event{};
	event.xclient.type = ClientMessage;
	event.xclient.window = window;
	event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
	event.xclient.format = 32;
	event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
	event.xclient.data.l[1] = CurrentTime;
	XSendEvent(display, window, False, NoEventMask, &event);
	XFlush(display);
}

namespace
{
std::string ReadFile(const std::string& path)
{
	std::ifstream file(path);
	std::stringstream text;
	text << file.rdbuf();
	return text.str();
}
} // namespace

std::string RunningProgram::ErrorOutput() const
{
	return ReadFile(errorFile);
}

std::string RunningProgram::Output() const
{
	return ReadFile(outputFile);
}

std::vector<unsigned> RunningProgram::Capture(Window window, int* width, int* height)
{
	XWindowAttributes attributes;
	XGetWindowAttributes(display, window, &attributes);
	*width = 0;
	*height = 0;
	std::vector<unsigned> pixels;
	if (attributes.map_state != IsViewable)
	{
		return pixels;
	}
	// Read the screen where the window lies: a GL window's own contents
	// cannot always be read back directly.
	int x = 0;
	int y = 0;
	Window child;
	XTranslateCoordinates(display, window, attributes.root, 0, 0, &x, &y, &child);
	const int screenWidth = DisplayWidth(display, DefaultScreen(display));
	const int screenHeight = DisplayHeight(display, DefaultScreen(display));
	// Only the part of the window on the screen can be read.
	x = b2Max(x, 0);
	y = b2Max(y, 0);
	*width = b2Min(attributes.width, screenWidth - x);
	*height = b2Min(attributes.height, screenHeight - y);
	if (*width <= 0 || *height <= 0)
	{
		return pixels;
	}
	XImage* image = XGetImage(display, attributes.root, x, y, *width, *height, AllPlanes, ZPixmap);
	if (image == nullptr)
	{
		return pixels;
	}
	pixels.reserve(static_cast<size_t>(*width) * *height);
	for (int row = 0; row < *height; ++row)
	{
		for (int column = 0; column < *width; ++column)
		{
			pixels.push_back(static_cast<unsigned>(XGetPixel(image, column, row)) & 0xFFFFFFu);
		}
	}
	XDestroyImage(image);
	return pixels;
}
