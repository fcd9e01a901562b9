#include "tests/support/NatLab.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace
{
struct Result
{
	int status;
	std::string output;
};

// Runs a command with no shell and gives its exit status and what it wrote
// on stdout and stderr.
Result Command(const std::vector<std::string>& args)
{
	int pipeFds[2];
	if (pipe(pipeFds) != 0)
	{
		return {-1, "no pipe"};
	}
	const pid_t pid = fork();
	if (pid == 0)
	{
		dup2(pipeFds[1], STDOUT_FILENO);
		dup2(pipeFds[1], STDERR_FILENO);
		close(pipeFds[0]);
		close(pipeFds[1]);
		std::vector<std::string> copies(args);
		std::vector<char*> argv;
		for (std::string& arg : copies)
		{
			argv.push_back(arg.data());
		}
		argv.push_back(nullptr);
		execvp(argv[0], argv.data());
		_exit(127);
	}
	close(pipeFds[1]);
	std::string output;
	char buffer[4096];
	for (ssize_t size; (size = read(pipeFds[0], buffer, sizeof(buffer))) > 0;)
	{
		output.append(buffer, static_cast<std::size_t>(size));
	}
	close(pipeFds[0]);
	int status = 0;
	if (pid < 0 || waitpid(pid, &status, 0) != pid)
	{
		return {-1, "could not be started"};
	}
	return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), output};
}

void Run(const std::vector<std::string>& args)
{
	const Result result = Command(args);
	if (result.status != 0)
	{
		std::string line;
		for (const std::string& arg : args)
		{
			line += (line.empty() ? "" : " ") + arg;
		}
		throw std::runtime_error("'" + line + "' failed (" + std::to_string(result.status) + "): " + result.output);
	}
}

void RunIn(const std::string& name, std::vector<std::string> args)
{
	args.insert(args.begin(), {"ip", "netns", "exec", name});
	Run(args);
}

// Routers are 10.0.0.10, 10.0.0.11 on the public network.
std::string Wan(int router)
{
	return "10.0.0." + std::to_string(10 + router);
}

std::string Lan(int router)
{
	return "192.168." + std::to_string(router + 1) + ".";
}

const std::string NamePrefix = "natlab";

// Ends every process inside the namespace, then the namespace.
void Remove(const std::string& name)
{
	std::istringstream pids(Command({"ip", "netns", "pids", name}).output);
	for (pid_t pid; pids >> pid;)
	{
		kill(pid, SIGKILL);
	}
	Command({"ip", "netns", "del", name});
}

// Namespaces a test that crashed left behind: its pid is in their names.
void RemoveOrphans()
{
	std::istringstream list(Command({"ip", "netns", "list"}).output);
	for (std::string name; list >> name;)
	{
		const std::size_t dash = name.find('-');
		if (name.rfind(NamePrefix, 0) != 0 || dash == std::string::npos)
		{
			continue;
		}
		const pid_t owner = std::atoi(name.substr(NamePrefix.size(), dash - NamePrefix.size()).c_str());
		if (owner > 0 && kill(owner, 0) != 0 && errno == ESRCH)
		{
			Remove(name);
		}
	}
}
} // namespace

std::string NatLab::Unavailable()
{
	if (Command({"iptables", "--version"}).status != 0)
	{
		return "iptables is not installed";
	}
	const std::string probe = NamePrefix + std::to_string(getpid()) + "-probe";
	const Result added = Command({"ip", "netns", "add", probe});
	if (added.status != 0)
	{
		return "network namespaces cannot be made here (root is needed): " + added.output;
	}
	Command({"ip", "netns", "del", probe});
	return "";
}

NatLab::NatLab(Layout layout) : prefix(NamePrefix + std::to_string(getpid()) + "-")
{
	RemoveOrphans();
	try
	{
		publicName = prefix + "pub";
		AddNamespace(publicName);
		RunIn(publicName, {"ip", "link", "add", "br0", "type", "bridge"});
		RunIn(publicName, {"ip", "addr", "add", std::string(PublicAddress) + "/24", "dev", "br0"});
		RunIn(publicName, {"ip", "link", "set", "br0", "up"});
		AddRouter(0, false);
		AddPlayer(0, 0);
		if (layout == Layout::SameLan)
		{
			AddPlayer(1, 0);
		}
		else
		{
			AddRouter(1, layout == Layout::OneHardRouter);
			AddPlayer(1, 1);
		}
	}
	catch (...)
	{
		RemoveAll();
		throw;
	}
}

NatLab::~NatLab()
{
	RemoveAll();
}

void NatLab::AddNamespace(const std::string& name)
{
	Run({"ip", "netns", "add", name});
	made.push_back(name);
	RunIn(name, {"ip", "link", "set", "lo", "up"});
}

void NatLab::AddRouter(int index, bool randomPorts)
{
	const std::string name = prefix + "r" + std::to_string(index);
	const std::string leg = "r" + std::to_string(index);
	AddNamespace(name);
	routers.push_back(name);
	// The WAN leg's far end is a port of the public bridge.
	Run({"ip", "link", "add", "wan", "netns", name, "type", "veth", "peer", "name", leg, "netns", publicName});
	RunIn(publicName, {"ip", "link", "set", leg, "master", "br0", "up"});
	RunIn(name, {"ip", "addr", "add", Wan(index) + "/24", "dev", "wan"});
	RunIn(name, {"ip", "link", "set", "wan", "up"});
	RunIn(name, {"ip", "link", "add", "lan", "type", "bridge"});
	RunIn(name, {"ip", "addr", "add", Lan(index) + "1/24", "dev", "lan"});
	RunIn(name, {"ip", "link", "set", "lan", "up"});
	RunIn(name, {"sysctl", "-q", "-w", "net.ipv4.ip_forward=1"});
	std::vector<std::string> masquerade = {"iptables", "-t", "nat", "-A", "POSTROUTING", "-o", "wan", "-j",
		"MASQUERADE"};
	if (randomPorts)
	{
		masquerade.push_back("--random-fully");
	}
	RunIn(name, masquerade);
	// A datagram from outside that nobody inside asked for is dropped, not
	// answered or tracked: a tracked one would make the router map its own
	// side's later datagram to that destination to another port.
	RunIn(name, {"iptables", "-A", "INPUT", "-m", "conntrack", "--ctstate", "NEW", "-j", "DROP"});
}

void NatLab::AddPlayer(int index, int router)
{
	const std::string name = prefix + "p" + std::to_string(index);
	const std::string leg = "p" + std::to_string(index);
	AddNamespace(name);
	players.push_back(name);
	playerRouters.push_back(router);
	Run({"ip", "link", "add", "eth0", "netns", name, "type", "veth", "peer", "name", leg, "netns", routers[router]});
	RunIn(routers[router], {"ip", "link", "set", leg, "master", "lan", "up"});
	RunIn(name, {"ip", "addr", "add", Lan(router) + std::to_string(10 + index) + "/24", "dev", "eth0"});
	RunIn(name, {"ip", "link", "set", "eth0", "up"});
	RunIn(name, {"ip", "route", "add", "default", "via", Lan(router) + "1"});
}

std::string NatLab::RouterAddress(int index) const
{
	return Wan(playerRouters.at(index));
}

std::vector<std::string> NatLab::In(const std::string& name)
{
	return {"ip", "netns", "exec", name};
}

int NatLab::UdpSocket(const std::string& name, int port)
{
	// A thread may enter another network namespace on its own; the socket
	// it makes there stays there.
	int fd = -1;
	std::thread([&] {
		const int nsFd = open(("/run/netns/" + name).c_str(), O_RDONLY | O_CLOEXEC);
		const bool entered = nsFd >= 0 && setns(nsFd, CLONE_NEWNET) == 0;
		if (nsFd >= 0)
		{
			close(nsFd);
		}
		if (!entered)
		{
			return;
		}
		fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
		sockaddr_in address{};
		address.sin_family = AF_INET;
		address.sin_port = htons(static_cast<uint16_t>(port));
		if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
		{
			close(fd);
			fd = -1;
		}
	}).join();
	return fd;
}

void NatLab::RemoveAll()
{
	for (auto name = made.rbegin(); name != made.rend(); ++name)
	{
		Remove(*name);
	}
	made.clear();
}
