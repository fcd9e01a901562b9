#include "app/Usage.h"

#include "game/assets/MixerVolume.h"

#ifndef CONTEST_INSTALLED_DATA
#define CONTEST_INSTALLED_DATA "/usr/local/share/games/contest"
#endif

// A printf format: the program's name, then the online port.
const char* const ContestUsage =
	"usage: %s [--scene NUMBER|NAME] [--panel] [--window] [--keyboard] [--record FILE | --replay FILE [--fast] "
	"[--check] [--rewrite]]\n"
	"       [--host [[ADDR:]PORT] | --join HOST[:PORT]/SECRET|CODE-SECRET | --rejoin] [--secret SECRET]\n"
	"       [--server HOST[:PORT]] [--delay N]\n"
	"       [--list-scenes] [--help]\n"
	"       [freeglut options]\n"
	"  --scene NUMBER|NAME  start with this scene instead of the game (row 0); a name in any case,\n"
	"                       or the start of only one name (--scene revolute, --scene pyr)\n"
	"  --panel              start with the control panel open (F2 shows and hides it)\n"
	"  --window             start in a window rather than full screen (F11 switches)\n"
	"  --keyboard           play both fighters from the keyboard (Tab switches it, Enter pauses)\n"
	"  --record FILE        write the session to FILE, to be played back with --replay; exit\n"
	"                       status 1 if it could not be written (a full disk); online, the game\n"
	"                       from its first frame until the first partner leaves, which both\n"
	"                       machines record alike\n"
	"  --replay FILE        play the session in FILE back in a window of its size and check that\n"
	"                       the world comes out the same (exit status 0) or not (1); Escape\n"
	"                       quits, p pauses, F2 shows the panel; stopped before its end, 3; a\n"
	"                       file that is no recording, or holds a value no session produces, 2\n"
	"  --fast               with --replay: as fast as frames can be drawn\n"
	"  --check              with --replay: no window and no picture, as fast as the world steps;\n"
	"                       needs no X server, plays no sound, reports and exits as a replay does\n"
	"  --rewrite            with --replay: write FILE again with this program's digests, once\n"
	"                       the whole replay ran (keeping its permissions and a link to it)\n"
	"  --host [[ADDR:]PORT] play the game and wait for a partner to play it online (UDP port %d\n"
	"                       unless given, on every interface unless ADDR); the host plays the\n"
	"                       knight and its panel sets the game for both; the panel's Online\n"
	"                       section shows the link; not with --scene or --join; IPv4 only; it\n"
	"                       prints the invite's secret (16 letters), which only the invited\n"
	"                       partner is told\n"
	"  --join HOST[:PORT]/SECRET\n"
	"                       join a host's game as the archer, first catching up with it at full\n"
	"                       speed (a game of over fifteen minutes starts anew); keeps calling for\n"
	"                       10 s, then gives up (exit status 2), as when the host is busy or\n"
	"                       its program is another version; Escape leaves, and both games end\n"
	"                       on the same frame; each machine takes from the other only what a\n"
	"                       player there can do, and drops a partner that sends more; each side\n"
	"                       proves the secret without sending it, and every packet is tagged\n"
	"                       with the session's key (others are dropped unseen); a host denies\n"
	"                       a wrong secret and ignores an address for 60 s after 3 of them\n"
	"  --secret SECRET      with --host: use this secret rather than a new one; with --join: the\n"
	"                       invite's secret, when the address or code is given without it\n"
	"  --server HOST[:PORT] with --host: register with this coordinator (contest-server, UDP port\n"
	"                       47821 unless given) and print the invite it gives (CODE-SECRET);\n"
	"                       with --join CODE-SECRET: find the host of that code there (which\n"
	"                       never learns the secret), then call it directly, by a\n"
	"                       punched path or through the coordinator's relay (20 s in all)\n"
	"  --rejoin             join the game joined last again, as the settings keep it (its invite,\n"
	"                       and its coordinator when the invite was a code)\n"
	"  --delay N            frames (1-15) between an input and its effect online; chosen from\n"
	"                       the measured round trip unless given (the host's choice holds)\n"
	"  --list-scenes        print the number and name of every scene\n"
	"  --help               print this text\n"
	"Keys in every scene: F2 control panel, F11 full screen or window, PageUp / PageDown previous /\n"
	"next scene.\n"
	"Game pads: up to two, plugged in at any time; the first plays the knight, the second the\n"
	"archer, and a pad plugged in again gets its fighter back. A pad SDL knows reads by position:\n"
	"stick or D-pad moves, A/cross swings or shoots, B/circle jumps, X/square raises the shield or\n"
	"sprints, Start pauses, any face or shoulder button starts the game. Other pads use their raw\n"
	"buttons 0, 1, 2 and 5. More pads become known through SDL_GAMECONTROLLERCONFIG or a\n"
	"gamecontrollerdb.txt beside the program.\n"
	"freeglut's own options are passed on: -display DISPLAY, -geometry WxH+X+Y, -direct, -indirect,\n"
	"-iconic, -gldebug, -sync. Any other argument is an error (exit status 2).\n"
	"A picture that does not load is left out; without the sprite sheet (Textures/tiles.png) the\n"
	"game draws its arena and figures as outlines. Without an X display: one line, exit status 1.\n"
	"The pictures, sounds and music (Textures/, Sounds/, music.mp3, winmusic.mp3) are read from the\n"
	"folder CONTEST_DATA names, else the working directory when it holds them, else the program's\n"
	"own folder, else " CONTEST_INSTALLED_DATA "; when none holds them, one line says where\n"
	"it looked and the game runs without them.\n"
	"What a player sets is kept for the next start in $XDG_CONFIG_HOME/contest/settings.conf\n"
	"(~/.config/contest/ unless set), written as it changes: the volumes and mutes, the rumble,\n"
	"the physics overlay, the game line, the pads' swap, keyboard play, the step rate, the drawing\n"
	"switches, the panel open, full screen or a window, the last game joined. An option wins for\n"
	"its run; a replay or an online game takes from the file only what shows or sounds. A line\n"
	"the program does not read is named on standard error and kept as it is.\n"
	"With CONTEST_NET_LOG set, online play writes every change of its phase to standard error.\n";

const std::vector<SettingsFile::Key> ContestKeptItems = {
	{"musicVolume", 0, MixerVolume::MaxVolume, false},
	{"musicMute", 0, 1, false},
	{"effectsVolume", 0, MixerVolume::MaxVolume, false},
	{"effectsMute", 0, 1, false},
	{"rumble", 0, 1, false},
	{"physicsOverlay", 0, 1, false},
	{"gameLine", 0, 1, false},
	{"swapPads", 0, 1, false},
	{"keyboardPlay", 0, 1, false},
};
