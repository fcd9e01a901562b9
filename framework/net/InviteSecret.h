#pragma once

#include <sodium.h>

#include <array>
#include <string>

// What the host of an online game and the partner it invited share: a
// secret of 16 letters (about 65 bits) in four groups, from letters that
// cannot be taken for one another when read out ("HJKM-PRTW-XYAC-DEFG").
// It never travels. Each side proves it knows it by a keyed hash over
// fresh challenges from both sides, and the two derive from it and those
// challenges the key that tags every packet of their session.
class InviteSecret
{
public:
	static constexpr const char* Alphabet = "ACDEFGHJKMNPRTWXY";
	static constexpr int Letters = 16;
	static constexpr int GroupLetters = 4;
	// A challenge's random bytes, sent as hex.
	static constexpr std::size_t ChallengeBytes = 16;
	using Key = std::array<unsigned char, crypto_auth_KEYBYTES>;

	// A fresh random secret.
	static InviteSecret Make();
	// The secret in text, in any case, its groups parted by '-' or spaces
	// or not at all; false when it is not 16 letters of the alphabet.
	static bool Parse(const std::string& text, InviteSecret* secret);
	// "HJKM-PRTW-XYAC-DEFG".
	std::string Text() const;
	bool IsSet() const { return !letters.empty(); }

	// A fresh challenge, in hex.
	static std::string Challenge();
	// What the partner answers the host's challenge with, having made its
	// own, and what the host answers that with: each proves this secret.
	std::string PartnerProof(const std::string& hostChallenge, const std::string& partnerChallenge) const;
	std::string HostProof(const std::string& hostChallenge, const std::string& partnerChallenge) const;
	// Whether proof is the one expected, compared in constant time.
	static bool Matches(const std::string& proof, const std::string& expected);
	// The key that tags the packets of the session the two challenges
	// began.
	Key SessionKey(const std::string& hostChallenge, const std::string& partnerChallenge) const;

private:
	std::string Proof(const std::string& role, const std::string& hostChallenge,
		const std::string& partnerChallenge) const;
	Key InviteKey() const;

	std::string letters;
};
