// Writes a program's manual page (roff, section 6) from the text its --help
// prints, so that the two say the same: the usage lines become the
// synopsis, the prose the description, and each option, indented by two
// spaces with its text beside it, an entry of the options.
//   manpage NAME VERSION SUMMARY HELP_FILE OUTPUT_FILE

#include <cctype>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace
{
// The first usage line, whose program path the synopsis replaces with the
// name.
const std::string UsagePrefix = "usage: ";
// Where an option's line begins.
constexpr std::size_t OptionIndent = 2;

bool StartsWith(const std::string& text, const std::string& prefix)
{
	return text.compare(0, prefix.size(), prefix) == 0;
}

std::size_t Indent(const std::string& line)
{
	const std::size_t first = line.find_first_not_of(' ');
	return first == std::string::npos ? line.size() : first;
}

// Text as roff prints it: backslashes and minus signs escaped, and no line
// that roff would take for a request.
std::string Roff(const std::string& text)
{
	std::string out;
	for (const char c : text)
	{
		if (c == '\\')
		{
			out += "\\e";
		}
		else if (c == '-')
		{
			out += "\\-";
		}
		else
		{
			out += c;
		}
	}
	if (!out.empty() && (out[0] == '.' || out[0] == '\''))
	{
		out.insert(0, "\\&");
	}
	return out;
}

// An option's name and its value's words: the name in bold.
std::string OptionHeading(const std::string& heading)
{
	const std::size_t space = heading.find(' ');
	if (space == std::string::npos)
	{
		return "\\fB" + Roff(heading) + "\\fR";
	}
	return "\\fB" + Roff(heading.substr(0, space)) + "\\fR" + Roff(heading.substr(space));
}

struct Page
{
	std::vector<std::string> synopsis;
	std::vector<std::string> description;
	std::vector<std::string> options;
};

Page Parse(const std::string& name, const std::vector<std::string>& lines)
{
	Page page;
	// Where the options' text begins: the indent of the first line that
	// goes on with an option's text.
	std::size_t column = 0;
	bool optionOpen = false;
	bool lastEndedSentence = false;
	for (const std::string& line : lines)
	{
		const std::size_t indent = Indent(line);
		if (StartsWith(line, UsagePrefix) && page.synopsis.empty())
		{
			const std::size_t path = line.find(' ', UsagePrefix.size());
			page.synopsis.push_back(".B " + Roff(name));
			page.synopsis.push_back(path == std::string::npos ? "" : Roff(line.substr(path + 1)));
		}
		else if (indent == OptionIndent)
		{
			optionOpen = true;
			page.options.push_back(".TP");
			page.options.push_back(line);
		}
		else if (optionOpen && indent > OptionIndent)
		{
			column = column == 0 ? indent : column;
			page.options.push_back(Roff(line.substr(indent)));
		}
		else if (indent > 0 && page.options.empty() && page.description.empty())
		{
			page.synopsis.push_back(".br");
			page.synopsis.push_back(Roff(line.substr(indent)));
		}
		else if (!line.empty())
		{
			optionOpen = false;
			if (lastEndedSentence || page.description.empty())
			{
				page.description.push_back(".PP");
			}
			page.description.push_back(Roff(line));
			lastEndedSentence = line.back() == '.';
		}
	}
	// The first line of each option holds its heading and the start of its
	// text, split where the following lines begin.
	for (std::size_t i = 1; i < page.options.size(); ++i)
	{
		if (page.options[i - 1] != ".TP")
		{
			continue;
		}
		const std::string line = page.options[i];
		// The text starts after a gap of two spaces, or else at the column
		// of the lines that follow, unless the heading runs past it and
		// the text starts on the next line.
		std::size_t start = line.size();
		const std::size_t gap = line.find("  ", OptionIndent);
		if (gap != std::string::npos)
		{
			start = line.find_first_not_of(' ', gap);
		}
		else if (column > OptionIndent && column < line.size() && line[column - 1] == ' ')
		{
			start = column;
		}
		std::string heading = line.substr(OptionIndent, start - OptionIndent);
		heading.erase(heading.find_last_not_of(' ') + 1);
		page.options[i] = OptionHeading(heading);
		if (start < line.size())
		{
			page.options[i] += "\n" + Roff(line.substr(start));
		}
	}
	return page;
}
} // namespace

int main(int argc, char** argv)
{
	if (argc != 6)
	{
		std::fprintf(stderr, "usage: %s NAME VERSION SUMMARY HELP_FILE OUTPUT_FILE\n", argv[0]);
		return 2;
	}
	const std::string name = argv[1];
	std::ifstream help(argv[4]);
	std::vector<std::string> lines;
	for (std::string line; std::getline(help, line);)
	{
		lines.push_back(line);
	}
	if (lines.empty() || !StartsWith(lines[0], UsagePrefix))
	{
		std::fprintf(stderr, "%s: %s holds no usage text\n", argv[0], argv[4]);
		return 1;
	}
	const Page page = Parse(name, lines);

	std::string title = name;
	for (char& c : title)
	{
		c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
	}
	std::ofstream out(argv[5]);
	out << ".TH " << Roff(title) << " 6 \"\" \"" << name << " " << argv[2] << "\" \"Games\"\n";
	out << ".SH NAME\n" << Roff(name) << " \\- " << Roff(argv[3]) << "\n";
	out << ".SH SYNOPSIS\n";
	for (const std::string& line : page.synopsis)
	{
		out << line << "\n";
	}
	if (!page.description.empty())
	{
		out << ".SH DESCRIPTION\n";
	}
	for (const std::string& line : page.description)
	{
		out << line << "\n";
	}
	out << ".SH OPTIONS\n";
	for (const std::string& line : page.options)
	{
		out << line << "\n";
	}
	out.close();
	if (!out)
	{
		std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[5]);
		return 1;
	}
	return 0;
}
