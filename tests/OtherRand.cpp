// Loaded into the real program with LD_PRELOAD, this gives it a rand() of
// another sequence than the C library's, as a partner's machine with another
// C library would have: the same seed then builds another game, and the two
// machines' worlds part.
extern "C" int rand()
{
	static unsigned state = 12345;
	state = state * 1103515245u + 12345u;
	return static_cast<int>((state >> 16) & 0x7fff);
}
