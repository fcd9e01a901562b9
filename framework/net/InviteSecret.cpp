#include "framework/net/InviteSecret.h"

#include <cctype>
#include <cstring>

namespace
{
// Keeps these keys apart from any other use of the same secret.
const char InviteContext[] = "contest invite secret";
const char SessionContext[] = "contest session key";

bool Initialized()
{
	return sodium_init() >= 0;
}

std::string Hex(const unsigned char* bytes, std::size_t size)
{
	std::string text(size * 2 + 1, '\0');
	sodium_bin2hex(text.data(), text.size(), bytes, size);
	text.pop_back();
	return text;
}
} // namespace

InviteSecret InviteSecret::Make()
{
	Initialized();
	InviteSecret secret;
	const uint32_t size = static_cast<uint32_t>(std::strlen(Alphabet));
	for (int i = 0; i < Letters; ++i)
	{
		secret.letters += Alphabet[randombytes_uniform(size)];
	}
	return secret;
}

bool InviteSecret::Parse(const std::string& text, InviteSecret* secret)
{
	std::string letters;
	for (const char c : text)
	{
		if (c == '-' || c == ' ')
		{
			continue;
		}
		const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
		if (upper == '\0' || std::strchr(Alphabet, upper) == nullptr)
		{
			return false;
		}
		letters += upper;
	}
	if (letters.size() != static_cast<std::size_t>(Letters))
	{
		return false;
	}
	secret->letters = letters;
	return true;
}

std::string InviteSecret::Text() const
{
	std::string text;
	for (std::size_t i = 0; i < letters.size(); ++i)
	{
		if (i != 0 && i % GroupLetters == 0)
		{
			text += '-';
		}
		text += letters[i];
	}
	return text;
}

std::string InviteSecret::Challenge()
{
	Initialized();
	unsigned char bytes[ChallengeBytes];
	randombytes_buf(bytes, sizeof(bytes));
	return Hex(bytes, sizeof(bytes));
}

InviteSecret::Key InviteSecret::InviteKey() const
{
	Initialized();
	Key key{};
	crypto_generichash(key.data(), key.size(), reinterpret_cast<const unsigned char*>(letters.data()),
		letters.size(), reinterpret_cast<const unsigned char*>(InviteContext), sizeof(InviteContext) - 1);
	return key;
}

std::string InviteSecret::Proof(
	const std::string& role, const std::string& hostChallenge, const std::string& partnerChallenge) const
{
	const std::string said = role + " " + hostChallenge + " " + partnerChallenge;
	unsigned char tag[crypto_auth_BYTES];
	crypto_auth(tag, reinterpret_cast<const unsigned char*>(said.data()), said.size(), InviteKey().data());
	return Hex(tag, sizeof(tag));
}

std::string InviteSecret::PartnerProof(const std::string& hostChallenge, const std::string& partnerChallenge) const
{
	return Proof("partner", hostChallenge, partnerChallenge);
}

std::string InviteSecret::HostProof(const std::string& hostChallenge, const std::string& partnerChallenge) const
{
	return Proof("host", hostChallenge, partnerChallenge);
}

bool InviteSecret::Matches(const std::string& proof, const std::string& expected)
{
	return proof.size() == expected.size() && sodium_memcmp(proof.data(), expected.data(), proof.size()) == 0;
}

InviteSecret::Key InviteSecret::SessionKey(const std::string& hostChallenge, const std::string& partnerChallenge) const
{
	const std::string said = std::string(SessionContext) + " " + hostChallenge + " " + partnerChallenge;
	const Key invite = InviteKey();
	Key key{};
	crypto_generichash(key.data(), key.size(), reinterpret_cast<const unsigned char*>(said.data()), said.size(),
		invite.data(), invite.size());
	return key;
}
