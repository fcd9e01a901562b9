#pragma once

#include <string>
#include <vector>

// A small internet inside the machine, of network namespaces: a public
// network on a bridge (10.0.0.0/24), where a coordinator would run at
// PublicAddress(); home routers with a leg on it that masquerade their LAN
// (192.168.N.0/24) and, like real home routers, drop what nobody inside
// asked for; and two players on those LANs. Everything is made in the
// constructor and removed in the destructor, with every process left inside.
// Nothing is ever sent to these addresses from the machine's own namespace.
class NatLab
{
public:
	enum class Layout
	{
		// Both players on one LAN behind one router.
		SameLan,
		// Each player behind a router of its own, of the common kind that
		// keeps a LAN socket's port for every destination.
		TwoRouters,
		// The second player's router maps each new destination to a new
		// port (MASQUERADE --random-fully), where punching fails.
		OneHardRouter,
	};

	// Throws std::runtime_error, having removed what it made, when a
	// command fails.
	explicit NatLab(Layout layout);
	~NatLab();
	NatLab(const NatLab&) = delete;
	NatLab& operator=(const NatLab&) = delete;

	// Why these tests cannot run here (no root, no namespaces, no
	// iptables), or "" when they can.
	static std::string Unavailable();

	static constexpr const char* PublicAddress = "10.0.0.1";
	const std::string& Public() const { return publicName; }
	// Player 0 or 1.
	const std::string& Player(int index) const { return players.at(index); }
	// The public address of the router player index is behind.
	std::string RouterAddress(int index) const;
	// The command that runs a program inside a namespace, for RunningProgram.
	static std::vector<std::string> In(const std::string& name);
	// A UDP socket bound to port (0 for any) inside the namespace; -1 on
	// failure.
	static int UdpSocket(const std::string& name, int port);

private:
	void AddNamespace(const std::string& name);
	void AddRouter(int index, bool randomPorts);
	void AddPlayer(int index, int router);
	void RemoveAll();

	std::string prefix;
	std::string publicName;
	std::vector<std::string> routers;
	std::vector<std::string> players;
	std::vector<int> playerRouters;
	std::vector<std::string> made;
};
