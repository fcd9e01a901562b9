#include "framework/net/WireMessage.h"

#include <cstdint>
#include <sstream>

#include "framework/input/LineWords.h"

namespace
{
using Kind = WireMessage::Kind;

// A whole number of the first line, as its error names it.
struct Field
{
	const char* name;
	long min;
	long max;
};

// What follows the first line.
enum class Body
{
	None,
	// Replay lines of the frames the message carries.
	Lines,
	// Exactly one replay line.
	OneLine,
	// Any text: a piece of the recorded game.
	Text,
};

// Words of proof after the version: none, all of them, or (from a program
// of another version, which is refused for that) perhaps none.
enum class Proofs
{
	None,
	Required,
	Optional,
};

struct KindRow
{
	Kind kind;
	const char* name;
	std::vector<Field> fields;
	// The program's version follows the fields.
	bool version;
	Body body;
	std::vector<const char*> words = {};
	Proofs proofs = Proofs::None;
};

const KindRow KindRows[] = {
	{Kind::Probe, "probe", {}, false, Body::None, {"challenge"}, Proofs::Optional},
	{Kind::Hello, "hello", {{"protocol", 0, INT32_MAX}}, true, Body::None, {"challenge", "proof"},
		Proofs::Optional},
	{Kind::Refuse, "refuse", {{"protocol", 0, INT32_MAX}}, true, Body::None},
	{Kind::Denied, "denied", {}, false, Body::None},
	{Kind::Welcome, "welcome",
		{{"seed", 0, UINT32_MAX}, {"delay", Lockstep::MinDelay, Lockstep::MaxDelay},
			{"frames played", 0, WireMessage::MaxCatchUpFrames},
			{"bytes of the game", 0, static_cast<long>(WireMessage::MaxCatchUpBytes)}},
		false, Body::None, {"proof"}, Proofs::Required},
	{Kind::Game, "game", {}, false, Body::Text},
	{Kind::Progress, "progress", {{"frame", 0, WireMessage::MaxCatchUpFrames}}, false, Body::None},
	{Kind::Ready, "ready", {}, false, Body::None},
	{Kind::Parted, "parted", {{"frame", 0, WireMessage::MaxCatchUpFrames}}, false, Body::None},
	{Kind::Frames, "frames",
		{{"acknowledged frame", -1, INT32_MAX}, {"first frame", 0, INT32_MAX - Lockstep::MaxLead},
			{"frame count", 0, Lockstep::MaxLead}},
		false, Body::Lines},
	{Kind::Digest, "digest", {}, false, Body::OneLine},
	{Kind::Bye, "bye", {{"last frame", 0, INT32_MAX}}, false, Body::None},
};
static_assert(sizeof(KindRows) / sizeof(KindRows[0]) == WireMessage::KindCount, "a row for every kind");

const KindRow& RowOf(Kind kind)
{
	return KindRows[static_cast<int>(kind)];
}

} // namespace

const char* WireMessage::NameOf(Kind kind)
{
	return RowOf(kind).name;
}

std::string WireMessage::FirstLine(const std::string& packet)
{
	return packet.substr(0, packet.find('\n'));
}

bool WireMessage::KindOf(const std::string& packet, Kind* kind)
{
	LineWords words(FirstLine(packet));
	const std::string name = words.Word("packet");
	for (const KindRow& row : KindRows)
	{
		if (name == row.name)
		{
			*kind = row.kind;
			return true;
		}
	}
	return false;
}

bool WireMessage::Parse(const std::string& packet, int rowCount, WireMessage* message, std::string* error)
{
	*message = WireMessage();
	if (!KindOf(packet, &message->kind))
	{
		*error = "no such packet: " + LineWords::Quoted(FirstLine(packet));
		return false;
	}
	const KindRow& row = RowOf(message->kind);
	LineWords words(FirstLine(packet));
	words.Word("packet");
	for (const Field& field : row.fields)
	{
		message->numbers.push_back(words.Integer(field.name, field.min, field.max));
	}
	if (row.version)
	{
		message->version = words.Word("version");
	}
	for (const char* word : row.words)
	{
		if (row.proofs == Proofs::Optional && words.Done())
		{
			break;
		}
		message->words.push_back(words.Word(word));
	}
	std::string why = words.Done() ? words.Error() : std::string("more words than a ") + row.name + " takes";
	const std::size_t end = packet.find('\n');
	if (why.empty() && end != std::string::npos)
	{
		message->ParseBody(end + 1, packet, rowCount, &why);
	}
	if (!why.empty())
	{
		*error = std::string(row.name) + ": " + why;
		return false;
	}
	return true;
}

bool WireMessage::ParseBody(std::size_t from, const std::string& packet, int rowCount, std::string* error)
{
	const Body body = RowOf(kind).body;
	if (body == Body::Text)
	{
		text = packet.substr(from);
		return true;
	}
	if (body == Body::None && from < packet.size())
	{
		*error = "lines after its first";
		return false;
	}
	std::istringstream rest(packet.substr(from));
	for (std::string each; std::getline(rest, each);)
	{
		InputLine line;
		if (!ReplayLog::ReadOne(each, rowCount, &line, error))
		{
			return false;
		}
		lines.push_back(line);
	}
	if (body == Body::OneLine && lines.size() != 1)
	{
		*error = "one line of a digest, not " + std::to_string(lines.size());
		return false;
	}
	// A frames message carries frames first to first + count - 1.
	for (const InputLine& line : body == Body::Lines ? lines : std::vector<InputLine>())
	{
		if (line.frame < numbers[1] || line.frame >= numbers[1] + numbers[2])
		{
			*error = "an input of frame " + std::to_string(line.frame) + " in a packet of frames " +
				std::to_string(numbers[1]) + " to " + std::to_string(numbers[1] + numbers[2] - 1);
			return false;
		}
	}
	return true;
}

std::string WireMessage::Format() const
{
	std::string packet = NameOf(kind);
	for (const long number : numbers)
	{
		packet += " " + std::to_string(number);
	}
	if (RowOf(kind).version)
	{
		packet += " " + version;
	}
	for (const std::string& word : words)
	{
		packet += " " + word;
	}
	packet += "\n";
	for (const InputLine& line : lines)
	{
		packet += ReplayLog::Format(line);
	}
	return packet + text;
}

WireMessage WireMessage::Of(Kind kind, std::vector<long> numbers)
{
	WireMessage message;
	message.kind = kind;
	message.numbers = std::move(numbers);
	return message;
}

WireMessage WireMessage::Version(Kind kind, const std::string& program)
{
	WireMessage message = Of(kind, {ProtocolVersion});
	message.version = program;
	return message;
}

WireMessage WireMessage::Inputs(int acknowledged, int first, const std::deque<Lockstep::Batch>& batches)
{
	WireMessage message = Of(Kind::Frames, {acknowledged, first, static_cast<long>(batches.size())});
	for (const Lockstep::Batch& batch : batches)
	{
		message.lines.insert(message.lines.end(), batch.lines.begin(), batch.lines.end());
	}
	return message;
}

WireMessage WireMessage::DigestOf(const InputLine& digest)
{
	WireMessage message = Of(Kind::Digest);
	message.lines.push_back(digest);
	return message;
}

WireMessage WireMessage::Piece(const std::string& piece)
{
	WireMessage message = Of(Kind::Game);
	message.text = piece;
	return message;
}
