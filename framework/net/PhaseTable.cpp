#include "framework/net/PhaseTable.h"

#include <algorithm>
#include <vector>

#include "framework/input/LineWords.h"

namespace
{
using Phase = PhaseTable::Phase;
using Reaction = PhaseTable::Reaction;
using Kind = WireMessage::Kind;

// A message of kind does reaction in each of phases.
struct Row
{
	Kind kind;
	Reaction reaction;
	std::vector<Phase> phases;
};

// Every legal pair; the rest are out of turn. Lockstep runs on the host
// from the welcome on, held while its partner catches up; the host's
// inputs may overtake its welcome and keep coming until acknowledged, so
// a partner before lockstep passes them over; a word of the catch-up
// comes reliably, the inputs that end it do not, so one may come late.
const Row Rows[] = {
	{Kind::Frames, Reaction::TakeInputs,
		{Phase::HostAwaitingCatchUp, Phase::HostPlaying, Phase::HostLeaving, Phase::PartnerPlaying,
			Phase::PartnerLeaving}},
	{Kind::Frames, Reaction::PassedOver, {Phase::PartnerReceiving, Phase::PartnerCatchingUp}},
	{Kind::Digest, Reaction::TakeDigest,
		{Phase::HostAwaitingCatchUp, Phase::HostPlaying, Phase::HostLeaving, Phase::PartnerPlaying,
			Phase::PartnerLeaving}},
	{Kind::Digest, Reaction::PassedOver, {Phase::PartnerReceiving, Phase::PartnerCatchingUp}},
	{Kind::Bye, Reaction::TakeGoodbye,
		{Phase::HostAwaitingCatchUp, Phase::HostPlaying, Phase::HostLeaving, Phase::PartnerPlaying,
			Phase::PartnerLeaving}},
	{Kind::Bye, Reaction::TakeEarlyGoodbye, {Phase::PartnerReceiving, Phase::PartnerCatchingUp}},
	{Kind::Game, Reaction::TakeGamePiece, {Phase::PartnerReceiving}},
	{Kind::Progress, Reaction::TakeProgress, {Phase::HostAwaitingCatchUp}},
	{Kind::Progress, Reaction::PassedOver, {Phase::HostPlaying, Phase::HostLeaving}},
	{Kind::Ready, Reaction::TakeReady, {Phase::HostAwaitingCatchUp}},
	{Kind::Ready, Reaction::PassedOver, {Phase::HostPlaying, Phase::HostLeaving}},
	{Kind::Parted, Reaction::TakeParted, {Phase::HostAwaitingCatchUp}},
	{Kind::Probe, Reaction::AnswerProbe, {Phase::PartnerGreeted}},
	{Kind::Welcome, Reaction::TakeWelcome, {Phase::PartnerGreeted}},
	{Kind::Refuse, Reaction::TakeRefusal, {Phase::PartnerGreeted}},
	{Kind::Denied, Reaction::TakeDenial, {Phase::PartnerGreeted}},
};

const char* const PhaseNames[] = {
	"host listening",
	"host welcoming",
	"host awaiting catch-up",
	"host playing",
	"host leaving",
	"host left",
	"partner calling",
	"partner greeted",
	"partner receiving",
	"partner catching up",
	"partner playing",
	"partner leaving",
	"partner left",
	"partner alone",
	"partner refused",
};
static_assert(sizeof(PhaseNames) / sizeof(PhaseNames[0]) == PhaseTable::PhaseCount, "a name for every phase");

} // namespace

PhaseTable::Reaction PhaseTable::ReactionTo(Phase phase, WireMessage::Kind kind)
{
	for (const Row& row : Rows)
	{
		if (row.kind == kind && std::find(row.phases.begin(), row.phases.end(), phase) != row.phases.end())
		{
			return row.reaction;
		}
	}
	return Reaction::Refused;
}

const char* PhaseTable::NameOf(Phase phase)
{
	return PhaseNames[static_cast<int>(phase)];
}

std::string PhaseTable::OutOfTurn(Phase phase, const std::string& firstLine)
{
	return "a packet out of turn: " + LineWords::Quoted(firstLine) + " (" + NameOf(phase) + ")";
}
